#include "mesh_painter.h"

#include "certain_truncation.h"
#include "coverage_mask.h"
#include "digit_atlas.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <span>
#include <vector>

namespace {

// The label sits at 0.333 of the corner sum, a hair toward the origin from the centroid.
constexpr double centre_factor = 0.333;

// Above this many pixels in the clip box, telling hidden numbers apart costs more memory than
// it saves.
constexpr std::int64_t max_mask_pixels = std::int64_t{1} << 26;
// Above this many words of the mask in a number's cell, telling hidden numbers apart costs
// more time than drawing them.
constexpr std::int64_t max_cell_words = 1024;
// The longest number drawn: an index below 2^31 plus the numbering base.
constexpr std::int64_t max_number_length = 10;
// Lines are handed to the canvas this many at a time.
constexpr std::size_t line_batch = 4096;

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

const MeshNode& node_at(const MeshModel& mesh, std::int32_t index) {
    return mesh.nodes[static_cast<std::size_t>(index)];
}

// A one-pixel pen draws a line's pixels inside the box of its end points.
bool line_misses(const DeviceRect& clip, DevicePoint a, DevicePoint b) {
    return std::max(a.x, b.x) < clip.left || std::min(a.x, b.x) >= clip.right ||
           std::max(a.y, b.y) < clip.top || std::min(a.y, b.y) >= clip.bottom;
}

// to_device, in double precision where that gives the same pixel.
DevicePoint device_point(const ViewTransform& view, double x, double y) {
    const double across = view.scale * x;
    const double down = -view.scale * y;
    const double device_x = across + view.offset_x;
    const double device_y = down + view.offset_y;
    const auto quick_x = certain_truncation(
        device_x,
        double_steps_error * (std::abs(across) + std::abs(view.offset_x) + std::abs(device_x)));
    const auto quick_y = certain_truncation(
        device_y,
        double_steps_error * (std::abs(down) + std::abs(view.offset_y) + std::abs(device_y)));
    if (quick_x && quick_y) {
        return add_pan({*quick_x, *quick_y}, view);
    }
    return to_device(view, x, y);
}

// Every node's device point, each converted once though sides share their nodes.
std::vector<DevicePoint> device_points(const MeshModel& mesh, const ViewTransform& view) {
    std::vector<DevicePoint> points;
    points.reserve(mesh.nodes.size());
    for (const MeshNode& node : mesh.nodes) {
        points.push_back(device_point(view, node.x, node.y));
    }
    return points;
}

// The lines of a paint, handed to the canvas a batch at a time.
class LineBatch {
public:
    explicit LineBatch(Canvas& canvas) : canvas_(canvas) { segments_.reserve(line_batch); }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;
    ~LineBatch() { flush(); }

