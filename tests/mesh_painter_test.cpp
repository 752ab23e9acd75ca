#include "mesh_index.h"
#include "mesh_painter.h"
#include "number_placement.h"
#include "recording_canvas.h"
#include "records_of.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using Kind = CanvasCall::Kind;

// A number's width comes from its count of digits.
static_assert(decimal_digits(0) == 1 && decimal_digits(9) == 1 && decimal_digits(10) == 2);
static_assert(decimal_digits(99) == 2 && decimal_digits(100) == 3);
static_assert(decimal_digits(2147483647) == 10 && decimal_digits(2147483648) == 10);
static_assert(decimal_digits(9999999999999999999U) == 19);
static_assert(decimal_digits(10000000000000000000U) == 20 && decimal_digits(~0ULL) == 20);

// The worked example's frame: extents 0..10 by 0..5 in 440 x 220 give scale 36 and the
// origin at (18, 191).
constexpr DeviceRect frame{0, 0, 440, 220};

MeshModel framed_mesh() {
    MeshModel mesh;
    mesh.x_max = 10;
    mesh.y_max = 5;
    mesh.nodes = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {10, 5, 0}};
    return mesh;
}

TEST(MeshPainter, NothingIsDrawnWithoutAMesh) {
    RecordingCanvas canvas;
    paint_mesh(MeshModel{}, canvas, frame);
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].kind, Kind::set_text_align);
    EXPECT_EQ(canvas.calls[0].value, 6u);
    EXPECT_EQ(canvas.calls[1].kind, Kind::set_text_color);
    EXPECT_EQ(canvas.calls[1].value, 255u);
}

TEST(MeshPainter, DrawsEverySideButThoseMarkedMinusOne) {
    MeshModel mesh = framed_mesh();
    mesh.sides = {{0, 0, 0, 1, 0}, {0, 0, 1, 2, -1}, {0, 0, 2, 0, -5}, {0, 0, 0, 3, 7}};
    RecordingCanvas canvas;
    paint_mesh(mesh, canvas, frame);
    const auto moves = canvas.of_kind(Kind::move_to);
    const auto lines = canvas.of_kind(Kind::line_to);
    ASSERT_EQ(moves.size(), 3u);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(moves[0].point, (DevicePoint{18, 191}));
    EXPECT_EQ(lines[0].point, (DevicePoint{126, 191}));
    EXPECT_EQ(moves[1].point, (DevicePoint{18, 83})) << "marked -5: drawn";
    EXPECT_EQ(lines[1].point, (DevicePoint{18, 191}));
    EXPECT_EQ(lines[2].point, (DevicePoint{378, 11}));
    // Each line is a move followed by its line.
    for (std::size_t i = 2; i < canvas.calls.size(); i += 2) {
        EXPECT_EQ(canvas.calls[i].kind, Kind::move_to);
        EXPECT_EQ(canvas.calls[i + 1].kind, Kind::line_to);
    }
}

TEST(MeshPainter, NumbersSitOnTheCentreLiftedByHalfTheTextHeight) {
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    // The number sits at 0.999 of the corner (0,0)-(3,0)-(0,3) centroid: (0.999, 0.999) is
    // device (18 + 35.964, 191 - 35.964).
    const struct {
        std::int32_t text_height;
        std::int32_t y;
    } cases[] = {{13, 149}, {16, 147}, {1, 155}, {0, 155}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text_height);
        RecordingCanvas canvas(c.text_height);
        paint_mesh(mesh, canvas, frame);
        const auto texts = canvas.of_kind(Kind::text_out);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].point, (DevicePoint{53, c.y}));
        EXPECT_EQ(texts[0].text, "0");
    }
}

TEST(MeshPainter, LabelsFollowTheNumberingBase) {
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}, {1, 3, 2, 0, 0, 0}, {0, 3, 2, 0, 0, 0}};
    for (std::int32_t base : {0, 1}) {
        mesh.numbering_base = base;
        RecordingCanvas canvas;
        paint_mesh(mesh, canvas, frame);
        const auto texts = canvas.of_kind(Kind::text_out);
        ASSERT_EQ(texts.size(), 3u);
        for (std::int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(texts[static_cast<std::size_t>(i)].text, std::to_string(i + base));
        }
    }
}

