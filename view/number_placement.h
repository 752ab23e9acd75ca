// Where a paint puts each element's number, and the opaque cell the number covers: the centre
// of its corners as the painter computes it, in extended precision or in double precision where
// that gives the same pixel.
#pragma once

#include "canvas.h"
#include "certain_truncation.h"
#include "coverage_mask.h"
#include "decimal_digits.h"
#include "digit_atlas.h"
#include "mesh_index.h"
#include "mesh_model.h"
#include "number_centre.h"
#include "view_transform.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <emmintrin.h>
#include <limits>
#include <optional>
#include <string_view>

// The longest number drawn: an index below 2^31 plus the numbering base.
inline constexpr std::int64_t max_number_length = 10;

// What a paint needs to place numbers and to tell which of them cannot show.
struct NumberLayout {
    std::int32_t half_text;   // lifts a number so that its middle, not its top, is on the centre
    std::int64_t text_height; // height of a number's opaque cell
    // Each digit's width, when the canvas can tell: a number is as wide as its digits.
    std::optional<std::array<std::int64_t, 10>> digit_widths;
    // The width every digit has, where they all have the same, as most fonts' digits do.
    std::optional<std::int64_t> uniform_digit_width;
    // How a centred text of odd width sits, as the atlas the numbers are composed from found it.
    bool odd_width_rounds_up = false;

    // The widest digit's width; the layout must have digit widths.
    std::int64_t widest_digit() const;
};

NumberLayout number_layout(Canvas& canvas, std::int32_t height);

// The canvas's atlas where it agrees with the font's metrics the layout was made from, or none.
const DigitAtlas* usable_atlas(Canvas& canvas, const NumberLayout& layout,
                               std::int32_t text_height);

// Where a number goes, in extended precision: the middle of its cell's top edge over the centre
// of the corners a, b and c.
DevicePoint extended_number_point(const ViewTransform& view, const NumberLayout& layout,
                                  const MeshNode& a, const MeshNode& b, const MeshNode& c);

// The steps of to_device from a corner sum, x and y side by side in SSE2 as every x86-64
// processor has it: device = scale * (centre_factor * (b + a + c)) + offset, less half the
// text's height for y; `placed` is the value before that last step.
struct DeviceSteps {
    __m128d placed;
    __m128d device;
};

inline DeviceSteps device_steps(const ViewTransform& view, const NumberLayout& layout,
                                __m128d centre) {
    const __m128d moved = _mm_mul_pd(_mm_set_pd(-view.scale, view.scale), centre);
    const __m128d placed = _mm_add_pd(moved, _mm_set_pd(view.offset_y, view.offset_x));
    return {placed, _mm_sub_pd(placed, _mm_set_pd(layout.half_text, 0.0))};
}

// How far the steps can have rounded the device values: double_steps_error times the
// magnitudes they went through (as certain_truncation tells it), from the corners' magnitudes
// `magnitude`. Never less for larger magnitudes, so that the largest of a block bound every
// element's.
inline __m128d steps_error(const ViewTransform& view, __m128d magnitude, DeviceSteps steps) {
    const __m128d spread = _mm_mul_pd(_mm_set1_pd(std::abs(view.scale)), magnitude);
    const __m128d reach = _mm_add_pd(
        _mm_add_pd(_mm_add_pd(spread, _mm_set_pd(std::abs(view.offset_y), std::abs(view.offset_x))),
                   magnitudes(_mm_unpacklo_pd(_mm_setzero_pd(),
                                              _mm_unpackhi_pd(steps.placed, steps.placed)))),
        magnitudes(steps.device));
    return _mm_mul_pd(reach, _mm_set1_pd(double_steps_error));
}

// Whether both device values truncate for certain, lying farther than `error` from both whole
// numbers around them, and their truncations into `whole`.
inline bool certain_truncations(__m128d device, __m128d error, __m128i& whole) {
    whole = _mm_cvttpd_epi32(device);
    const __m128d toward_zero = magnitudes(_mm_sub_pd(device, _mm_cvtepi32_pd(whole)));
    const __m128d certain =
        _mm_and_pd(_mm_and_pd(_mm_cmplt_pd(magnitudes(device), _mm_set1_pd(certain_limit)),
                              _mm_cmpgt_pd(toward_zero, error)),
                   _mm_cmpgt_pd(_mm_sub_pd(_mm_set1_pd(1.0), toward_zero), error));
    return _mm_movemask_pd(certain) == 3;
}

inline DevicePoint point_of(__m128i whole, const ViewTransform& view) {
    return add_pan({_mm_cvtsi128_si32(whole), _mm_cvtsi128_si32(_mm_shuffle_epi32(whole, 1))},
                   view);
}

// Where element `index`'s number goes (the middle of its cell's top edge); false where a corner
// is missing. (A flag and a point, not an optional point: the optional's flag byte, stored apart
// and read back with the point, stalls the loops that call this a million times.) Inline: it is
// the inner step of the loops over every element. The same steps in double precision where they
// give the same pixel, otherwise in extended precision.
inline bool number_point(const MeshModel& mesh, const ViewTransform& view,
                         const NumberLayout& layout, std::int32_t index, DevicePoint& point) {
    const MeshElement& element = mesh.elements[static_cast<std::size_t>(index)];
    if (!has_corners(mesh, element)) {
        return false;
    }
    const MeshNode& a = mesh.node(element.node_a);
    const MeshNode& b = mesh.node(element.node_b);
    const MeshNode& c = mesh.node(element.node_c);
    const CornerSums corners = corner_sums(a, b, c);
    const DeviceSteps steps = device_steps(view, layout, centre_of(corners.sum));
    __m128i whole;
    point = certain_truncations(steps.device, steps_error(view, corners.magnitude, steps), whole)
                ? point_of(whole, view)
                : extended_number_point(view, layout, a, b, c);
    return true;
}