    void add(DevicePoint from, DevicePoint to) {
        segments_.push_back({from, to});
        if (segments_.size() == line_batch) {
            flush();
        }
    }
    // A line drawn with move_to and line_to themselves, after the lines before it.
    void add_plain(DevicePoint from, DevicePoint to) {
        flush();
        canvas_.move_to(from);
        canvas_.line_to(to);
    }
    void flush() {
        if (!segments_.empty()) {
            canvas_.draw_lines(segments_);
            segments_.clear();
        }
    }

private:
    Canvas& canvas_;
    std::vector<LineSegment> segments_;
};

bool drawn_side(const MeshModel& mesh, const MeshSide& side) {
    return side.mark != -1 && valid_node(mesh, side.node_a) && valid_node(mesh, side.node_b);
}

void draw_side(LineBatch& lines, const DeviceRect& clip, const CoverageMask* under_numbers,
               DevicePoint from, DevicePoint to) {
    // A line to its own start draws nothing, and the current position it leaves is unused.
    if (from == to || line_misses(clip, from, to)) {
        return;
    }
    // Beyond the reach GDI draws exactly, a line is drawn as it is, wherever it may land.
    if (!within_exact_line_reach(from) || !within_exact_line_reach(to)) {
        lines.add_plain(from, to);
        return;
    }
    // The opaque cells of the numbers, drawn after every line, hide a line beneath them.
    if (under_numbers != nullptr &&
        under_numbers->covers({std::min(from.x, to.x), std::min(from.y, to.y),
                               std::int64_t{std::max(from.x, to.x)} + 1,
                               std::int64_t{std::max(from.y, to.y)} + 1})) {
        return;
    }
    lines.add(from, to);
}

// The elements and sides a paint looks at: all of them where a selection is not set.
struct Selection {
    std::optional<std::vector<RecordRange>> elements;
    std::optional<std::vector<RecordRange>> sides;
};

template <typename Visit>
void for_each_element_descending(const MeshModel& mesh, const Selection& selection, Visit&& visit) {
    if (selection.elements) {
        for (auto range = selection.elements->rbegin(); range != selection.elements->rend();
             ++range) {
            for (std::int32_t index = range->end - 1; index >= range->first; --index) {
                visit(index);
            }
        }
        return;
    }
    for (std::int32_t index = mesh.element_count() - 1; index >= 0; --index) {
        visit(index);
    }
}

template <typename Visit>
void for_each_element_ascending(const MeshModel& mesh, const Selection& selection, Visit&& visit) {
    if (selection.elements) {
        for (const RecordRange& range : *selection.elements) {
            for (std::int32_t index = range.first; index < range.end; ++index) {
                visit(index);
            }
        }
        return;
    }
    for (std::int32_t index = 0; index < mesh.element_count(); ++index) {
        visit(index);
    }
}

std::size_t records_in(const std::vector<RecordRange>& ranges) {
    std::size_t records = 0;
    for (const RecordRange& range : ranges) {
        records += static_cast<std::size_t>(range.end - range.first);
    }
    return records;
}

void draw_sides(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const DeviceRect& clip, const CoverageMask* under_numbers,
                const Selection& selection) {
    if (mesh.sides.empty()) {
        return;
    }
    LineBatch lines(canvas);
    // A few sides of many convert their own nodes; many convert every node once.
    if (selection.sides && 2 * records_in(*selection.sides) < mesh.nodes.size()) {
        for (const RecordRange& range : *selection.sides) {
            for (std::int32_t index = range.first; index < range.end; ++index) {
                const MeshSide& side = mesh.sides[static_cast<std::size_t>(index)];
                if (drawn_side(mesh, side)) {
                    const MeshNode& a = node_at(mesh, side.node_a);
                    const MeshNode& b = node_at(mesh, side.node_b);
                    draw_side(lines, clip, under_numbers, device_point(view, a.x, a.y),
                              device_point(view, b.x, b.y));
                }
            }
        }
        return;
    }
    const std::vector<DevicePoint> points = device_points(mesh, view);
    const auto draw_range = [&](std::int32_t first, std::int32_t end) {
        for (std::int32_t index = first; index < end; ++index) {
            const MeshSide& side = mesh.sides[static_cast<std::size_t>(index)];
            if (drawn_side(mesh, side)) {
                draw_side(lines, clip, under_numbers, points[static_cast<std::size_t>(side.node_a)],
                          points[static_cast<std::size_t>(side.node_b)]);
            }
        }
    };
    if (!selection.sides) {
        draw_range(0, mesh.side_count());
        return;
    }
    for (const RecordRange& range : *selection.sides) {
        draw_range(range.first, range.end);
    }
}

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
};

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

// The canvas's atlas where it agrees with the font's metrics the layout was made from, or none.
const DigitAtlas* usable_atlas(Canvas& canvas, const NumberLayout& layout,
                               std::int32_t text_height) {
    const DigitAtlas* atlas = canvas.digit_atlas();
    if (atlas == nullptr || !atlas->complete() || atlas->height != text_height ||
        !layout.digit_widths ||
        !std::equal(layout.digit_widths->begin(), layout.digit_widths->end(),
                    atlas->widths.begin())) {
        return nullptr;
    }
    return atlas;
}

// Where a number goes, in extended precision: the middle of its cell's top edge over the centre
// of the corners a, b and c.
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