TEST(MeshPainter, AllLinesComeBeforeAnyNumber) {
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}, {1, 3, 2, 0, 0, 0}};
    mesh.sides = {{0, -1, 0, 1, 0}, {0, 1, 1, 2, 0}, {1, -1, 2, 0, 0}, {1, -1, 1, 3, 0}};
    RecordingCanvas canvas;
    paint_mesh(mesh, canvas, frame);
    ASSERT_EQ(canvas.calls.size(), 2u + 8u + 2u);
    for (std::size_t i = 0; i < canvas.calls.size(); ++i) {
        const bool is_text = canvas.calls[i].kind == Kind::text_out;
        EXPECT_EQ(is_text, i >= 10) << i;
    }
}

TEST(MeshPainter, SkipsWhateverRefersToAMissingNode) {
    MeshModel mesh = framed_mesh();
    constexpr auto int_min = std::numeric_limits<std::int32_t>::min();
    mesh.sides = {{0, 0, 0, 4, 0}, {0, 0, -1, 1, 0}, {0, 0, int_min, 0, 0}, {0, 0, 2, 3, 0}};
    mesh.elements = {{0, 1, 4, 0, 0, 0}, {-1, 1, 2, 0, 0, 0}, {0, 1, 2, 0, 0, 0}};
    RecordingCanvas canvas;
    paint_mesh(mesh, canvas, frame);
    const auto lines = canvas.of_kind(Kind::line_to);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].point, (DevicePoint{378, 11}));
    const auto texts = canvas.of_kind(Kind::text_out);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "2") << "the element keeps its own number";
}

TEST(MeshPainter, NonFiniteCoordinatesDrawWithoutUndefinedBehaviour) {
    MeshModel mesh;
    const double inf = std::numeric_limits<double>::infinity();
    mesh.nodes = {{std::nan(""), 1, 0}, {inf, -inf, 0}, {1e300, -1e300, 0}};
    mesh.x_max = inf;
    mesh.y_min = -inf;
    mesh.sides = {{0, 0, 0, 1, 0}, {0, 0, 1, 2, 0}};
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    RecordingCanvas canvas;
    paint_mesh(mesh, canvas, frame);
    // Infinite extents give scale 0 and a NaN offset: every point lands on (0, 0), so no
    // line has a length, and the number is drawn there.
    EXPECT_EQ(canvas.of_kind(Kind::line_to).size(), 0u);
    const auto texts = canvas.of_kind(Kind::text_out);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].point, (DevicePoint{0, 0}));
}

