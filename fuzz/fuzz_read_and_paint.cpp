// Reads any input as mesh file sets and paints the result: no crash, no sanitizer report, no
// leak, no hang, whatever the files hold.
//
// Beyond surviving, each step checks what must hold for every input:
// - the extents always contain the origin, are never NaN and only ever widen;
// - the numbering base is 0 or 1;
// - the painter sets the alignment and the colour, then draws the sides not marked -1 whose
//   nodes exist, in index order, from and to their nodes' device points, then the numbers of
//   the elements whose nodes exist, in index order, each reading its index plus the numbering
//   base, at the element's centre;
// - it leaves out only what cannot change a pixel: without text widths, sides of no length or
//   wholly outside the clip box and numbers whose cells miss it; with text widths, whatever it
//   leaves out, the picture is that of the plain paint with nothing left out;
// - where the canvas offers a digit atlas (of any widths, height and centring) and its pixels,
//   the numbers composed into them give the picture of the plain paint too, and the painter
//   draws no number as text unless the atlas does not fit the canvas's font;
// - so it is in every view the user can make by zooming, moving and resizing, painted with the
//   mesh's index on one thread or two, and where a view moved by whole pixels would move the
//   picture instead of drawing it, the moved picture is the new view's;
// - reading the same set twice into one model gives the same model again, whether the files
//   hand out their bytes all at once or in reads of any sizes.
#include "file_set_input.h"
#include "fuzz_check.h"
#include "mesh_index.h"
#include "mesh_painter.h"
#include "mesh_reader.h"
#include "model_difference.h"
#include "picture.h"
#include "picture_scroll.h"
#include "view_fit.h"
#include "zoom_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

const char* const fuzz_target_name = "fuzz_read_and_paint";

namespace {

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

// What the painter must draw, the plain way: every side not marked -1 whose nodes exist, then
// every number of an element whose nodes exist, in index order, nothing left out.
struct PlainPaint {
    std::vector<std::pair<DevicePoint, DevicePoint>> lines;
    std::vector<std::pair<DevicePoint, std::string>> texts;
};

PlainPaint plain_paint(const MeshModel& mesh, const ViewTransform& view, std::int32_t text_height) {
    PlainPaint paint;
    for (const MeshSide& side : mesh.sides) {
        if (side.mark != -1 && valid_node(mesh, side.node_a) && valid_node(mesh, side.node_b)) {
            const MeshNode& a = mesh.nodes[static_cast<std::size_t>(side.node_a)];
            const MeshNode& b = mesh.nodes[static_cast<std::size_t>(side.node_b)];
            paint.lines.emplace_back(to_device(view, a.x, a.y), to_device(view, b.x, b.y));
        }
    }
    using Extended = long double;
    const Extended scale = view.scale;
    const Extended factor = 0.333;
    for (std::size_t i = 0; i < mesh.elements.size(); ++i) {
        const MeshElement& e = mesh.elements[i];
        if (!valid_node(mesh, e.node_a) || !valid_node(mesh, e.node_b) ||
            !valid_node(mesh, e.node_c)) {
            continue;
        }
        const MeshNode& a = mesh.nodes[static_cast<std::size_t>(e.node_a)];
        const MeshNode& b = mesh.nodes[static_cast<std::size_t>(e.node_b)];
        const MeshNode& c = mesh.nodes[static_cast<std::size_t>(e.node_c)];
        const Extended cx = factor * (Extended{b.x} + a.x + c.x);
        const Extended cy = factor * (Extended{b.y} + a.y + c.y);
        const DevicePoint point =
            add_pan({truncate_to_int32(scale * cx + view.offset_x),
                     truncate_to_int32((-scale * cy + view.offset_y) - text_height / 2)},
                    view);
        paint.texts.emplace_back(
            point, std::to_string(static_cast<std::int64_t>(i) + mesh.numbering_base));
    }
    return paint;
}

// Follows the painter's calls against what it must draw for the model. Without text widths,
// the painter can tell no number's width, and so leaves out only the sides of no length or
// wholly outside the clip box, and numbers whose cells miss the clip box above or below. With
// text widths it may leave out more (sides and numbers under the opaque cells of numbers);
// what it draws must still be a part of the plain paint, and the picture is compared with that
// of the plain paint where one is affordable.
class CheckingCanvas final : public Canvas {
public:
    CheckingCanvas(const MeshModel& mesh, const ViewTransform& view, std::int32_t text_height,
                   DeviceRect clip, std::optional<DigitWidths> digit_widths,
                   std::optional<DigitAtlas> atlas)
        : mesh_(mesh), view_(view), text_height_(text_height), clip_(clip),
          digit_widths_(digit_widths), atlas_(std::move(atlas)) {}