// Where element `index`'s number goes (the middle of its cell's top edge); false where a
// corner is missing. The same steps in double precision where they give the same pixel. (A
// flag and a point, not an optional point: the optional's flag byte, stored apart and read
// back with the point, stalls the loops that call this a million times.)
bool number_point(const MeshModel& mesh, const ViewTransform& view, const NumberLayout& layout,
                  std::int32_t index, DevicePoint& point) {
    const MeshElement& element = mesh.elements[static_cast<std::size_t>(index)];
    if (!valid_node(mesh, element.node_a) || !valid_node(mesh, element.node_b) ||
        !valid_node(mesh, element.node_c)) {
        return false;
    }
    const MeshNode& a = node_at(mesh, element.node_a);
    const MeshNode& b = node_at(mesh, element.node_b);
    const MeshNode& c = node_at(mesh, element.node_c);
    const double across = view.scale * (centre_factor * (b.x + a.x + c.x));
    const double down = -view.scale * (centre_factor * (b.y + a.y + c.y));
    const double device_x = across + view.offset_x;
    const double lifted = down + view.offset_y;
    const double device_y = lifted - layout.half_text;
    // Every step's result is at most the corners' magnitudes times the scale and factor.
    const double spread_x = std::abs(view.scale) * (std::abs(a.x) + std::abs(b.x) + std::abs(c.x));
    const double spread_y = std::abs(view.scale) * (std::abs(a.y) + std::abs(b.y) + std::abs(c.y));
    const auto quick_x = certain_truncation(
        device_x, double_steps_error * (spread_x + std::abs(view.offset_x) + std::abs(device_x)));
    const auto quick_y =
        certain_truncation(device_y, double_steps_error * (spread_y + std::abs(view.offset_y) +
                                                           std::abs(lifted) + std::abs(device_y)));
    point = quick_x && quick_y ? add_pan({*quick_x, *quick_y}, view)
                               : extended_number_point(view, layout, a, b, c);
    return true;
}

// The number element `index` shows: in 64 bits, where index + numbering_base cannot overflow.
std::int64_t shown_number(const MeshModel& mesh, std::int32_t index) {
    return std::int64_t{index} + mesh.numbering_base;
}

struct NumberText {
    std::array<char, 20> digits;
    std::size_t length;

    explicit NumberText(std::int64_t number) {
        length = static_cast<std::size_t>(
            std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr -
            digits.data());
    }
    std::string_view text() const { return {digits.data(), length}; }
};

// The opaque cell of a number: as wide as its digits, centred on its point the way GDI
// centres text (half the width to the left, rounded down unless the atlas found otherwise),
// from the point down. Without digit widths the cell is taken as wide as can be.
CellBox number_cell(const NumberLayout& layout, DevicePoint point, std::int64_t number) {
    const std::int64_t top = point.y;
    if (!layout.digit_widths) {
        constexpr std::int64_t unbounded = std::int64_t{1} << 40;
        return {-unbounded, top, unbounded, top + layout.text_height};
    }
    std::int64_t width = 0;
    auto rest = static_cast<std::uint64_t>(number);
    if (layout.uniform_digit_width) {
        std::int64_t digits = 1;
        for (std::uint64_t power = 10; rest >= power && digits < 20; power *= 10) {
            ++digits;
        }
        width = digits * *layout.uniform_digit_width;
    } else {
        do {
            width += (*layout.digit_widths)[rest % 10];
            rest /= 10;
        } while (rest != 0);
    }
    const std::int64_t left = centred_left(point.x, width, layout.odd_width_rounds_up);
    return {left, top, left + width, top + layout.text_height};
}

bool cell_misses(const DeviceRect& clip, const CellBox& cell) {
    return cell.right <= clip.left || cell.left >= clip.right || cell.bottom <= clip.top ||
           cell.top >= clip.bottom;
}

// A number that shows, at least in part, and where.
struct ShownNumber {
    std::int32_t index;
    DevicePoint point;
};

// Which pixels the numbers' opaque cells cover in the end, and the numbers not wholly under
// later ones, the last first; where the cover could not be worked out, nothing is known.
struct NumberCover {
    std::optional<CoverageMask> covered;
    std::vector<ShownNumber> shown;
};

