#include "coverage_mask.h"

CoverageMask::CoverageMask(const DeviceRect& area)
    : left_(area.left), top_(area.top),
      width_(std::max<std::int64_t>(std::int64_t{area.right} - area.left, 0)),
      height_(std::max<std::int64_t>(std::int64_t{area.bottom} - area.top, 0)),
      bits_(static_cast<std::size_t>((width_ + 63) / 64 * height_)) {}

CoverageMask::Span CoverageMask::span_of(const CellBox& box) const {
    // Clamped to the area, the columns are small and not negative.
    const std::int64_t left = std::clamp(box.left - left_, std::int64_t{0}, width_);
    const std::int64_t right = std::clamp(box.right - left_, std::int64_t{0}, width_);
    if (left >= right) {
        return {0, 0, 1, 0, 0, 0};
    }
    return {std::clamp(box.top - top_, std::int64_t{0}, height_),
            std::clamp(box.bottom - top_, std::int64_t{0}, height_),
            left >> 6,
            (right - 1) >> 6,
            ~0ULL << (left & 63),
            ~0ULL >> (63 - ((right - 1) & 63))};
}

bool CoverageMask::covers(const CellBox& box) const {
    return covers_span(span_of(box));
}

bool CoverageMask::covers_span(const Span& span) const {
    if (span.empty()) {
        return true;
    }
    // Every row of a column is looked at: a branch-free run over adjacent words beats stopping
    // early. A box as wide as the area stops at the first column not covered.
    for (std::int64_t word = span.first_word; word <= span.last_word; ++word) {
        const std::uint64_t bits = (word == span.first_word ? span.first_bits : ~0ULL) &
                                   (word == span.last_word ? span.last_bits : ~0ULL);
        const std::uint64_t* rows = column(word);
        std::uint64_t open = 0;
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            open |= bits & ~rows[row];
        }
        if (open != 0) {
            return false;
        }
    }
    return true;
}

void CoverageMask::cover(const CellBox& box) {
    cover_span(span_of(box));
}

void CoverageMask::cover_span(const Span& span) {
    if (span.empty()) {
        return;
    }
    for_each_word(span, [&](std::int64_t word, std::uint64_t bits) {
        std::uint64_t* rows = column(word);
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            rows[row] |= bits;
        }
    });
}

bool CoverageMask::cover_if_open(const CellBox& box) {
    const Span span = span_of(box);
    if (span.empty()) {
        return false;
    }
    // One pass: setting bits that were set already changes nothing.
    std::uint64_t open = 0;
    for_each_word(span, [&](std::int64_t word, std::uint64_t bits) {
        std::uint64_t* rows = column(word);
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            open |= bits & ~rows[row];
            rows[row] |= bits;
        }
    });
    return open != 0;
}

void CoverageMask::cover_row(std::int64_t y, const std::uint64_t* words) {
    const std::int64_t row = y - top_;
    if (row < 0 || row >= height_) {
        return;
    }
    const std::int64_t count = (width_ + 63) / 64;
    for (std::int64_t word = 0; word < count; ++word) {
        column(word)[row] |= words[word];
    }
}
