#include "mesh_painter.h"

#include <charconv>

namespace {

// The label sits at 0.333 of the corner sum, a hair toward the origin from the centroid.
constexpr double centre_factor = 0.333;

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

void draw_side(const MeshModel& mesh, const ViewFit& fit, Canvas& canvas, const MeshSide& side) {
    if (!valid_node(mesh, side.node_a) || !valid_node(mesh, side.node_b)) {
        return;
    }
    const MeshNode& a = mesh.nodes[static_cast<std::size_t>(side.node_a)];
    const MeshNode& b = mesh.nodes[static_cast<std::size_t>(side.node_b)];
    canvas.move_to(to_device(fit, a.x, a.y));
    canvas.line_to(to_device(fit, b.x, b.y));
}

// Draws the element's number centred on it; `half_text` lifts the text's top edge so that
// its middle, not its top, is on the centre.
void draw_number(const MeshModel& mesh, const ViewFit& fit, Canvas& canvas, std::int32_t index,
                 std::int32_t half_text) {
    const MeshElement& element = mesh.elements[static_cast<std::size_t>(index)];
    if (!valid_node(mesh, element.node_a) || !valid_node(mesh, element.node_b) ||
        !valid_node(mesh, element.node_c)) {
        return;
    }
    const MeshNode& a = mesh.nodes[static_cast<std::size_t>(element.node_a)];
    const MeshNode& b = mesh.nodes[static_cast<std::size_t>(element.node_b)];
    const MeshNode& c = mesh.nodes[static_cast<std::size_t>(element.node_c)];
    using Extended = long double;
    const Extended cx = Extended{centre_factor} * (Extended{b.x} + a.x + c.x);
    const Extended cy = Extended{centre_factor} * (Extended{b.y} + a.y + c.y);
    const Extended scale = fit.scale;
    const DevicePoint point{truncate_to_int32(scale * cx + fit.offset_x),
                            truncate_to_int32((-scale * cy + fit.offset_y) - half_text)};

    // In 64 bits: index + numbering_base cannot overflow there.
    char text[24];
    const auto number = std::int64_t{index} + mesh.numbering_base;
    const auto result = std::to_chars(text, text + sizeof text, number);
    canvas.text_out(point, std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

} // namespace

void paint_mesh(const MeshModel& mesh, Canvas& canvas, DeviceRect rect) {
    const std::int32_t half_text = canvas.text_height() / 2;
    canvas.set_text_align(text_align_top_center);
    canvas.set_text_color(color_red);
    const ViewFit fit = compute_view_fit(mesh, rect);

    for (const MeshSide& side : mesh.sides) {
        if (side.mark != -1) {
            draw_side(mesh, fit, canvas, side);
        }
    }
    // Numbers after all lines, so that a number is on top of any line it overlaps.
    for (std::int32_t index = 0; index < mesh.element_count(); ++index) {
        draw_number(mesh, fit, canvas, index, half_text);
    }
}

void paint_mesh(Canvas& canvas, DeviceRect rect) {
    paint_mesh(current_mesh(), canvas, rect);
}
