#include "coverage_mask.h"

#include <algorithm>

namespace {

// The bits of one word from bit `from` up to, not including, bit `to` (0 <= from < to <= 64).
std::uint64_t bit_range(std::int64_t from, std::int64_t to) {
    const std::uint64_t upper = to == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    return upper & ~((std::uint64_t{1} << from) - 1);
}

// Calls `apply(word_index, bits)` for every word a row span touches; stops when it says false.
template <typename Apply> bool for_each_word(std::int64_t left, std::int64_t right, Apply apply) {
    for (std::int64_t word = left / 64; word * 64 < right; ++word) {
        const std::int64_t from = std::max(left - word * 64, std::int64_t{0});
        const std::int64_t to = std::min(right - word * 64, std::int64_t{64});
        if (!apply(word, bit_range(from, to))) {
            return false;
        }
    }
    return true;
}

} // namespace

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
