#include "coverage_mask.h"

CoverageMask::CoverageMask(const DeviceRect& area)
    : left_(area.left), top_(area.top),
      width_(std::max<std::int64_t>(std::int64_t{area.right} - area.left, 0)),
      height_(std::max<std::int64_t>(std::int64_t{area.bottom} - area.top, 0)),
      bits_(static_cast<std::size_t>((width_ + 63) / 64 * height_)) {}

CoverageMask::Span CoverageMask::span_of(const CellBox& box) const {
    // Clamped to the area, the columns are small and not negative.
    const auto left =
        static_cast<std::uint64_t>(std::clamp(box.left - left_, std::int64_t{0}, width_));
    const auto right =
        static_cast<std::uint64_t>(std::clamp(box.right - left_, std::int64_t{0}, width_));
    Span span{std::clamp(box.top - top_, std::int64_t{0}, height_),
              std::clamp(box.bottom - top_, std::int64_t{0}, height_),
              static_cast<std::int64_t>(left / 64),
              static_cast<std::int64_t>((right - 1) / 64),
              ~0ULL << (left % 64),
              right % 64 == 0 ? ~0ULL : (1ULL << (right % 64)) - 1};
    if (left >= right) {
        span.first_word = 1;
        span.last_word = 0;
    } else if (span.first_word == span.last_word) {
        span.first_bits &= span.last_bits;
    }
    return span;
}

bool CoverageMask::covers(const CellBox& box) const {
    return covers_span(span_of(box));
}

bool CoverageMask::covers_span(const Span& span) const {
    if (span.empty()) {
        return true;
    }
    for (std::int64_t word = span.first_word; word <= span.last_word; ++word) {
        const std::uint64_t bits = span.bits(word);
        const std::uint64_t* rows = column(word);
        // Every row is looked at: a branch-free run over adjacent words beats stopping early.
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
    for (std::int64_t word = span.first_word; word <= span.last_word; ++word) {
        const std::uint64_t bits = span.bits(word);
        std::uint64_t* rows = column(word);
        for (std::int64_t row = span.top; row < span.bottom; ++row) {
            rows[row] |= bits;
        }
    }
}

bool CoverageMask::cover_if_open(const CellBox& box) {
    const Span span = span_of(box);
    if (covers_span(span)) {
        return false;
    }
    cover_span(span);
    return true;
}
