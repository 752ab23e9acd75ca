#include "number_placement.h"

#include "certain_truncation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

std::int64_t NumberLayout::widest_digit() const {
    return *std::max_element(digit_widths->begin(), digit_widths->end());
}

NumberLayout number_layout(Canvas& canvas, std::int32_t height) {
    NumberLayout layout{height / 2, std::max<std::int64_t>(height, 1),
                        std::array<std::int64_t, 10>{}, std::nullopt};
    for (char digit = '0'; digit <= '9'; ++digit) {
        const auto width = canvas.text_width(std::string_view(&digit, 1));
        if (!width) {
            layout.digit_widths.reset();
            break;
        }
        (*layout.digit_widths)[static_cast<std::size_t>(digit - '0')] = *width;
    }
    if (layout.digit_widths &&
        std::all_of(layout.digit_widths->begin(), layout.digit_widths->end(),
                    [&](std::int64_t width) { return width == layout.digit_widths->front(); })) {
        layout.uniform_digit_width = layout.digit_widths->front();
    }
    return layout;
}

const DigitAtlas* usable_atlas(Canvas& canvas, const NumberLayout& layout,
                               std::int32_t text_height) {
    const DigitAtlas* atlas = canvas.digit_atlas();
    // A font of no height draws cells of no rows, but they count as a row where they might hide
    // a line: no atlas fits them.
    if (atlas == nullptr || !atlas->complete() || atlas->height != text_height ||
        atlas->height != layout.text_height || !layout.digit_widths ||
        !std::equal(layout.digit_widths->begin(), layout.digit_widths->end(),
                    atlas->widths.begin())) {
        return nullptr;
    }
    return atlas;
}

DevicePoint extended_number_point(const ViewTransform& view, const NumberLayout& layout,
                                  const MeshNode& a, const MeshNode& b, const MeshNode& c) {
    using Extended = long double;
    const Extended cx = Extended{centre_factor} * (Extended{b.x} + a.x + c.x);
    const Extended cy = Extended{centre_factor} * (Extended{b.y} + a.y + c.y);
    const Extended scale = view.scale;
    return add_pan({truncate_to_int32(scale * cx + view.offset_x),
                    truncate_to_int32((-scale * cy + view.offset_y) - layout.half_text)},
                   view);
}

NumberText::NumberText(std::int64_t number) {
    length = static_cast<std::size_t>(
        std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr - digits.data());
}

std::int32_t number_point_y(const ViewTransform& view, const NumberLayout& layout,
                            double centre_y) {
    // As number_point's y, in double precision where that gives the same pixel.
    const double down = -view.scale * centre_y;
    const double lifted = down + view.offset_y;
    const double device_y = lifted - layout.half_text;
    if (const auto quick = certain_truncation(
            device_y, double_steps_error * (std::abs(down) + std::abs(view.offset_y) +
                                            std::abs(lifted) + std::abs(device_y)))) {
        return add_pan(*quick, view.pan_y);
    }
    const long double scale = view.scale;
    return add_pan(truncate_to_int32((-scale * centre_y + view.offset_y) - layout.half_text),
                   view.pan_y);
}

CellBox device_box(const ViewTransform& view, MeshInterval x, MeshInterval y) {
    const DevicePoint a = quick_to_device(view, x.lo, y.lo);
    const DevicePoint b = quick_to_device(view, x.hi, y.hi);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::int64_t{std::max(a.x, b.x)} + 1,
            std::int64_t{std::max(a.y, b.y)} + 1};
}

__m128d block_steps_error(const ViewTransform& view, const NumberLayout& layout,
                          const ElementBlock& block) {
    // An element's centre lies in the box, so each of its device steps between those of the
    // box's ends.
    const DeviceSteps low = device_steps(view, layout, _mm_set_pd(block.y.lo, block.x.lo));
    const DeviceSteps high = device_steps(view, layout, _mm_set_pd(block.y.hi, block.x.hi));
    const DeviceSteps largest{_mm_max_pd(magnitudes(low.placed), magnitudes(high.placed)),
                              _mm_max_pd(magnitudes(low.device), magnitudes(high.device))};
    return steps_error(view, _mm_set_pd(block.corners_y, block.corners_x), largest);
}

CellBox block_cells_box(const MeshModel& mesh, const ViewTransform& view,
                        const NumberLayout& layout, const RecordBlock& block) {
    const std::int64_t widest =
        layout.widest_digit() *
        decimal_digits(static_cast<std::uint64_t>(shown_number(mesh, block.end - 1)));
    const CellBox centres = device_box(view, block.x, block.y);
    const std::int32_t top = number_point_y(view, layout, block.y.hi);
    const std::int32_t bottom = number_point_y(view, layout, block.y.lo);
    return {centres.left - (widest + 1) / 2, std::min(top, bottom),
            centres.right - 1 + (widest + 1) / 2,
            std::int64_t{std::max(top, bottom)} + layout.text_height};
}
