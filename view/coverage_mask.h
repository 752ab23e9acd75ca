// The pixels of a rectangle that opaque cells drawn later will cover, one bit each.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <vector>

// A rectangle in 64-bit device coordinates, right and bottom exclusive: cells of numbers far
// outside the 32-bit range still compare correctly.
struct CellBox {
    std::int64_t left;
    std::int64_t top;
    std::int64_t right;
    std::int64_t bottom;
};

class CoverageMask {
public:
    explicit CoverageMask(const DeviceRect& area);

    // True when every pixel of `box` inside the area is covered.
    bool covers(const CellBox& box) const;
    // Marks every pixel of `box` inside the area as covered.
    void cover(const CellBox& box);

private:
    struct Span {
        std::int64_t left, top, right, bottom; // relative to the area, clamped to it
    };
    Span clamp(const CellBox& box) const;

    std::int64_t left_;
    std::int64_t top_;
    std::int64_t width_;
    std::int64_t height_;
    std::int64_t words_per_row_;
    std::vector<std::uint64_t> bits_;
};
