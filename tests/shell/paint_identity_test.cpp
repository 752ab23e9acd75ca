// The painter leaves out lines and numbers that cannot change a pixel: the picture through GDI
// is the same with those skips as without them.
#include "gdi_canvas.h"
#include "mesh_model.h"
#include "mesh_painter.h"
#include "shell_test_support.h"

#include <vector>

namespace {

// Passes the six drawing operations on to GDI but tells neither clip box nor text widths, so
// that the painter draws everything.
class DrawEverythingCanvas final : public Canvas {
public:
    explicit DrawEverythingCanvas(HDC dc) : gdi_(dc) {}
    std::int32_t text_height() override { return gdi_.text_height(); }
    void set_text_align(std::uint32_t align) override { gdi_.set_text_align(align); }
    void set_text_color(std::uint32_t colorref) override { gdi_.set_text_color(colorref); }
    void move_to(DevicePoint point) override { gdi_.move_to(point); }
    void line_to(DevicePoint point) override { gdi_.line_to(point); }
    void text_out(DevicePoint point, std::string_view text) override {
        gdi_.text_out(point, text);
        ++texts;
    }
    int texts = 0;

private:
    GdiCanvas gdi_;
};

// A rectangle of `columns` by `rows` unit cells from (x0, y0), each cut into two triangles,
// with every edge a side; every seventh side is marked -1.
MeshModel grid_mesh(int columns, int rows, double x0, double y0, std::int32_t base) {
    std::vector<MeshNode> nodes;
    std::vector<MeshElement> elements;
    std::vector<MeshSide> sides;
    const auto node = [&](int i, int j) { return j * (columns + 1) + i; };
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            nodes.push_back({x0 + i, y0 + j, 0});
        }
    }
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            elements.push_back({node(i, j), node(i + 1, j), node(i + 1, j + 1), 0, 0, 0});
            elements.push_back({node(i, j), node(i + 1, j + 1), node(i, j + 1), 0, 0, 0});
            sides.push_back({0, 0, node(i, j), node(i + 1, j), 0});
            sides.push_back({0, 0, node(i, j), node(i, j + 1), 0});
            sides.push_back({0, 0, node(i, j), node(i + 1, j + 1), 0});
        }
    }
    for (std::size_t k = 0; k < sides.size(); k += 7) {
        sides[k].mark = -1;
    }
    MeshModel mesh;
    mesh.nodes = RecordArray<MeshNode>::zero_filled(nodes.size()).value();
    std::copy(nodes.begin(), nodes.end(), mesh.nodes.begin());
    mesh.elements = RecordArray<MeshElement>::zero_filled(elements.size()).value();
    std::copy(elements.begin(), elements.end(), mesh.elements.begin());
    mesh.sides = RecordArray<MeshSide>::zero_filled(sides.size()).value();
    std::copy(sides.begin(), sides.end(), mesh.sides.begin());
    mesh.numbering_base = base;
    mesh.x_min = std::min(x0, 0.0);
    mesh.y_min = std::min(y0, 0.0);
    mesh.x_max = std::max(x0 + columns, 0.0);
    mesh.y_max = std::max(y0 + rows, 0.0);
    return mesh;
}

struct SkipCase {
    const char* name;
    MeshModel mesh;
    RECT clip; // empty: the whole picture
};

TEST(PaintSkips, LeaveThePictureUnchanged) {
    constexpr int width = 640;
    constexpr int height = 480;
    const SkipCase cases[] = {
        {"dense, numbered from 0", grid_mesh(120, 60, 0, 0, 0), {}},
        {"dense, numbered from 1, partial repaint",
         grid_mesh(120, 60, 0, 0, 1),
         {100, 80, 301, 263}},
        {"around the origin", grid_mesh(40, 30, -20, -15, 1), {}},
        {"around the origin, thin strip", grid_mesh(40, 30, -20, -15, 0), {0, 200, 640, 213}},
        {"sparse", grid_mesh(6, 4, 0, 0, 0), {}},
        {"sparse, partial repaint", grid_mesh(6, 4, 0, 0, 1), {250, 0, 390, 480}},
    };
    for (const SkipCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture with_skips(width, height);
        const Picture everything(width, height);
        if (c.clip.right > c.clip.left) {
            IntersectClipRect(with_skips.dc(), c.clip.left, c.clip.top, c.clip.right,
                              c.clip.bottom);
            IntersectClipRect(everything.dc(), c.clip.left, c.clip.top, c.clip.right,
                              c.clip.bottom);
        }
        const DeviceRect frame{0, 0, width, height};
        GdiCanvas gdi(with_skips.dc());
        paint_mesh(c.mesh, gdi, frame);
        DrawEverythingCanvas plain(everything.dc());
        paint_mesh(c.mesh, plain, frame);

        EXPECT_GT(plain.texts, 0);
        EXPECT_GT(everything.count(rgb_red, RECT{0, 0, width, height}), 0);
        EXPECT_TRUE(with_skips.same_pixels(everything));
    }
}

TEST(GdiCanvas, TellsItsClipBoxAndTextWidths) {
    const Picture picture(200, 100);
    GdiCanvas canvas(picture.dc());
    EXPECT_EQ(canvas.clip_box(), (DeviceRect{0, 0, 200, 100}));
    IntersectClipRect(picture.dc(), 10, 20, 50, 60);
    EXPECT_EQ(canvas.clip_box(), (DeviceRect{10, 20, 50, 60}));
    const auto one = canvas.text_width("0");
    const auto three = canvas.text_width("000");
    ASSERT_TRUE(one && three);
    EXPECT_GT(*one, 0);
    EXPECT_EQ(*three, 3 * *one) << "numbers are as wide as their digits";
}

} // namespace