    const DigitAtlas* digit_atlas() override {
        check(step_ == Step::lines && lines_.empty(), "the atlas asked for out of order");
        return atlas_ ? &*atlas_ : nullptr;
    }

    // The lines drawn so far, in a picture of the clip box that the numbers are composed into.
    PixelPicture pixels() override {
        check(composes() && !in_line_ && !pixels_asked_, "pixels asked for out of order");
        pixels_asked_ = true;
        if (Picture::area(clip_) > max_composed_area) {
            return {};
        }
        // Kept from paint to paint, as the other pictures' are: fresh pages cost more than a
        // paint.
        static std::vector<std::uint32_t> composed_pixels;
        composed_.emplace(composed_pixels, clip_, *digit_widths_, text_height_, &*atlas_);
        for (const auto& [from, to] : lines_) {
            composed_->line(from, to);
        }
        return composed_->pixel_picture();
    }

    std::int32_t text_height() override { return text_height_; }
    DeviceRect clip_box() override { return clip_; }
    std::optional<std::int32_t> text_width(std::string_view text) override {
        if (!digit_widths_) {
            return std::nullopt;
        }
        std::int32_t width = 0;
        for (const char c : text) {
            check(c >= '0' && c <= '9', "the width asked of a text that is no number");
            width += (*digit_widths_)[static_cast<std::size_t>(c - '0')];
        }
        return width;
    }

    void set_text_align(std::uint32_t align) override {
        check(step_ == Step::start, "alignment set out of order");
        check(align == text_align_top_center, "alignment is not top centre");
        step_ = Step::aligned;
    }

    void set_text_color(std::uint32_t colorref) override {
        check(step_ == Step::aligned, "colour set out of order");
        check(colorref == color_red, "text colour is not red");
        step_ = Step::lines;
    }

    void move_to(DevicePoint point) override {
        check(step_ == Step::lines && !in_line_ && !pixels_asked_, "move_to out of order");
        line_from_ = point;
        in_line_ = true;
    }

    void line_to(DevicePoint point) override {
        check(step_ == Step::lines && in_line_, "line_to without move_to");
        in_line_ = false;
        // The first side from here on that runs between these points; the sides left out
        // before it must be those that cannot change a pixel.
        std::size_t side = next_visible_side(side_);
        if (digit_widths_) {
            while (side < mesh_.sides.size() &&
                   (from_point(side) != line_from_ || to_point(side) != point)) {
                side = next_visible_side(side + 1);
            }
        }
        check(side < mesh_.sides.size(), "a side drawn that should not be");
        check(from_point(side) == line_from_, "a side starts away from its first node");
        check(to_point(side) == point, "a side ends away from its second node");
        side_ = side + 1;
        lines_.emplace_back(line_from_, point);
    }

    void text_out(DevicePoint point, std::string_view text) override {
        check((step_ == Step::lines && !in_line_) || step_ == Step::numbers,
              "text_out out of order");
        check(!composes(), "a number drawn as text where the atlas could compose it");
        if (step_ == Step::lines) {
            check(digit_widths_ || next_visible_side(side_) == mesh_.sides.size(),
                  "a number before all sides");
            step_ = Step::numbers;
        }
        // Numbers that cannot show may be left out, so the text tells which element this is.
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        check(error == std::errc{} && end == text.data() + text.size(),
              "an element's number is not a decimal number");
        const std::int64_t index = number - mesh_.numbering_base;
        check(index >= 0 && static_cast<std::size_t>(index) >= element_ &&
                  static_cast<std::size_t>(index) < mesh_.elements.size(),
              "a number drawn twice, out of order or of no element");
        check(text == std::to_string(number), "an element's number is not written plainly");
        check(next_numbered_element(static_cast<std::size_t>(index)) ==
                  static_cast<std::size_t>(index),
              "a number drawn for an element with a missing node");
        element_ = static_cast<std::size_t>(index) + 1;
        texts_.emplace_back(point, std::string(text));
    }

