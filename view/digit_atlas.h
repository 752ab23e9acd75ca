// Each digit's pixels as a font draws it, for composing numbers straight into a picture: a
// number's cell is its digits' cells side by side, as a text of several digits is drawn.
#pragma once

#include "coverage_mask.h"
#include "pixel_picture.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// The left edge of the cell of a text `width` pixels wide centred on x: half the width to the
// left of x, rounded down, or for an odd width rounded up where `odd_width_rounds_up`.
constexpr std::int64_t centred_left(std::int64_t x, std::int64_t width, bool odd_width_rounds_up) {
    return x - (odd_width_rounds_up ? width + 1 : width) / 2;
}

struct DigitAtlas {
    std::int32_t height = 0;               // rows of every cell: the font's height
    std::array<std::int32_t, 10> widths{}; // each digit's cell: its advance
    // Where a centred text of odd width starts: half its width to the left of its point,
    // rounded down, or rounded up where this is set.
    bool odd_width_rounds_up = false;
    std::array<std::vector<std::uint32_t>, 10> cells; // each digit's cell, row by row

    std::int64_t text_width(std::string_view digits) const;
    // Whether the cells hold width x height pixels each.
    bool complete() const;
};

// Writes the pixels of the cell of `digits`, centred on `point` (the middle of its top edge),
// that `written` does not hold yet, and marks the whole cell written. Composed from the last
// number drawn to the first, each pixel shows the last number over it, as when every number
// is drawn over the ones before it. `written` covers the picture's area.
void compose_number(const PixelPicture& picture, CoverageMask& written, const DigitAtlas& atlas,
                    DevicePoint point, std::string_view digits);

// Writes one row of the cell of `digits` starting at `left`: its pixels `from` to `to` (device
// x, right exclusive) of row `row` into `out`.
void compose_row(const DigitAtlas& atlas, std::string_view digits, std::int64_t left,
                 std::int64_t row, std::int64_t from, std::int64_t to, std::uint32_t* out);

// As compose_number, for a number's `cell` as its digits' widths and the atlas's centring
// place it; `text()` gives its digits, asked only where a pixel of the cell shows.
template <typename Text>
void compose_cell(const PixelPicture& picture, CoverageMask& written, const DigitAtlas& atlas,
                  const CellBox& cell, Text&& text) {
    std::optional<decltype(text())> digits;
    written.cover_uncovered(cell, [&](std::int64_t from, std::int64_t to, std::int64_t y) {
        if (!digits) {
            digits.emplace(text());
        }
        compose_row(atlas, digits->text(), cell.left, y - cell.top, from, to, &picture.at(from, y));
    });
}