// Points computed in double precision where that gives the pixel of extended precision: nodes
// and centres put a hair from pixel edges, where the two precisions part, land where extended
// precision puts them.
TEST(MeshPainter, PointsNearPixelEdgesAreThoseOfExtendedPrecision) {
    using Extended = long double;
    MeshModel mesh = framed_mesh(); // scale 36, origin at (18, 191)
    std::vector<MeshNode> nodes;
    std::uint64_t random = 42;
    const auto next = [&] {
        random = random * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(random >> 11) / 0x1p53;
    };
    // Nodes whose device x or y is an integer give or take a few units in the last place.
    for (int k = 0; k < 3000; ++k) {
        const double edge = std::floor(next() * 300.0);
        const double hair = (next() - 0.5) * 1e-13;
        const double near = (edge - 18.0) / 36.0 + hair;
        nodes.push_back(k % 2 == 0 ? MeshNode{near, next() * 5.0, 0}
                                   : MeshNode{next() * 10.0, (191.0 - edge) / 36.0 + hair, 0});
    }
    // Triangles whose centre is near an edge: the third corner completes the sum.
    for (int k = 0; k < 3000; k += 3) {
        const double target = (std::floor(next() * 300.0) - 18.0) / 36.0 / 0.333;
        nodes[static_cast<std::size_t>(k + 2)].x = target - nodes[static_cast<std::size_t>(k)].x -
                                                   nodes[static_cast<std::size_t>(k + 1)].x;
    }
    mesh.nodes = records_of(nodes);
    mesh.sides = RecordArray<MeshSide>::zero_filled(nodes.size() - 1).value();
    mesh.elements = RecordArray<MeshElement>::zero_filled(nodes.size() / 3).value();
    for (std::int32_t k = 0; k + 1 < mesh.node_count(); ++k) {
        mesh.sides[static_cast<std::size_t>(k)] = {0, 0, k, k + 1, 0};
    }
    for (std::int32_t k = 0; k < mesh.element_count(); ++k) {
        mesh.elements[static_cast<std::size_t>(k)] = {3 * k, 3 * k + 1, 3 * k + 2, 0, 0, 0};
    }
    RecordingCanvas canvas(13);
    canvas.char_width = 0; // no number hides another
    paint_mesh(mesh, canvas, frame);

    const ViewFit fit = compute_view_fit(mesh, frame);
    int parted = 0; // points where plain double precision would have given another pixel
    const auto lines = canvas.of_kind(Kind::line_to);
    ASSERT_EQ(lines.size(), mesh.sides.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const MeshNode& node = mesh.nodes[k + 1];
        EXPECT_EQ(lines[k].point, to_device(fit, node.x, node.y)) << k;
        parted +=
            static_cast<std::int32_t>(fit.scale * node.x + fit.offset_x) != lines[k].point.x ||
            static_cast<std::int32_t>(-fit.scale * node.y + fit.offset_y) != lines[k].point.y;
    }
    const auto texts = canvas.of_kind(Kind::text_out);
    ASSERT_EQ(texts.size(), mesh.elements.size());
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const MeshNode& a = mesh.nodes[3 * k];
        const MeshNode& b = mesh.nodes[3 * k + 1];
        const MeshNode& c = mesh.nodes[3 * k + 2];
        const Extended cx = Extended{0.333} * (Extended{b.x} + a.x + c.x);
        const Extended cy = Extended{0.333} * (Extended{b.y} + a.y + c.y);
        const Extended scale = fit.scale;
        const DevicePoint expected{truncate_to_int32(scale * cx + fit.offset_x),
                                   truncate_to_int32((-scale * cy + fit.offset_y) - 6)};
        EXPECT_EQ(texts[k].point, expected) << k;
        parted += static_cast<std::int32_t>(fit.scale * (0.333 * (b.x + a.x + c.x)) +
                                            fit.offset_x) != expected.x;
    }
    EXPECT_GT(parted, 10) << "too few points near an edge to tell the precisions apart";

    // With the index, each block's points are found with one error bound for all of them:
    // the numbers that show, where they show, are those of the paint without it. Ordered by
    // their centres' y, a block of elements keeps to a few rows, as the row pass needs; narrow
    // digits leave many numbers showing.
    std::vector<MeshElement> ordered(mesh.elements.begin(), mesh.elements.end());
    const auto centre_y = [&mesh](const MeshElement& e) {
        return mesh.node(e.node_a).y + mesh.node(e.node_b).y + mesh.node(e.node_c).y;
    };
    std::sort(ordered.begin(), ordered.end(), [&](const MeshElement& e, const MeshElement& f) {
        return centre_y(e) < centre_y(f);
    });
    mesh.elements = records_of(ordered);
    RecordingCanvas plain(13);
    RecordingCanvas indexed(13);
    plain.char_width = 1;
    indexed.char_width = 1;
    plain.clip = frame; // a clip box the numbers' cover can be kept for
    indexed.clip = frame;
    const ViewTransform view = fitted_view(fit);
    const MeshIndex index(mesh);
    paint_mesh(mesh, plain, view);
    paint_mesh(mesh, indexed, view, &index);
    ASSERT_EQ(indexed.calls.size(), plain.calls.size());
    for (std::size_t k = 0; k < plain.calls.size(); ++k) {
        ASSERT_EQ(indexed.calls[k].point, plain.calls[k].point) << k;
        ASSERT_EQ(indexed.calls[k].text, plain.calls[k].text) << k;
    }
}

TEST(MeshPainterSkips, LinesOfNoLength) {
    MeshModel mesh = framed_mesh();
    mesh.nodes = {{0, 0, 0}, {0.001, -0.001, 0}, {3, 0, 0}}; // 0 and 1 share a pixel
    mesh.sides = {{0, 0, 0, 1, 0}, {0, 0, 1, 2, 0}};
    RecordingCanvas canvas;
    paint_mesh(mesh, canvas, frame);
    const auto moves = canvas.of_kind(Kind::move_to);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].point, (DevicePoint{18, 191}));
}

TEST(MeshPainterSkips, LinesWhoseBoxMissesTheClipBox) {
    // Side 0 runs (18,191)-(126,191), side 1 (18,83)-(378,11).
    MeshModel mesh = framed_mesh();
    mesh.sides = {{0, 0, 0, 1, 0}, {0, 0, 2, 3, 0}};
    const struct {
        DeviceRect clip;
        std::size_t drawn;
    } cases[] = {
        {{100, 0, 200, 100}, 1},   // only side 1 crosses it
        {{126, 191, 127, 192}, 1}, // the last pixel of side 0's box
        {{127, 0, 400, 400}, 1},   // just right of side 0
        {{0, 192, 400, 400}, 0},   // below both
        {{0, 0, 18, 400}, 0},      // the right edge is exclusive
        {{0, 0, 19, 400}, 2},      {{379, 0, 500, 400}, 0},
        {{0, 0, 400, 11}, 0}, // the bottom edge is exclusive
        {{0, 0, 400, 12}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clip.left << "," << c.clip.top << "," << c.clip.right
                                        << "," << c.clip.bottom);
        RecordingCanvas canvas;
        canvas.clip = c.clip;
        paint_mesh(mesh, canvas, frame);
        EXPECT_EQ(canvas.of_kind(Kind::line_to).size(), c.drawn);
    }
}

