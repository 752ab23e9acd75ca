// The pixels of a rectangle that opaque cells drawn later will cover, one bit each.
#pragma once

#include "device_geometry.h"

#include <algorithm>
#include <bit>
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
    // Marks every pixel of `box` inside the area as covered, after calling `fill(left, right, y)`
    // for each run of its pixels that was not yet (right exclusive, in device pixels).
    template <typename Fill> void cover_uncovered(const CellBox& box, Fill&& fill);

private:
    struct Span {
        std::int64_t left, top, right, bottom; // relative to the area, clamped to it
    };
    Span clamp(const CellBox& box) const;

    // The bits of one word from bit `from` up to, not including, bit `to` (0 <= from < to <= 64).
    static std::uint64_t bit_range(std::int64_t from, std::int64_t to) {
        const std::uint64_t upper = to == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
        return upper & ~((std::uint64_t{1} << from) - 1);
    }
    // Calls `apply(word_index, bits)` for every word a row span touches; stops when it says false.
    template <typename Apply>
    static bool for_each_word(std::int64_t left, std::int64_t right, Apply&& apply) {
        for (std::int64_t word = left / 64; word * 64 < right; ++word) {
            const std::int64_t from = std::max(left - word * 64, std::int64_t{0});
            const std::int64_t to = std::min(right - word * 64, std::int64_t{64});
            if (!apply(word, bit_range(from, to))) {
                return false;
            }
        }
        return true;
    }

    std::int64_t left_;
    std::int64_t top_;
    std::int64_t width_;
    std::int64_t height_;
    std::int64_t words_per_row_;
    std::vector<std::uint64_t> bits_;
};

template <typename Fill> void CoverageMask::cover_uncovered(const CellBox& box, Fill&& fill) {
    const Span span = clamp(box);
    for (std::int64_t row = span.top; row < span.bottom; ++row) {
        std::uint64_t* words = bits_.data() + row * words_per_row_;
        for_each_word(span.left, span.right, [&](std::int64_t word, std::uint64_t bits) {
            std::uint64_t open = bits & ~words[word];
            words[word] |= bits;
            while (open != 0) {
                const int start = std::countr_zero(open);
                const int length = std::countr_one(open >> start);
                const std::int64_t x = left_ + word * 64 + start;
                fill(x, x + length, top_ + row);
                open &= ~bit_range(start, start + length);
            }
            return true;
        });
    }
}
