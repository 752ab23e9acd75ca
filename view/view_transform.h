// The mapping of one view from mesh points to device points: a scale and two offsets, as the
// fit gives them or as zooming made them, and a pan in whole pixels added after truncation, so
// that moving the picture by whole pixels moves every pixel of it exactly.
#pragma once

#include "device_geometry.h"
#include "view_fit.h"

#include <cstdint>
#include <limits>

struct ViewTransform {
    double scale = 0.0;    // device pixels per mesh unit on both axes
    double offset_x = 0.0; // device x of the mesh origin, before the pan
    double offset_y = 0.0; // device y of the mesh origin, before the pan
    std::int32_t pan_x = 0;
    std::int32_t pan_y = 0;

    friend bool operator==(const ViewTransform&, const ViewTransform&) = default;
};

// The view of the fit itself.
constexpr ViewTransform fitted_view(const ViewFit& fit) {
    return {fit.scale, fit.offset_x, fit.offset_y, 0, 0};
}

// `coordinate` moved by `pan`, saturated to the 32-bit range as truncation saturates.
constexpr std::int32_t add_pan(std::int32_t coordinate, std::int32_t pan) {
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    const std::int64_t sum = std::int64_t{coordinate} + pan;
    return static_cast<std::int32_t>(sum < low ? low : sum > high ? high : sum);
}

constexpr DevicePoint add_pan(DevicePoint point, const ViewTransform& view) {
    return {add_pan(point.x, view.pan_x), add_pan(point.y, view.pan_y)};
}

// The device point of mesh point (x, y), every intermediate in extended precision.
inline DevicePoint to_device(const ViewTransform& view, double x, double y) {
    const long double scale = view.scale;
    return add_pan({truncate_to_int32(scale * x + view.offset_x),
                    truncate_to_int32(-scale * y + view.offset_y)},
                   view);
}

// to_device, in double precision where that gives the same pixel.
DevicePoint quick_to_device(const ViewTransform& view, double x, double y);

// A closed interval of mesh coordinates, unbounded where an end is infinite; empty where
// lo > hi.
struct MeshInterval {
    double lo;
    double hi;
};

// An interval holding every mesh coordinate u whose device coordinate,
// add_pan(truncate(scale * u + offset - lift), pan), can lie in [device_lo, device_hi], whatever
// the precision the painter works that out in; it may hold more.
MeshInterval device_preimage(double scale, double offset, double lift, std::int32_t pan,
                             std::int64_t device_lo, std::int64_t device_hi);
