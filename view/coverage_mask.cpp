#include "coverage_mask.h"

CoverageMask::CoverageMask(const DeviceRect& area)
    : left_(area.left), top_(area.top),
      width_(std::max<std::int64_t>(std::int64_t{area.right} - area.left, 0)),
      height_(std::max<std::int64_t>(std::int64_t{area.bottom} - area.top, 0)),
      words_per_row_((width_ + 63) / 64),
      bits_(static_cast<std::size_t>(words_per_row_ * height_)) {}

CoverageMask::Span CoverageMask::clamp(const CellBox& box) const {
    return {std::clamp(box.left - left_, std::int64_t{0}, width_),
            std::clamp(box.top - top_, std::int64_t{0}, height_),
            std::clamp(box.right - left_, std::int64_t{0}, width_),
            std::clamp(box.bottom - top_, std::int64_t{0}, height_)};
}

bool CoverageMask::covers(const CellBox& box) const {
    const Span span = clamp(box);
    for (std::int64_t row = span.top; row < span.bottom; ++row) {
        const std::uint64_t* words = bits_.data() + row * words_per_row_;
        const bool covered =
            for_each_word(span.left, span.right, [&](std::int64_t word, std::uint64_t bits) {
                return (words[word] & bits) == bits;
            });
        if (!covered) {
            return false;
        }
    }
    return true;
}

void CoverageMask::cover(const CellBox& box) {
    const Span span = clamp(box);
    for (std::int64_t row = span.top; row < span.bottom; ++row) {
        std::uint64_t* words = bits_.data() + row * words_per_row_;
        for_each_word(span.left, span.right, [&](std::int64_t word, std::uint64_t bits) {
            words[word] |= bits;
            return true;
        });
    }
}
