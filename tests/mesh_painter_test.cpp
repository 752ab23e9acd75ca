#include "mesh_painter.h"
#include "recording_canvas.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using Kind = CanvasCall::Kind;

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
    // Number "0" at (53, 147) with text height 16 and 8-pixel digits: its cell spans x 49..57
    // and y 147..162, allowing a pixel for centring: 48..58.
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    const struct {
        DeviceRect clip;
        bool drawn;
    } cases[] = {
        {{0, 0, 440, 220}, true},   {{59, 0, 440, 220}, false}, {{58, 0, 440, 220}, true},
        {{0, 0, 48, 220}, false},   {{0, 0, 49, 220}, true},    {{0, 163, 440, 220}, false},
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
    // Number 1000000 has seven digits: half a cell is 7 * 8 / 2 + 1 = 29 pixels.
    MeshModel mesh = framed_mesh();
    mesh.elements = {{0, 1, 2, 0, 0, 0}};
    mesh.numbering_base = 1000000;
    RecordingCanvas canvas(16);
    canvas.clip = {53 + 29, 0, 440, 220};
    paint_mesh(mesh, canvas, frame);
    EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), 1u);
    canvas.calls.clear();
    canvas.clip.left += 1;
    paint_mesh(mesh, canvas, frame);
    EXPECT_EQ(canvas.of_kind(Kind::text_out).size(), 0u);
}

} // namespace
