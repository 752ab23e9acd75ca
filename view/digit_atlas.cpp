#include "digit_atlas.h"

#include <algorithm>
#include <cstring>

namespace {

std::size_t digit_index(char digit) {
    return static_cast<std::size_t>(digit - '0');
}

} // namespace

std::int64_t DigitAtlas::text_width(std::string_view digits) const {
    std::int64_t width = 0;
    for (const char digit : digits) {
        width += widths[digit_index(digit)];
    }
    return width;
}

bool DigitAtlas::complete() const {
    for (std::size_t d = 0; d < cells.size(); ++d) {
        if (widths[d] < 0 || height < 0 ||
            cells[d].size() !=
                static_cast<std::size_t>(widths[d]) * static_cast<std::size_t>(height)) {
            return false;
        }
    }
    return true;
}

void compose_row(const DigitAtlas& atlas, std::string_view digits, std::int64_t left,
                 std::int64_t row, std::int64_t from, std::int64_t to, std::uint32_t* out) {
    // The digits left of the run are passed over; the run may cross from one digit's cell into
    // the next, and each digit's part of it is one row of its cell.
    std::size_t k = 0;
    std::int64_t digit_left = left;
    for (std::int64_t x = from; x < to;) {
        std::int32_t digit_width = atlas.widths[digit_index(digits[k])];
        while (x >= digit_left + digit_width) {
            digit_left += digit_width;
            digit_width = atlas.widths[digit_index(digits[++k])];
        }
        const std::int64_t end = std::min(to, digit_left + digit_width);
        const std::uint32_t* cell =
            atlas.cells[digit_index(digits[k])].data() + row * digit_width + (x - digit_left);
        // Most runs are a pixel or two: a loop beats a call to copy them.
        for (const std::uint32_t* from = cell; from != cell + (end - x);) {
            *out++ = *from++;
        }
        x = end;
    }
}

void compose_number(const PixelPicture& picture, CoverageMask& written, const DigitAtlas& atlas,
                    DevicePoint point, std::string_view digits) {
    const std::int64_t width = atlas.text_width(digits);
    const std::int64_t left = centred_left(point.x, width, atlas.odd_width_rounds_up);
    struct Digits {
        std::string_view digits;
        std::string_view text() const { return digits; }
    };
    compose_cell(picture, written, atlas, {left, point.y, left + width, point.y + atlas.height},
                 [digits] { return Digits{digits}; });
}
