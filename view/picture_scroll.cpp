#include "picture_scroll.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Around the points of the extents, room for a number's lift and for rounding: a point drawn
// anywhere in the mesh lies within this many pixels of the extents' device box.
constexpr double point_margin = 0x1p16;

// Whether every device coordinate the view gives a mesh coordinate within [lo, hi] (or a NaN
// one, which truncates to 0) lies within exact reach, the pan included.
bool within_reach(double scale, double offset, double lo, double hi, std::int32_t pan) {
    const double a = scale * lo + offset;
    const double b = scale * hi + offset;
    const double reach = exact_line_reach;
    const double least = std::min({a, b, 0.0}) - point_margin + pan;
    const double most = std::max({a, b, 0.0}) + point_margin + pan;
    return least > -reach && most < reach; // false for NaN and infinities
}

bool within_reach(const MeshModel& mesh, const ViewTransform& view) {
    return within_reach(view.scale, view.offset_x, mesh.x_min, mesh.x_max, view.pan_x) &&
           within_reach(-view.scale, view.offset_y, mesh.y_min, mesh.y_max, view.pan_y);
}

} // namespace

std::optional<DevicePoint> exact_shift(const MeshModel& mesh, const ViewTransform& drawn,
                                       const ViewTransform& wanted) {
    // The extents hold every finite node and number centre; the truncated points of the two
    // views are then the same, and the pans move them all alike.
    if (drawn.scale != wanted.scale || drawn.offset_x != wanted.offset_x ||
        drawn.offset_y != wanted.offset_y || !within_reach(mesh, drawn) ||
        !within_reach(mesh, wanted)) {
        return std::nullopt;
    }
    const std::int64_t dx = std::int64_t{wanted.pan_x} - drawn.pan_x;
    const std::int64_t dy = std::int64_t{wanted.pan_y} - drawn.pan_y;
    // Both pans keep every point within reach, so the difference is small.
    return DevicePoint{static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy)};
}

void scroll_pixels(const PixelPicture& picture, DevicePoint shift) {
    const std::int64_t width = picture.width();
    const std::int64_t height = picture.height();
    if (picture.empty() || std::abs(std::int64_t{shift.x}) >= width ||
        std::abs(std::int64_t{shift.y}) >= height) {
        return;
    }
    const std::int64_t row_length = width - std::abs(std::int64_t{shift.x});
    const std::int64_t from_column = shift.x < 0 ? -std::int64_t{shift.x} : 0;
    const std::int64_t to_column = shift.x > 0 ? shift.x : 0;
    const auto move_row = [&](std::int64_t row) {
        std::uint32_t* to = picture.pixels + (row + shift.y) * picture.stride + to_column;
        const std::uint32_t* from = picture.pixels + row * picture.stride + from_column;
        std::memmove(to, from, static_cast<std::size_t>(row_length) * sizeof(std::uint32_t));
    };
    // Rows move away from the rows they land on, so that none is overwritten before it moves.
    if (shift.y > 0) {
        for (std::int64_t row = height - 1 - shift.y; row >= 0; --row) {
            move_row(row);
        }
    } else {
        for (std::int64_t row = -std::int64_t{shift.y}; row < height; ++row) {
            move_row(row);
        }
    }
}

std::array<DeviceRect, 2> uncovered_by_shift(const DeviceRect& area, DevicePoint shift) {
    const auto clamp = [](std::int64_t value, std::int32_t lo, std::int32_t hi) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lo, hi));
    };
    // The rows the moved picture leaves, across the whole width...
    const std::int32_t kept_top = clamp(std::int64_t{area.top} + shift.y, area.top, area.bottom);
    const std::int32_t kept_bottom =
        clamp(std::int64_t{area.bottom} + shift.y, area.top, area.bottom);
    const DeviceRect rows = shift.y >= 0
                                ? DeviceRect{area.left, area.top, area.right, kept_top}
                                : DeviceRect{area.left, kept_bottom, area.right, area.bottom};
    // ...and the columns it leaves in the rows it keeps.
    const std::int32_t kept_left = clamp(std::int64_t{area.left} + shift.x, area.left, area.right);
    const std::int32_t kept_right =
        clamp(std::int64_t{area.right} + shift.x, area.left, area.right);
    const DeviceRect columns = shift.x >= 0
                                   ? DeviceRect{area.left, kept_top, kept_left, kept_bottom}
                                   : DeviceRect{kept_right, kept_top, area.right, kept_bottom};
    return {rows, columns};
}