// Numbers hidden under the opaque cells of later numbers draw nothing that stays visible.
// Walking backwards, a number whose cell the cells of the numbers after it already cover is
// hidden. Without digit widths, for an empty clip box, for a clip box too big to track, or for
// cells too big to walk, nothing is worked out.
NumberCover cover_numbers(const MeshModel& mesh, const ViewTransform& view,
                          const NumberLayout& layout, const DeviceRect& clip,
                          const Selection& selection) {
    const std::int64_t width = std::int64_t{clip.right} - clip.left;
    const std::int64_t height = std::int64_t{clip.bottom} - clip.top;
    if (!layout.digit_widths || width <= 0 || height <= 0) {
        return {};
    }
    // The mask keeps each row in whole 64-bit words: a clip box one pixel wide costs 64 bits a
    // row, so the rows' words, not the pixels, are what must stay within the limit.
    const std::int64_t row_bits = (width + 63) / 64 * 64;
    const bool mask_too_big =
        width > max_mask_pixels || height > max_mask_pixels || row_bits * height > max_mask_pixels;
    // Each number's cell is walked a word at a time, row by row: the cells of a font hundreds
    // of pixels high would cost more to track than they save.
    const std::int64_t widest_digit =
        *std::max_element(layout.digit_widths->begin(), layout.digit_widths->end());
    const std::int64_t cell_words =
        std::min((widest_digit * max_number_length + 63) / 64 + 1, row_bits / 64);
    const bool cells_too_big = cell_words * std::min(layout.text_height, height) > max_cell_words;
    if (mask_too_big || cells_too_big) {
        return {};
    }
    NumberCover cover{CoverageMask(clip), {}};
    for_each_element_descending(mesh, selection, [&](std::int32_t index) {
        DevicePoint point{};
        if (number_point(mesh, view, layout, index, point) &&
            cover.covered->cover_if_open(number_cell(layout, point, shown_number(mesh, index)))) {
            cover.shown.push_back({index, point});
        }
    });
    return cover;
}

// Numbers after all lines, so that a number is on top of any line it overlaps.
void draw_numbers(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                  const NumberLayout& layout, const DeviceRect& clip, const NumberCover& cover,
                  const Selection& selection) {
    const auto draw = [&](std::int32_t index, DevicePoint point) {
        const std::int64_t number = shown_number(mesh, index);
        if (!cell_misses(clip, number_cell(layout, point, number))) {
            canvas.text_out(point, NumberText(number).text());
        }
    };
    if (cover.covered) {
        for (auto shown = cover.shown.rbegin(); shown != cover.shown.rend(); ++shown) {
            draw(shown->index, shown->point);
        }
        return;
    }
    for_each_element_ascending(mesh, selection, [&](std::int32_t index) {
        DevicePoint point{};
        if (number_point(mesh, view, layout, index, point)) {
            draw(index, point);
        }
    });
}

// The numbers composed from the atlas straight into the canvas's pixels, the last first, so
// that every pixel is written once at most. False, having written nothing, where the pixels
// are too many to track.
bool compose_numbers(const MeshModel& mesh, Canvas& canvas, const DigitAtlas& atlas,
                     const ViewTransform& view, const NumberLayout& layout, const DeviceRect& clip,
                     const NumberCover& cover, const Selection& selection) {
    const PixelPicture picture = canvas.pixels().within(clip);
    if (picture.width() * picture.height() > max_mask_pixels) {
        return false;
    }
    if (picture.empty()) {
        return true;
    }
    CoverageMask written(picture.area);
    const auto compose = [&](std::int32_t index, DevicePoint point) {
        const std::int64_t number = shown_number(mesh, index);
        if (!cell_misses(picture.area, number_cell(layout, point, number))) {
            compose_number(picture, written, atlas, point, NumberText(number).text());
        }
    };
    if (cover.covered) {
        for (const ShownNumber& shown : cover.shown) {
            compose(shown.index, shown.point);
        }
        return true;
    }
    for_each_element_descending(mesh, selection, [&](std::int32_t index) {
        DevicePoint point{};
        if (number_point(mesh, view, layout, index, point)) {
            compose(index, point);
        }
    });
    return true;
}

