// Moving the picture of a view by whole pixels instead of drawing it again, where the moved
// picture is, pixel for pixel, the picture of the moved view.
#pragma once

#include "mesh_model.h"
#include "pixel_picture.h"
#include "view_transform.h"

#include <array>
#include <cstddef>
#include <optional>

// How far the picture of `drawn` moves to become the picture of `wanted`: where the two views
// differ only in their pan, and every point either of them draws lies well within the reach
// GDI draws lines exactly in, so that nothing saturates and every line and number is drawn the
// same, only moved. Nothing otherwise: the new view is drawn afresh.
std::optional<DevicePoint> exact_shift(const MeshModel& mesh, const ViewTransform& drawn,
                                       const ViewTransform& wanted);

// Moves every pixel of `picture` by `shift` within it; the pixels no pixel moves to keep what
// they held.
void scroll_pixels(const PixelPicture& picture, DevicePoint shift);

// The parts of `area` that moving it by `shift` leaves without a pixel of its own: a band
// across its width and a band down the rest of its height, either of them empty.
std::array<DeviceRect, 2> uncovered_by_shift(const DeviceRect& area, DevicePoint shift);
