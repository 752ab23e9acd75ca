// The fit of the mesh to a drawing rectangle: one uniform scale and two offsets.
#pragma once

#include "canvas.h"
#include "mesh_model.h"

#include <cmath>
#include <cstdint>
#include <limits>

struct ViewFit {
    std::int32_t usable_width = 0;  // rectangle width less 40 pixels
    std::int32_t usable_height = 0; // rectangle height less 20 pixels
    double scale = 0.0;             // device pixels per mesh unit on both axes
    double offset_x = 0.0;          // device x of the mesh origin
    double offset_y = 0.0;          // device y of the mesh origin
};

// Fits the extents of `mesh` into `rect`. The rectangle's left and top do not move the
// picture: device points are relative to the canvas origin.
ViewFit compute_view_fit(const MeshModel& mesh, DeviceRect rect);

// Converts a real to a device coordinate: truncation toward zero, saturated to the 32-bit
// range, NaN to 0, so that no value (a node at 1e300, a window of zero height) is undefined.
inline std::int32_t truncate_to_int32(long double value) {
    if (!(value > -2147483649.0L)) {
        return std::isnan(value) ? 0 : std::numeric_limits<std::int32_t>::min();
    }
    if (value >= 2147483648.0L) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

// The device point of mesh point (x, y), every intermediate in extended precision.
inline DevicePoint to_device(const ViewFit& fit, double x, double y) {
    const long double scale = fit.scale;
    return {truncate_to_int32(scale * x + fit.offset_x),
            truncate_to_int32(-scale * y + fit.offset_y)};
}
