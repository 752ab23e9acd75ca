// The pixels of a rectangle that opaque cells drawn later will cover, one bit each.
#pragma once

#include "device_geometry.h"
#include "scratch_memory.h"

#include <algorithm>
#include <bit>
#include <cstdint>

// Calls `visit(start, end)` for each run of set bits in `bits`, from the lowest (end exclusive).
template <typename Visit> void for_each_run(std::uint64_t bits, Visit&& visit) {
    while (bits != 0) {
        const int start = std::countr_zero(bits);
        const int length = std::countr_one(bits >> start);
        visit(start, start + length);
        bits = start + length == 64 ? 0 : bits & (~0ULL << (start + length));
    }
}

// A rectangle in 64-bit device coordinates, right and bottom exclusive: cells of numbers far
// outside the 32-bit range still compare correctly.
struct CellBox {
    std::int64_t left;
    std::int64_t top;
    std::int64_t right;
    std::int64_t bottom;
};

// The bits are kept a column of 64 pixels at a time, each column's rows one after the other:
// a number's cell, a few words wide and many rows high, is then a few runs of adjacent words.
class CoverageMask {
public:
    explicit CoverageMask(const DeviceRect& area);

    // The rectangle the mask holds.
    DeviceRect area() const {
        return {static_cast<std::int32_t>(left_), static_cast<std::int32_t>(top_),
                static_cast<std::int32_t>(left_ + width_),
                static_cast<std::int32_t>(top_ + height_)};
    }

    // True when every pixel of `box` inside the area is covered.
    bool covers(const CellBox& box) const;
    // Marks every pixel of `box` inside the area as covered.
    void cover(const CellBox& box);
    // Covers `box` as cover() does; false, changing nothing, where it was covered already.
    bool cover_if_open(const CellBox& box);
    // Marks every pixel of `box` inside the area as covered, after calling `fill(left, right, y)`
    // for each run of its pixels that was not yet (right exclusive, in device pixels).
    template <typename Fill> void cover_uncovered(const CellBox& box, Fill&& fill);
    // Marks the pixels of row `y` whose bits are set in `words`, a bit for each pixel of the
    // area's width from its left edge.
    void cover_row(std::int64_t y, const std::uint64_t* words);
    // Calls `visit(left, right, y)` for each run of covered pixels within a word (right
    // exclusive, in device pixels).
    template <typename Visit> void for_each_covered_run(Visit&& visit) const;

private:
    // The part of a box inside the area: its rows, and its words with the bits it holds of
    // the first and the last of them.
    struct Span {
        std::int64_t top;
        std::int64_t bottom;
        std::int64_t first_word;
        std::int64_t last_word;
        std::uint64_t first_bits;
        std::uint64_t last_bits;

        bool empty() const { return top >= bottom || first_word > last_word; }
    };
    Span span_of(const CellBox& box) const;
    bool covers_span(const Span& span) const;
    void cover_span(const Span& span);
    // Calls `apply(word, bits)` for each word of the span, with the bits the span holds of it.
    template <typename Apply> static void for_each_word(const Span& span, Apply&& apply) {
        if (span.first_word == span.last_word) {
            apply(span.first_word, span.first_bits & span.last_bits);
            return;
        }
        apply(span.first_word, span.first_bits);
        for (std::int64_t word = span.first_word + 1; word < span.last_word; ++word) {
            apply(word, ~0ULL);
        }
        apply(span.last_word, span.last_bits);
    }
    std::uint64_t* column(std::int64_t word) { return bits_.data() + word * height_; }
    const std::uint64_t* column(std::int64_t word) const { return bits_.data() + word * height_; }

    std::int64_t left_;
    std::int64_t top_;
    std::int64_t width_;
    std::int64_t height_;
    ScratchVector<std::uint64_t> bits_;
};

template <typename Fill> void CoverageMask::cover_uncovered(const CellBox& box, Fill&& fill) {
    const Span span = span_of(box);
    if (span.empty()) {
        return;
    }
    // Most cells are covered already: looking first, without writing, costs least.
    std::uint64_t open = 0;
    for_each_word(span, [&](std::int64_t word, std::uint64_t bits) {
        const std::uint64_t* rows = column(word);
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            open |= bits & ~rows[row];
        }
    });
    if (open == 0) {
        return;
    }
    for_each_word(span, [&](std::int64_t word, std::uint64_t bits) {
        std::uint64_t* rows = column(word);
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            const std::uint64_t row_open = bits & ~rows[row];
            rows[row] |= bits;
            for_each_run(row_open, [&](int start, int end) {
                fill(left_ + word * 64 + start, left_ + word * 64 + end, top_ + row);
            });
        }
    });
}

template <typename Visit> void CoverageMask::for_each_covered_run(Visit&& visit) const {
    const std::int64_t words = (width_ + 63) / 64;
    for (std::int64_t word = 0; word < words; ++word) {
        const std::uint64_t* rows = column(word);
        for (std::int64_t row = 0; row < height_; ++row) {
            for_each_run(rows[row], [&](int start, int end) {
                visit(left_ + word * 64 + start, left_ + word * 64 + end, top_ + row);
            });
        }
    }
}
