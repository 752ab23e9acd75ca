// Draws the mesh: every side as a line, then every element's number in red at its centre.
#pragma once

#include "canvas.h"
#include "mesh_index.h"
#include "mesh_model.h"
#include "view_fit.h"
#include "view_transform.h"

#include <cstddef>

// Draws `mesh` fitted into `rect`. A side or element that refers to a node outside the node
// array is not drawn.
void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect);

// A paint with an index that looks at this many elements or more finds the numbers that show
// on two threads (a thread costs a millisecond or two to start under Wine).
inline constexpr std::size_t threaded_paint_least = std::size_t{1} << 17;

// Draws `mesh` as `view` maps it. With the mesh's `index`, the painter looks only at the
// elements and sides that can show in the canvas's clip box, finds the numbers that show a row
// of pixels at a time, and leaves out at once the blocks of them that lie under later numbers;
// the pixels are the same. From `threaded_least` elements on (0: always) it does so on two
// threads.
void paint_mesh(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const MeshIndex* index = nullptr,
                std::size_t threaded_least = threaded_paint_least);

// Draws the program-wide mesh.
void paint_mesh(Canvas& canvas, DeviceRect rect);