TEST(MeshPainterSkips, NumbersWhoseCellMissesTheClipBox) {
    // Number "0" at (53, 147) with text height 16 and 8-pixel digits: its cell spans x 49..56
    // and y 147..162.
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    const struct {
        DeviceRect clip;
        bool drawn;
    } cases[] = {
        {{0, 0, 440, 220}, true},   {{57, 0, 440, 220}, false}, {{56, 0, 440, 220}, true},
        {{0, 0, 49, 220}, false},   {{0, 0, 50, 220}, true},    {{0, 163, 440, 220}, false},
        {{0, 162, 440, 220}, true}, {{0, 0, 440, 147}, false},  {{0, 0, 440, 148}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clip.left << "," << c.clip.top << "," << c.clip.right
                                        << "," << c.clip.bottom);
        RecordingCanvas canvas(16);
        canvas.clip = c.clip;
        paint_mesh(mesh, canvas, frame);
        EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), c.drawn ? 1u : 0u);
    }
}

TEST(MeshPainterSkips, WideNumbersKeepTheirWholeCell) {
    // Number 1000000 has seven 8-pixel digits: its cell spans x 25..80.
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    mesh.numbering_base = 1000000;
    RecordingCanvas canvas(16);
    canvas.clip = {80, 0, 440, 220};
    paint_mesh(mesh, canvas, frame);
    EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), 1u);
    canvas.calls.clear();
    canvas.clip.left += 1;
    paint_mesh(mesh, canvas, frame);
    EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), 0u);
}

// Elements whose number is centred `dx` mesh units right of the (0,0)-(3,0)-(0,3) one.
MeshModel with_numbers_at(std::initializer_list<double> shifts) {
    MeshModel mesh = framed_mesh();
    std::vector<MeshNode> nodes;
    std::vector<MeshElement> elements;
    for (const double dx : shifts) {
        const auto first = static_cast<std::int32_t>(nodes.size());
        nodes.insert(nodes.end(), {{dx, 0, 0}, {3 + dx, 0, 0}, {dx, 3, 0}});
        elements.push_back({first, first + 1, first + 2, 0, 0, 0});
    }
    mesh.nodes = records_of(nodes);
    mesh.elements = records_of(elements);
    return mesh;
}

std::vector<std::string> drawn_numbers(const MeshModel& mesh) {
    RecordingCanvas canvas(16); // 8-pixel digits
    canvas.clip = {0, 0, 440, 220};
    paint_mesh(mesh, canvas, frame);
    std::vector<std::string> texts;
    for (const CanvasCall& call : canvas.of_kind(Kind::text_out)) {
        texts.push_back(call.text);
    }
    return texts;
}

using Texts = std::vector<std::string>;

TEST(MeshPainterSkips, NumbersWhollyUnderLaterNumbers) {
    // Three numbers share a centre, a fourth is far to the right: only the last of the three
    // shows.
    MeshModel mesh = with_numbers_at({0, 0, 0, 3});
    EXPECT_EQ(drawn_numbers(mesh), (Texts{"2", "3"}));
    // 9 lies wholly under the wider 11, 10 exactly under 11.
    mesh.numbering_base = 9;
    EXPECT_EQ(drawn_numbers(mesh), (Texts{"11", "12"}));
}

TEST(MeshPainterSkips, NumbersPartlyUnderLaterNumbers) {
    // A shift of d units puts a number at x = 53.964 + 35.964 d, truncated; "0" at 53 spans
    // 49..56.
    // "1" at 58 spans 54..61: the left of "0" still shows.
    EXPECT_EQ(drawn_numbers(with_numbers_at({0, 0.12})), (Texts{"0", "1"}));
    // "1" at 58 and "2" at 49 (45..52) leave column 53 of "0" uncovered.
    EXPECT_EQ(drawn_numbers(with_numbers_at({0, 0.12, -0.12})), (Texts{"0", "1", "2"}));
    // "1" at 55 (51..58) and "2" at 51 (47..54) cover it between them.
    EXPECT_EQ(drawn_numbers(with_numbers_at({0, 0.04, -0.07})), (Texts{"1", "2"}));

    // A wider number is hidden only where the later ones reach across all of it.
    MeshModel mesh = with_numbers_at({0, 0.04});
    mesh.numbering_base = 9; // "10" at 55 spans 47..62 and covers "9"
    EXPECT_EQ(drawn_numbers(mesh), (Texts{"10"}));
    mesh = with_numbers_at({0, 0.06});
    mesh.numbering_base = 99; // "99" spans 45..60, "100" at 56 spans 44..67
    EXPECT_EQ(drawn_numbers(mesh), (Texts{"100"}));
    mesh = with_numbers_at({0, 0.3});
    mesh.numbering_base = 99; // "100" at 64 spans 52..75 and leaves 45..51 of "99"
    EXPECT_EQ(drawn_numbers(mesh), (Texts{"99", "100"}));
}

