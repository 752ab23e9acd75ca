#include "mesh_painter.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

// The label sits at 0.333 of the corner sum, a hair toward the origin from the centroid.
constexpr double centre_factor = 0.333;

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

// What a paint needs to place numbers and to tell which of them cannot show.
struct NumberLayout {
    std::int32_t half_text;   // lifts a number so that its middle, not its top, is on the centre
    std::int64_t text_height; // height of a number's cell
    std::int64_t digit_width; // the widest digit, so that a number is no wider than its digits
};

NumberLayout number_layout(Canvas& canvas) {
    const std::int32_t height = canvas.text_height();
    std::int64_t widest = 0;
    for (const char* digit : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}) {
        widest = std::max<std::int64_t>(widest, canvas.text_width(digit));
    }
    return {height / 2, std::max<std::int64_t>(height, 1), widest};
}

// A number is drawn centred on `point`, from `point.y` down, in an opaque cell no wider than
// its digits; one pixel more each way allows for the rounding of the centring.
bool number_misses(const DeviceRect& clip, const NumberLayout& layout, DevicePoint point,
                   std::size_t length) {
    const std::int64_t half_width =
        (static_cast<std::int64_t>(length) * layout.digit_width) / 2 + 1;
    return point.x + half_width < clip.left || point.x - half_width >= clip.right ||
           point.y + layout.text_height <= clip.top || point.y >= clip.bottom;
}

void draw_side(const MeshModel& mesh, const ViewFit& fit, Canvas& canvas, const DeviceRect& clip,
               const MeshSide& side) {
    if (side.mark == -1 || !valid_node(mesh, side.node_a) || !valid_node(mesh, side.node_b)) {
        return;
    }
    const MeshNode& a = node_at(mesh, side.node_a);
    const MeshNode& b = node_at(mesh, side.node_b);
    const DevicePoint from = to_device(fit, a.x, a.y);
    const DevicePoint to = to_device(fit, b.x, b.y);
    // A line to its own start draws nothing, and the current position it leaves is unused.
    if (from == to || line_misses(clip, from, to)) {
        return;
    }
    canvas.move_to(from);
    canvas.line_to(to);
}

void draw_number(const MeshModel& mesh, const ViewFit& fit, Canvas& canvas, const DeviceRect& clip,
                 const NumberLayout& layout, std::int32_t index) {
    const MeshElement& element = mesh.elements[static_cast<std::size_t>(index)];
    if (!valid_node(mesh, element.node_a) || !valid_node(mesh, element.node_b) ||
        !valid_node(mesh, element.node_c)) {
        return;
    }
    const MeshNode& a = node_at(mesh, element.node_a);
    const MeshNode& b = node_at(mesh, element.node_b);
    const MeshNode& c = node_at(mesh, element.node_c);
    using Extended = long double;
    const Extended cx = Extended{centre_factor} * (Extended{b.x} + a.x + c.x);
    const Extended cy = Extended{centre_factor} * (Extended{b.y} + a.y + c.y);
    const Extended scale = fit.scale;
    const DevicePoint point{truncate_to_int32(scale * cx + fit.offset_x),
                            truncate_to_int32((-scale * cy + fit.offset_y) - layout.half_text)};

    // In 64 bits: index + numbering_base cannot overflow there.
    std::array<char, 24> text{};
    const auto number = std::int64_t{index} + mesh.numbering_base;
    const auto length = static_cast<std::size_t>(
        std::to_chars(text.data(), text.data() + text.size(), number).ptr - text.data());
    if (number_misses(clip, layout, point, length)) {
        return;
    }
    canvas.text_out(point, std::string_view(text.data(), length));
}

} // namespace

void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect) {
    const NumberLayout layout = number_layout(canvas);
    canvas.set_text_align(text_align_top_center);
    canvas.set_text_color(color_red);
    const ViewFit fit = compute_view_fit(mesh, rect);
    const DeviceRect clip = canvas.clip_box();

    for (const MeshSide& side : mesh.sides) {
        draw_side(mesh, fit, canvas, clip, side);
    }
    // Numbers after all lines, so that a number is on top of any line it overlaps.
    for (std::int32_t index = 0; index < mesh.element_count(); ++index) {
        draw_number(mesh, fit, canvas, clip, layout, index);
    }
}

void paint_mesh(Canvas& canvas, DeviceRect rect) {
    paint_mesh(current_mesh(), canvas, rect);
}
