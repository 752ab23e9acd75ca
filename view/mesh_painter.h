// Draws the mesh: every side as a line, then every element's number in red at its centre.
#pragma once

#include "canvas.h"
#include "mesh_model.h"
#include "view_fit.h"

// Draws `mesh` fitted into `rect`. A side or element that refers to a node outside the node
// array is not drawn.
void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect);

// Draws the program-wide mesh.
void paint_mesh(Canvas& canvas, DeviceRect rect);