// An error bound of the steps for every element of an index's block at once: each magnitude
// the steps go through is at most its largest over the block (the corners' from the block,
// the device values' at an end of its box of centres, the steps being monotonic), and the
// error never less for larger ones. Not finite, NaN included, where the block's box is
// everything.
__m128d block_steps_error(const ViewTransform& view, const NumberLayout& layout,
                          const ElementBlock& block);

// The number points of the elements of `block` (at most 64), the last first: points[0] is
// element end - 1's. y is beyond every row where an element has a corner missing. The
// double-precision steps go in a loop of their own with the block's error bound, so that the
// loop has no call and the view's constants stay in registers; the few points the bound leaves
// uncertain are worked out alone after it, in extended precision where they need it.
inline void block_number_points(const MeshModel& mesh, const ViewTransform& view,
                                const NumberLayout& layout, const ElementBlock& block,
                                DevicePoint* points) {
    const __m128d error = block_steps_error(view, layout, block);
    std::uint64_t uncertain = 0;
    for (std::int32_t index = block.end - 1; index >= block.first; --index) {
        const auto slot = static_cast<unsigned>(block.end - 1 - index);
        const MeshElement& element = mesh.elements[static_cast<std::size_t>(index)];
        if (!has_corners(mesh, element)) {
            points[slot].y = std::numeric_limits<std::int32_t>::max();
            continue;
        }
        const CornerSums corners = corner_sums(mesh.node(element.node_a), mesh.node(element.node_b),
                                               mesh.node(element.node_c));
        __m128i whole;
        if (certain_truncations(device_steps(view, layout, centre_of(corners.sum)).device, error,
                                whole)) {
            points[slot] = point_of(whole, view);
        } else {
            uncertain |= std::uint64_t{1} << slot;
        }
    }
    for (; uncertain != 0; uncertain &= uncertain - 1) {
        const auto slot = static_cast<unsigned>(std::countr_zero(uncertain));
        (void)number_point(mesh, view, layout, block.end - 1 - static_cast<std::int32_t>(slot),
                           points[slot]);
    }
}

// The y of the point of a number whose centre is at mesh y `centre_y`, in extended precision.
std::int32_t number_point_y(const ViewTransform& view, const NumberLayout& layout, double centre_y);

// The number element `index` shows: in 64 bits, where index + numbering_base cannot overflow.
inline std::int64_t shown_number(const MeshModel& mesh, std::int32_t index) {
    return std::int64_t{index} + mesh.numbering_base;
}

struct NumberText {
    std::array<char, 20> digits;
    std::size_t length;

    explicit NumberText(std::int64_t number);
    std::string_view text() const { return {digits.data(), length}; }
};

// A number that shows, at least in part, and where.
struct ShownNumber {
    std::int32_t index;
    DevicePoint point;
};

// The device box of every point of a mesh box, right and bottom exclusive: device points never
// decrease along either axis of the mesh (nor increase, for a negative scale), so two corners
// tell it.
CellBox device_box(const ViewTransform& view, MeshInterval x, MeshInterval y);

// The box the cells of the numbers of `block` lie in, right and bottom exclusive: the numbers
// are centred in the block's box of centres, the largest is its last, no cell is wider than its
// digits times the widest digit, and a cell w wide reaches at most w / 2, rounded up, to either
// side of its point. The layout must have digit widths, and the block an element drawn.
CellBox block_cells_box(const MeshModel& mesh, const ViewTransform& view,
                        const NumberLayout& layout, const RecordBlock& block);

// How many decimal digits `number` has.
constexpr std::int64_t decimal_digits(std::uint64_t number) {
    // log10(2) is about 1233 / 4096: the guess is the number of digits or one less. 0 has one.
    const auto guess = static_cast<std::size_t>((std::bit_width(number) * 1233) >> 12);
    return number == 0
               ? 1
               : static_cast<std::int64_t>(guess) + (number >= powers_of_ten[guess] ? 1 : 0);
}

// The opaque cell of a number: as wide as its digits, centred on its point the way GDI centres
// text (half the width to the left, rounded down unless the atlas found otherwise), from the
// point down. Without digit widths the cell is taken as wide as can be. Inline, as
// number_point.
inline CellBox number_cell(const NumberLayout& layout, DevicePoint point, std::int64_t number) {
    const std::int64_t top = point.y;
    if (!layout.digit_widths) {
        constexpr std::int64_t unbounded = std::int64_t{1} << 40;
        return {-unbounded, top, unbounded, top + layout.text_height};
    }
    std::int64_t width = 0;
    auto rest = static_cast<std::uint64_t>(number);
    if (layout.uniform_digit_width) {
        width = decimal_digits(rest) * *layout.uniform_digit_width;
    } else {
        do {
            width += (*layout.digit_widths)[rest % 10];
            rest /= 10;
        } while (rest != 0);
    }
    const std::int64_t left = centred_left(point.x, width, layout.odd_width_rounds_up);
    return {left, top, left + width, top + layout.text_height};
}