    // After painting: nothing left undrawn that could show.
    void check_complete() const {
        check(step_ != Step::start && step_ != Step::aligned, "alignment or colour never set");
        check(!in_line_, "a side left half drawn");
        check(digit_widths_ || next_visible_side(side_) == mesh_.sides.size(),
              "a side left undrawn");
        if (composes()) {
            check_composed();
            return;
        }
        // The numbers drawn are those of the plain paint, at the same points; without text
        // widths only those whose cells, of any width, miss the clip box are left out.
        const PlainPaint plain = plain_paint(mesh_, view_, text_height_);
        const std::int64_t cell_height = std::max(text_height_, 1);
        auto drawn = texts_.begin();
        for (const auto& [point, text] : plain.texts) {
            if (drawn != texts_.end() && drawn->second == text) {
                check(drawn->first == point, "a number drawn away from its element's centre");
                ++drawn;
            } else {
                check(digit_widths_ || point.y >= clip_.bottom ||
                          point.y + cell_height <= clip_.top,
                      "a number left out that could show");
            }
        }
        check(drawn == texts_.end(), "a number drawn that is not in the plain paint");
        if (!digit_widths_ || text_height_ <= 0 || !affordable(plain)) {
            return;
        }
        static std::vector<std::uint32_t> drawn_pixels;
        static std::vector<std::uint32_t> plain_pixels;
        check(picture_of(drawn_pixels, lines_, texts_) ==
                  picture_of(plain_pixels, plain.lines, plain.texts),
              "the picture differs from the one with nothing left out");
    }

private:
    enum class Step { start, aligned, lines, numbers };

    // Above this many pixels in the clip box the canvas has no pixels to compose into.
    static constexpr std::int64_t max_composed_area = std::int64_t{1} << 16;

    // Whether the atlas fits the font: the painter must then compose every number. A font of no
    // height has no rows to compose.
    bool composes() const {
        if (!atlas_ || !digit_widths_ || !atlas_->complete() || atlas_->height != text_height_ ||
            text_height_ <= 0) {
            return false;
        }
        return std::equal(digit_widths_->begin(), digit_widths_->end(), atlas_->widths.begin());
    }

    void check_composed() const {
        check(pixels_asked_, "the atlas was not used");
        const PlainPaint plain = plain_paint(mesh_, view_, text_height_);
        if (!composed_ || !affordable(plain)) {
            return;
        }
        static std::vector<std::uint32_t> plain_pixels;
        Picture expected(plain_pixels, clip_, *digit_widths_, text_height_, &*atlas_);
        for (const auto& [from, to] : plain.lines) {
            expected.line(from, to);
        }
        for (const auto& [point, text] : plain.texts) {
            expected.text(point, text);
        }
        check(*composed_ == expected, "the composed picture differs from the plain one");
    }

    using Lines = std::vector<std::pair<DevicePoint, DevicePoint>>;
    using Texts = std::vector<std::pair<DevicePoint, std::string>>;

    // Pictures cost the clip box's area and, for each number, the part of it a cell can fill.
    bool affordable(const PlainPaint& plain) const {
        constexpr std::int64_t max_area = std::int64_t{1} << 15;
        constexpr std::int64_t max_cell_pixels = std::int64_t{1} << 16;
        const std::int64_t area = Picture::area(clip_);
        if (area == 0 || area > max_area || (plain.lines.empty() && plain.texts.empty())) {
            return false;
        }
        const std::int64_t widest_digit =
            *std::max_element(digit_widths_->begin(), digit_widths_->end());
        constexpr std::int64_t longest_number = 11;
        const std::int64_t columns = std::min<std::int64_t>(std::int64_t{clip_.right} - clip_.left,
                                                            widest_digit * longest_number);
        const std::int64_t rows =
            std::min<std::int64_t>(std::int64_t{clip_.bottom} - clip_.top, text_height_);
        return (columns * rows + 1) * static_cast<std::int64_t>(plain.texts.size()) <=
               max_cell_pixels;
    }

