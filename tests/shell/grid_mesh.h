// Meshes of the shell tests: rectangles of unit cells, dense or sparse, jittered or straight,
// numbered from 0 or 1, with the oddities a file may hold.
#pragma once

#include "mesh_model.h"

#include <cstdint>

struct MeshShape {
    int columns;
    int rows;
    double x0 = 0.0;
    double y0 = 0.0;
    std::int32_t base = 0;
    double jitter = 0.0;   // how far inner nodes move, at random, in cells: lines run every way
    bool oddities = false; // nodes at NaN and infinities, references to nodes that do not exist
    bool numbered = true;  // false: sides only, every line in view, however short
};

// A rectangle of unit cells from (x0, y0), each cut into two triangles, with every edge a side;
// every seventh side is marked -1.
MeshModel grid_mesh(const MeshShape& shape);
