// A picture in memory that the painter may write to directly: 32-bit pixels covering a
// rectangle of device pixels, top row first.
#pragma once

#include "device_geometry.h"

#include <cstddef>
#include <cstdint>
#include <span>

struct PixelPicture {
    std::uint32_t* pixels = nullptr; // the pixel at (area.left, area.top)
    std::int64_t stride = 0;         // pixels from one row to the next
    DeviceRect area{};               // the device pixels it holds

    std::int64_t width() const { return std::int64_t{area.right} - area.left; }
    std::int64_t height() const { return std::int64_t{area.bottom} - area.top; }
    bool empty() const { return pixels == nullptr || width() <= 0 || height() <= 0; }
    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
    }
    // The pixel at device point (x, y), which the picture must contain.
    std::uint32_t& at(std::int64_t x, std::int64_t y) const {
        return pixels[(y - area.top) * stride + (x - area.left)];
    }
    // The part of the picture inside `clip`; empty where they do not meet.
    PixelPicture within(const DeviceRect& clip) const;
};

// Where a line of one step (its end point a neighbour of its start) draws exactly its start
// pixel: sets that pixel to `line_pixel` for every such segment and moves the other segments,
// in their order, to the front of `segments`. Returns how many others there are.
std::size_t set_one_step_lines(const PixelPicture& picture, std::uint32_t line_pixel,
                               std::span<LineSegment> segments);