    Picture picture_of(std::vector<std::uint32_t>& pixels, const Lines& lines,
                       const Texts& texts) const {
        Picture picture(pixels, clip_, *digit_widths_, text_height_);
        for (const auto& [from, to] : lines) {
            picture.line(from, to);
        }
        for (const auto& [point, text] : texts) {
            picture.text(point, text);
        }
        return picture;
    }
    // The next side from `i` on that is not marked -1 and whose nodes exist.
    std::size_t next_drawable_side(std::size_t i) const {
        while (i < mesh_.sides.size()) {
            const MeshSide& side = mesh_.sides[i];
            if (side.mark != -1 && valid_node(mesh_, side.node_a) &&
                valid_node(mesh_, side.node_b)) {
                break;
            }
            ++i;
        }
        return i;
    }

    // The next drawable side from `i` on that can change a pixel.
    std::size_t next_visible_side(std::size_t i) const {
        for (i = next_drawable_side(i); i < mesh_.sides.size() && invisible(i);) {
            i = next_drawable_side(i + 1);
        }
        return i;
    }

    DevicePoint from_point(std::size_t side) const {
        const MeshNode& a = mesh_.nodes[static_cast<std::size_t>(mesh_.sides[side].node_a)];
        return to_device(view_, a.x, a.y);
    }

    DevicePoint to_point(std::size_t side) const {
        const MeshNode& b = mesh_.nodes[static_cast<std::size_t>(mesh_.sides[side].node_b)];
        return to_device(view_, b.x, b.y);
    }

    // A line of no length draws nothing, and a one-pixel line's pixels lie in the box of its
    // end points, which may miss the clip box (right and bottom exclusive).
    bool invisible(std::size_t side) const {
        const DevicePoint a = from_point(side);
        const DevicePoint b = to_point(side);
        return a == b || std::max(a.x, b.x) < clip_.left || std::min(a.x, b.x) >= clip_.right ||
               std::max(a.y, b.y) < clip_.top || std::min(a.y, b.y) >= clip_.bottom;
    }

    std::size_t next_numbered_element(std::size_t i) const {
        while (i < mesh_.elements.size()) {
            const MeshElement& e = mesh_.elements[i];
            if (valid_node(mesh_, e.node_a) && valid_node(mesh_, e.node_b) &&
                valid_node(mesh_, e.node_c)) {
                break;
            }
            ++i;
        }
        return i;
    }