// The elements whose numbers can show in the clip box, as the index tells them: a number's
// point lies within its cell's size of the box.
std::vector<RecordRange> select_elements(const MeshIndex& index, const ViewTransform& view,
                                         const NumberLayout& layout, const DeviceRect& clip) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    MeshInterval x{-inf, inf};
    if (layout.digit_widths) {
        const std::int64_t widest_digit =
            *std::max_element(layout.digit_widths->begin(), layout.digit_widths->end());
        const std::int64_t reach = widest_digit * max_number_length / 2 + 2;
        x = device_preimage(view.scale, view.offset_x, 0.0, view.pan_x,
                            std::int64_t{clip.left} - reach, std::int64_t{clip.right} + reach);
    }
    const MeshInterval y = device_preimage(-view.scale, view.offset_y, layout.half_text, view.pan_y,
                                           std::int64_t{clip.top} - layout.text_height - 1,
                                           std::int64_t{clip.bottom} + 1);
    return index.elements_within(x, y);
}

// The sides whose lines can show in the clip box, as the index tells them: a line's box meets
// the box, and does not lie wholly under the numbers' cells.
std::vector<RecordRange> select_sides(const MeshIndex& index, const ViewTransform& view,
                                      const DeviceRect& clip, const CoverageMask* under_numbers) {
    const MeshInterval x = device_preimage(view.scale, view.offset_x, 0.0, view.pan_x,
                                           std::int64_t{clip.left} - 1, clip.right);
    const MeshInterval y = device_preimage(-view.scale, view.offset_y, 0.0, view.pan_y,
                                           std::int64_t{clip.top} - 1, clip.bottom);
    if (under_numbers == nullptr) {
        return index.sides_within(x, y);
    }
    // Device points never decrease along either axis of the mesh (nor increase, for a negative
    // scale), so the corners of an area give the box of every point in it.
    return index.sides_within(x, y, [&](MeshInterval area_x, MeshInterval area_y) {
        const DevicePoint a = to_device(view, area_x.lo, area_y.lo);
        const DevicePoint b = to_device(view, area_x.hi, area_y.hi);
        return within_exact_line_reach(a) && within_exact_line_reach(b) &&
               under_numbers->covers({std::min(a.x, b.x), std::min(a.y, b.y),
                                      std::int64_t{std::max(a.x, b.x)} + 1,
                                      std::int64_t{std::max(a.y, b.y)} + 1});
    });
}

} // namespace

void paint_mesh(const MeshModel& mesh, Canvas& canvas, const ViewTransform& view,
                const MeshIndex* index) {
    const std::int32_t text_height = canvas.text_height();
    canvas.set_text_align(text_align_top_center);
    canvas.set_text_color(color_red);
    NumberLayout layout = number_layout(canvas, text_height);
    const DigitAtlas* atlas = usable_atlas(canvas, layout, text_height);
    layout.odd_width_rounds_up = atlas != nullptr && atlas->odd_width_rounds_up;
    const DeviceRect clip = canvas.clip_box();
    if (index != nullptr && !index->fits(mesh)) {
        index = nullptr;
    }
    Selection selection;
    if (index != nullptr) {
        selection.elements = select_elements(*index, view, layout, clip);
    }
    const NumberCover cover = cover_numbers(mesh, view, layout, clip, selection);
    const CoverageMask* under_numbers = cover.covered ? &*cover.covered : nullptr;
    if (index != nullptr) {
        selection.sides = select_sides(*index, view, clip, under_numbers);
    }
    draw_sides(mesh, canvas, view, clip, under_numbers, selection);
    if (atlas == nullptr ||
        !compose_numbers(mesh, canvas, *atlas, view, layout, clip, cover, selection)) {
        draw_numbers(mesh, canvas, view, layout, clip, cover, selection);
    }
}

void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect) {
    paint_mesh(mesh, canvas, fitted_view(compute_view_fit(mesh, rect)));
}

void paint_mesh(Canvas& canvas, DeviceRect rect) {
    paint_mesh(current_mesh(), canvas, rect);
}
