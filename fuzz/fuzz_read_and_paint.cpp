// Reads any input as mesh file sets and paints the result: no crash, no sanitizer report, no
// leak, no hang, whatever the files hold.
//
// Beyond surviving, each step checks what must hold for every input:
// - the extents always contain the origin, are never NaN and only ever widen;
// - the numbering base is 0 or 1;
// - the painter sets the alignment and the colour, then draws the sides not marked -1 whose
//   nodes exist, in index order, from and to their nodes' device points, leaving out only
//   those of no length or wholly outside the clip box; then numbers, in index order, only of
//   elements whose nodes exist, each reading its index plus the numbering base;
// - reading the same set twice into one model gives the same model again, whether the files
//   hand out their bytes all at once or in reads of any sizes.
#include "file_set_input.h"
#include "mesh_painter.h"
#include "mesh_reader.h"
#include "view_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_read_and_paint: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

// Follows the painter's calls against what it must draw for the model, call by call.
class CheckingCanvas final : public Canvas {
public:
    CheckingCanvas(const MeshModel& mesh, DeviceRect rect, std::int32_t text_height,
                   DeviceRect clip)
        : mesh_(mesh), fit_(compute_view_fit(mesh, rect)), text_height_(text_height), clip_(clip) {}

    std::int32_t text_height() override { return text_height_; }
    DeviceRect clip_box() override { return clip_; }

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
        check(step_ == Step::lines && !in_line_, "move_to out of order");
        // The sides left out before this one must be those that cannot change a pixel.
        side_ = next_visible_side(side_);
        check(side_ < mesh_.sides.size(), "a side drawn that should not be");
        check(point == from_point(side_), "a side starts away from its first node");
        in_line_ = true;
    }

    void line_to(DevicePoint point) override {
        check(step_ == Step::lines && in_line_, "line_to without move_to");
        check(point == to_point(side_), "a side ends away from its second node");
        in_line_ = false;
        ++side_;
    }

    void text_out(DevicePoint, std::string_view text) override {
        check((step_ == Step::lines && !in_line_) || step_ == Step::numbers,
              "text_out out of order");
        if (step_ == Step::lines) {
            check(next_visible_side(side_) == mesh_.sides.size(), "a number before all sides");
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
    }

    // After painting: nothing left undrawn.
    void check_complete() const {
        check(step_ != Step::start && step_ != Step::aligned, "alignment or colour never set");
        check(!in_line_, "a side left half drawn");
        check(next_visible_side(side_) == mesh_.sides.size(), "a side left undrawn");
    }

private:
    enum class Step { start, aligned, lines, numbers };

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
        return to_device(fit_, a.x, a.y);
    }

    DevicePoint to_point(std::size_t side) const {
        const MeshNode& b = mesh_.nodes[static_cast<std::size_t>(mesh_.sides[side].node_b)];
        return to_device(fit_, b.x, b.y);
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
    ViewFit fit_;
    std::int32_t text_height_;
    DeviceRect clip_;
    Step step_ = Step::start;
    bool in_line_ = false;
    std::size_t side_ = 0;
    std::size_t element_ = 0;
};

constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();

constexpr DeviceRect everywhere{int_min, int_min, int_max, int_max};

struct Paint {
    DeviceRect rect;
    std::int32_t text_height;
    DeviceRect clip;
};

// Ordinary, empty, smaller than the margins, upside down and as large as can be; clipped to
// nothing, to everything and to a part.
constexpr Paint fixed_paints[] = {
    {{0, 0, 440, 220}, 16, everywhere},
    {{0, 0, 440, 220}, 16, {0, 0, 440, 220}},
    {{0, 0, 0, 0}, 13, {0, 0, 0, 0}},
    {{0, 0, 39, 19}, 0, {0, 0, 1, 1}},
    {{100, 100, 0, 0}, -7, everywhere},
    {{int_min, int_min, int_max, int_max}, int_max, {-1000, -1000, 1000, 1000}},
    {{int_max, int_max, int_min, int_min}, int_min, everywhere},
};

// Above this many sides and elements nothing is painted, to keep runs short: such meshes are
// long zero-filled tails, whose records paint like the first of them.
constexpr std::size_t many_records = std::size_t{1} << 14;

void paint_and_check(const MeshModel& mesh, const Paint& paint) {
    CheckingCanvas canvas(mesh, paint.rect, paint.text_height, paint.clip);
    paint_mesh(mesh, canvas, paint.rect);
    canvas.check_complete();
}

void paint_all(const MeshModel& mesh, std::string_view extra) {
    if (mesh.sides.size() + mesh.elements.size() > many_records) {
        return;
    }
    const Paint derived{
        {int32_at(extra, 0), int32_at(extra, 4), int32_at(extra, 8), int32_at(extra, 12)},
        int32_at(extra, 16),
        extra.size() < 36 ? everywhere
                          : DeviceRect{int32_at(extra, 20), int32_at(extra, 24),
                                       int32_at(extra, 28), int32_at(extra, 32)}};
    paint_and_check(mesh, derived);
    for (const Paint& paint : fixed_paints) {
        paint_and_check(mesh, paint);
    }
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

template <typename Record>
bool same_records(const RecordArray<Record>& a, const RecordArray<Record>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

bool same_model(const MeshModel& a, const MeshModel& b) {
    return same_records(a.nodes, b.nodes) && same_records(a.elements, b.elements) &&
           same_records(a.sides, b.sides) && a.numbering_base == b.numbering_base &&
           std::memcmp(&a.x_min, &b.x_min, sizeof(double)) == 0 &&
           std::memcmp(&a.x_max, &b.x_max, sizeof(double)) == 0 &&
           std::memcmp(&a.y_min, &b.y_min, sizeof(double)) == 0 &&
           std::memcmp(&a.y_max, &b.y_max, sizeof(double)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input = parse_input(data, size);

    MeshModel mesh;
    const auto first_error = read_mesh_file_set(mesh, node_path, input.first_opener());
    check_model(mesh);
    paint_all(mesh, input.extra);

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
        check(same_model(mesh, *first), "reading the same set again changed the model");
    }
    paint_all(mesh, input.extra);
    return 0;
}