TEST(MeshPainterSkips, LinesUnderTheNumbersCells) {
    // Number "0" covers x 49..56, y 147..162. Nodes 4 and 5 map to (50, 149) and (54, 158).
    MeshModel mesh = framed_mesh();
    mesh.nodes = {{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {10, 5, 0}, {0.9, 1.14, 0}, {1.0, 0.9, 0}};
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    mesh.sides = {{0, 0, 4, 5, 0}, {0, 0, 4, 1, 0}};
    RecordingCanvas canvas(16);
    canvas.clip = {0, 0, 440, 220};
    paint_mesh(mesh, canvas, frame);
    const auto moves = canvas.of_kind(Kind::move_to);
    ASSERT_EQ(moves.size(), 1u) << "the line wholly under the number is left out";
    EXPECT_EQ(moves[0].point, (DevicePoint{50, 149}));
    EXPECT_EQ(canvas.of_kind(Kind::line_to)[0].point, (DevicePoint{126, 191}));
}

TEST(MeshPainterSkips, NothingIsHiddenWithoutTextWidths) {
    MeshModel mesh = framed_mesh();
    const MeshElement shared{0, 1, 2, 0, 0, 0};
    mesh.elements = {shared, shared, shared};
    struct NoWidths final : RecordingCanvas {
        std::optional<std::int32_t> text_width(std::string_view) override { return std::nullopt; }
    } canvas;
    canvas.clip = {0, 0, 440, 220};
    paint_mesh(mesh, canvas, frame);
    EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), 3u);
}

// A block of numbers under later numbers is left out at once only where none of its cells can
// show: a number of the first block, as wide as its block's widest, whose only visible pixels
// are an edge of its cell, a later block's number of the same width covering the rest, a pixel
// (1 / 35.964 units) aside.
TEST(MeshPainterSkips, ABlockUnderLaterNumbersStillShowsTheEdgesOfItsCells) {
    constexpr double pixel = 1 / 35.964;
    const struct {
        const char* edge;
        double dx; // where the later number sits
        double dy;
    } cases[] = {
        {"the right column", -pixel, 0.0},
        {"the left column", pixel, 0.0},
        {"the bottom row", 0.0, pixel},
        {"the top row", 0.0, -pixel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        MeshModel mesh = framed_mesh();
        const std::vector<MeshNode> nodes{{0, 0, 0},           {3, 0, 0},
                                          {0, 3, 0},           {c.dx, c.dy, 0},
                                          {3 + c.dx, c.dy, 0}, {c.dx, 3 + c.dy, 0}};
        mesh.nodes = records_of(nodes);
        // Element 0 alone is drawn in the first block; element 64 starts the next. All numbers
        // have seven digits.
        mesh.numbering_base = 1000000;
        mesh.elements = RecordArray<MeshElement>::zero_filled(65).value();
        mesh.elements[0] = {0, 1, 2, 0, 0, 0};
        for (std::size_t k = 1; k < 64; ++k) {
            mesh.elements[k] = {-1, 1, 2, 0, 0, 0};
        }
        mesh.elements[64] = {3, 4, 5, 0, 0, 0};
        const MeshIndex index(mesh);
        for (const MeshIndex* used : {static_cast<const MeshIndex*>(nullptr), &index}) {
            RecordingCanvas canvas(13);
            canvas.clip = {0, 0, 440, 220};
            paint_mesh(mesh, canvas, fitted_view(compute_view_fit(mesh, frame)), used);
            const auto texts = canvas.of_kind(Kind::text_out);
            ASSERT_EQ(texts.size(), 2u) << (used != nullptr ? "with" : "without") << " the index";
            EXPECT_EQ(texts[0].text, "1000000");
            EXPECT_NE(texts[0].point, texts[1].point);
        }
    }
}

} // namespace
