#include "mesh_model.h"

MeshModel& current_mesh() {
    static MeshModel mesh;
    return mesh;
}
