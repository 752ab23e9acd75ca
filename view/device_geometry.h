// Points, rectangles and lines in device pixels, y growing downward.
#pragma once

#include <cstdint>

struct DevicePoint {
    std::int32_t x;
    std::int32_t y;

    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// A rectangle in device pixels, y growing downward; the edges of a Win32 RECT. The right and
// bottom edges are exclusive.
struct DeviceRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;

    friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

// The width and height of an area in device pixels, such as a window's client area.
struct DeviceSize {
    std::int32_t width;
    std::int32_t height;

    friend bool operator==(const DeviceSize&, const DeviceSize&) = default;
};

// How far from the origin GDI is documented to draw a line exactly: both ends within
// [-2^27, 2^27) on either axis.
inline constexpr std::int32_t exact_line_reach = 1 << 27;

constexpr bool within_exact_line_reach(DevicePoint point) {
    return point.x >= -exact_line_reach && point.x < exact_line_reach &&
           point.y >= -exact_line_reach && point.y < exact_line_reach;
}

// A line from `from` to `to`, drawn as move_to(from) and line_to(to) draw it: the end point
// left out.
struct LineSegment {
    DevicePoint from;
    DevicePoint to;
};