    const MeshModel& mesh_;
    ViewTransform view_;
    std::int32_t text_height_;
    DeviceRect clip_;
    std::optional<DigitWidths> digit_widths_;
    std::optional<DigitAtlas> atlas_;
    std::optional<Picture> composed_;
    bool pixels_asked_ = false;
    Step step_ = Step::start;
    bool in_line_ = false;
    DevicePoint line_from_{};
    std::size_t side_ = 0;
    std::size_t element_ = 0;
    Lines lines_;
    Texts texts_;
};

constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();

constexpr DeviceRect everywhere{int_min, int_min, int_max, int_max};
constexpr DigitWidths even_digits{8, 8, 8, 8, 8, 8, 8, 8, 8, 8};
constexpr DigitWidths narrow_one{7, 4, 7, 7, 7, 7, 7, 7, 7, 7};

struct Paint {
    DeviceRect rect;
    std::int32_t text_height;
    DeviceRect clip;
    std::optional<DigitWidths> digit_widths;
};

// How a paint with digit widths is repeated on a canvas with a digit atlas.
enum class Composition { none, rounding_down, rounding_up };

// Fonts higher than this get an atlas without cells, which the painter must not use.
constexpr std::int32_t max_atlas_height = 64;

// An atlas of the paint's digit widths and text height whose every pixel tells its digit, row
// and column apart, and never looks like a line or the background.
DigitAtlas atlas_for(const Paint& paint, Composition composition) {
    DigitAtlas atlas;
    atlas.height = paint.text_height;
    std::copy(paint.digit_widths->begin(), paint.digit_widths->end(), atlas.widths.begin());
    atlas.odd_width_rounds_up = composition == Composition::rounding_up;
    if (paint.text_height < 0 || paint.text_height > max_atlas_height) {
        return atlas;
    }
    for (std::size_t digit = 0; digit < 10; ++digit) {
        for (std::int32_t row = 0; row < paint.text_height; ++row) {
            for (std::int32_t column = 0; column < atlas.widths[digit]; ++column) {
                atlas.cells[digit].push_back(0x40000000u | static_cast<std::uint32_t>(digit) << 20 |
                                             static_cast<std::uint32_t>(row) << 10 |
                                             static_cast<std::uint32_t>(column));
            }
        }
    }
    return atlas;
}

// Ordinary, empty, smaller than the margins, upside down and as large as can be; clipped to
// nothing, to everything and to a part; with and without text widths.
const Paint fixed_paints[] = {
    {{0, 0, 440, 220}, 16, everywhere, std::nullopt},
    {{0, 0, 440, 220}, 16, {0, 0, 440, 220}, std::nullopt},
    {{0, 0, 240, 120}, 16, {0, 0, 240, 120}, even_digits},
    {{0, 0, 440, 220}, 13, {100, 40, 180, 90}, narrow_one},
    {{0, 0, 0, 0}, 13, {0, 0, 0, 0}, std::nullopt},
    {{0, 0, 39, 19}, 0, {0, 0, 1, 1}, std::nullopt},
    {{100, 100, 0, 0}, -7, everywhere, std::nullopt},
    {{int_min, int_min, int_max, int_max}, int_max, {-1000, -1000, 1000, 1000}, std::nullopt},
    {{int_max, int_max, int_min, int_min}, int_min, everywhere, even_digits},
};

// Above this many records nothing is painted, to keep runs short: an input of a few kilobytes
// holds far fewer, so the rest are a zero-filled tail, all alike.
constexpr std::size_t many_records = std::size_t{1} << 12;

void paint_and_check(const MeshModel& mesh, const Paint& paint, const ViewTransform& view,
                     const MeshIndex* index, std::size_t threaded_least, Composition composition) {
    std::optional<DigitAtlas> atlas;
    if (composition != Composition::none) {
        atlas = atlas_for(paint, composition);
    }
    CheckingCanvas canvas(mesh, view, paint.text_height, paint.clip, paint.digit_widths,
                          std::move(atlas));
    paint_mesh(mesh, canvas, view, index, threaded_least);
    canvas.check_complete();
}

// Each paint as it is, and where it has digit widths also composed from an atlas centring odd
// widths one way or the other, as the text height's last bit says; at the fit of its rectangle
// unless a view is given.
void paint_and_check(const MeshModel& mesh, const Paint& paint,
                     std::optional<ViewTransform> view = std::nullopt,
                     const MeshIndex* index = nullptr,
                     std::size_t threaded_least = threaded_paint_least) {
    const ViewTransform shown = view.value_or(fitted_view(compute_view_fit(mesh, paint.rect)));
    paint_and_check(mesh, paint, shown, index, threaded_least, Composition::none);
    if (paint.digit_widths) {
        paint_and_check(mesh, paint, shown, index, threaded_least,
                        paint.text_height % 2 != 0 ? Composition::rounding_up
                                                   : Composition::rounding_down);
    }
}

// The input's own paint (part 6): rectangle, text height, clip box, digit widths.
Paint derived_paint(std::string_view extra) {
    Paint paint{{int32_at(extra, 0), int32_at(extra, 4), int32_at(extra, 8), int32_at(extra, 12)},
                int32_at(extra, 16),
                everywhere,
                std::nullopt};
    if (extra.size() >= clip_offset + 16) {
        paint.clip = {int32_at(extra, clip_offset), int32_at(extra, clip_offset + 4),
                      int32_at(extra, clip_offset + 8), int32_at(extra, clip_offset + 12)};
    }
    if (extra.size() >= digit_widths_offset + 10) {
        DigitWidths widths{};
        for (std::size_t i = 0; i < widths.size(); ++i) {
            widths[i] = static_cast<unsigned char>(extra[digit_widths_offset + i]);
        }
        paint.digit_widths = widths;
    }
    return paint;
}

// A change the user makes to the view: zoom to `a` about (b, c), move by (a, b), or a new client
// area of a by b.
struct ViewChange {
    enum class Kind { zoom, pan, resize } kind;
    std::int32_t a;
    std::int32_t b;
    std::int32_t c;
};

// Without a part 7: in and about, moved, deeper elsewhere, resized, moved far, as deep as can
// be, out, and back to the fit.
const ViewChange default_view_changes[] = {
    {ViewChange::Kind::zoom, 5, 100, 60},    {ViewChange::Kind::pan, 7, -3, 0},
    {ViewChange::Kind::zoom, 12, 20, 150},   {ViewChange::Kind::resize, 300, 500, 0},
    {ViewChange::Kind::pan, -1000, 2000, 0}, {ViewChange::Kind::zoom, 64, 150, 250},
    {ViewChange::Kind::zoom, 3, -40, 7},     {ViewChange::Kind::zoom, 0, 0, 0},
};

// Part 7, nine bytes a change: the kind (of three), then two int32s; a zoom takes the step
// from the first byte of the first, and its point from the two halves of the second.
std::vector<ViewChange> view_changes(std::optional<std::string_view> part) {
    if (!part) {
        return {std::begin(default_view_changes), std::end(default_view_changes)};
    }
    constexpr std::size_t most_changes = 16;
    std::vector<ViewChange> changes;
    for (std::size_t at = 0; at + 9 <= part->size() && changes.size() < most_changes; at += 9) {
        const auto kind = static_cast<unsigned char>((*part)[at]) % 3;
        const std::int32_t first = int32_at(*part, at + 1);
        const std::int32_t second = int32_at(*part, at + 5);
        if (kind == 0) {
            changes.push_back({ViewChange::Kind::zoom, static_cast<std::int8_t>(first),
                               static_cast<std::int16_t>(second & 0xFFFF),
                               static_cast<std::int16_t>(second >> 16)});
        } else {
            changes.push_back(
                {kind == 1 ? ViewChange::Kind::pan : ViewChange::Kind::resize, first, second, 0});
        }
    }
    return changes;
}

// Where a view moved by whole pixels moves the picture instead of drawing it, the moved picture
// is the picture of the new view: every point moved by the shift, nothing saturated.
void check_shift(const MeshModel& mesh, const ViewTransform& before, const ViewTransform& after,
                 DeviceSize client) {
    const auto shift = exact_shift(mesh, before, after);
    const DeviceRect box{0, 0, client.width, client.height};
    constexpr std::int32_t text_height = 16;
    if (!shift || Picture::area(box) > (std::int64_t{1} << 14) || mesh.elements.size() > 256) {
        return;
    }
    static std::vector<std::uint32_t> before_pixels;
    static std::vector<std::uint32_t> after_pixels;
    const auto picture_of = [&](std::vector<std::uint32_t>& pixels, const ViewTransform& view) {
        Picture picture(pixels, box, even_digits, text_height);
        const PlainPaint plain = plain_paint(mesh, view, text_height);
        for (const auto& [from, to] : plain.lines) {
            picture.line(from, to);
        }
        for (const auto& [point, text] : plain.texts) {
            picture.text(point, text);
        }
        return picture;
    };
    const Picture old_picture = picture_of(before_pixels, before);
    const Picture new_picture = picture_of(after_pixels, after);
    for (std::int32_t y = 0; y < client.height; ++y) {
        for (std::int32_t x = 0; x < client.width; ++x) {
            const std::int64_t from_x = std::int64_t{x} - shift->x;
            const std::int64_t from_y = std::int64_t{y} - shift->y;
            if (from_x >= 0 && from_x < client.width && from_y >= 0 && from_y < client.height) {
                check(new_picture.at(x, y) == old_picture.at(from_x, from_y),
                      "a moved picture differs from the picture of the moved view");
            }
        }
    }
}

// The views a user makes by zooming, moving and resizing, each painted with the mesh's index
// and checked as every paint is; the client area starts at 440 x 220, its sizes kept small.
void paint_views(const MeshModel& mesh, std::string_view extra,
                 const std::vector<ViewChange>& changes) {
    const MeshIndex index(mesh);
    Paint paint = derived_paint(extra);
    DeviceSize client{440, 220};
    ZoomView view;
    ViewTransform before =
        view.transform(compute_view_fit(mesh, {0, 0, client.width, client.height}));
    for (const ViewChange& change : changes) {
        const ViewFit fit = compute_view_fit(mesh, {0, 0, client.width, client.height});
        switch (change.kind) {
        case ViewChange::Kind::zoom:
            view.zoom_to(change.a, {change.b, change.c}, fit, mesh);
            break;
        case ViewChange::Kind::pan:
            view.pan_by(change.a, change.b);
            break;
        case ViewChange::Kind::resize: {
            const DeviceSize resized{std::clamp(change.a, 0, 4096), std::clamp(change.b, 0, 4096)};
            view.resize(client, resized);
            client = resized;
            break;
        }
        }
        const ViewTransform after =
            view.transform(compute_view_fit(mesh, {0, 0, client.width, client.height}));
        paint.clip = {0, 0, client.width, client.height};
        // Every other view is painted on two threads, however few the numbers are.
        const std::size_t threaded_least =
            (&change - changes.data()) % 2 == 0 ? threaded_paint_least : 0;
        paint_and_check(mesh, paint, after, &index, threaded_least);
        check_shift(mesh, before, after, client);
        before = after;
    }
}

void paint_all(const MeshModel& mesh, const FuzzInput& input) {
    if (mesh.nodes.size() + mesh.sides.size() + mesh.elements.size() > many_records) {
        return;
    }
    paint_and_check(mesh, derived_paint(input.extra));
    for (const Paint& paint : fixed_paints) {
        paint_and_check(mesh, paint);
    }
    paint_views(mesh, input.extra, view_changes(input.view_changes));
}

void check_model(const MeshModel& mesh) {
    check(!std::isnan(mesh.x_min) && !std::isnan(mesh.x_max) && !std::isnan(mesh.y_min) &&
              !std::isnan(mesh.y_max),
          "NaN extents");
    check(mesh.x_min <= 0.0 && mesh.x_max >= 0.0 && mesh.y_min <= 0.0 && mesh.y_max >= 0.0,
          "extents without the origin");
    check(mesh.numbering_base == 0 || mesh.numbering_base == 1, "numbering base not 0 or 1");
}

struct Extents {
    double x_min, x_max, y_min, y_max;
};

Extents extents_of(const MeshModel& mesh) {
    return {mesh.x_min, mesh.x_max, mesh.y_min, mesh.y_max};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input = parse_input(data, size);

    MeshModel mesh;
    const auto first_error =
        read_mesh_file_set(mesh, node_path, input.first_opener(), input.first_threads());
    check_model(mesh);
    paint_all(mesh, input);

    const Extents before = extents_of(mesh);
    const bool same_set = input.second == input.first;
    std::optional<MeshModel> first;
    if (same_set && !first_error) {
        first = mesh;
    }
    const auto second_error = read_mesh_file_set(mesh, node_path, input.second_opener());
    check_model(mesh);
    check(mesh.x_min <= before.x_min && mesh.x_max >= before.x_max && mesh.y_min <= before.y_min &&
              mesh.y_max >= before.y_max,
          "a second read narrowed the extents");
    if (first) {
        check(!second_error, "a set read once without failure fails the second time");
        if (const std::string difference = model_difference(mesh, *first); !difference.empty()) {
            fail(("reading the same set again changed " + difference).c_str());
        }
    }
    paint_all(mesh, input);
    return 0;
}
