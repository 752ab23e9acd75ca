// Draws the mesh: every side as a line, then every element's number in red at its centre.
#pragma once

#include "canvas.h"
#include "mesh_index.h"
#include "mesh_model.h"
#include "view_fit.h"
#include "view_transform.h"

// Draws `mesh` fitted into `rect`. A side or element that refers to a node outside the node
// array is not drawn.
void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect);

// Draws `mesh` as `view` maps it. With the mesh's `index`, a view of a part of the mesh looks
// only at the elements and sides that can show in the canvas's clip box; the pixels are the
// same.
void paint_mesh(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const MeshIndex* index = nullptr);

// Draws the program-wide mesh.
void paint_mesh(Canvas& canvas, DeviceRect rect);
