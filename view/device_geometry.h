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

// A line from `from` to `to`, drawn as move_to(from) and line_to(to) draw it: the end point
// left out.
struct LineSegment {
    DevicePoint from;
    DevicePoint to;
};
