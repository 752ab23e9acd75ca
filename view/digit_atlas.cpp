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

void compose_number(const PixelPicture& picture, CoverageMask& written, const DigitAtlas& atlas,
                    DevicePoint point, std::string_view digits) {
    const std::int64_t left = atlas.centred_left(point.x, atlas.text_width(digits));
    const std::int64_t top = point.y;
    const CellBox cell{left, top, left + atlas.text_width(digits), top + atlas.height};
    written.cover_uncovered(cell, [&](std::int64_t from, std::int64_t to, std::int64_t y) {
        // The run may cross from one digit's cell into the next.
        std::int64_t digit_left = left;
        for (const char digit : digits) {
            const std::int64_t width = atlas.widths[digit_index(digit)];
            const std::int64_t begin = std::max(from, digit_left);
            const std::int64_t end = std::min(to, digit_left + width);
            if (begin < end) {
                const std::uint32_t* source = atlas.cells[digit_index(digit)].data() +
                                              (y - top) * width + (begin - digit_left);
                std::memcpy(&picture.at(begin, y), source,
                            static_cast<std::size_t>(end - begin) * sizeof(std::uint32_t));
            }
            digit_left += width;
            if (digit_left >= to) {
                break;
            }
        }
    });
}
