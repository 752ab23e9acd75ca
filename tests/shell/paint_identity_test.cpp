// Every faster way of painting leaves the pixels of the plain one, in which every side is drawn
// with MoveToEx and LineTo and every number with TextOutA, nothing left out: the painter's
// skips on a GDI canvas, the picture canvas's batched lines and composed numbers, and the main
// window's picture, whole and in part, with the window's own font and with others.
#include "digit_atlas_capture.h"
#include "gdi_canvas.h"
#include "main_window.h"
#include "mesh_model.h"
#include "mesh_painter.h"
#include "picture_canvas.h"
#include "plain_canvas.h"
#include "shell_state.h"
#include "shell_test_support.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

struct MeshShape {
    int columns;
    int rows;
    double x0 = 0.0;
    double y0 = 0.0;
    std::int32_t base = 0;
    double jitter = 0.0;   // how far inner nodes move, at random, in cells: lines run every way
    bool oddities = false; // nodes at NaN and infinities, references to nodes that do not exist
    bool numbered = true;  // false: sides only, every line in view, however short
};

// A rectangle of unit cells from (x0, y0), each cut into two triangles, with every edge a side;
// every seventh side is marked -1.
MeshModel grid_mesh(const MeshShape& shape) {
    std::vector<MeshNode> nodes;
    std::vector<MeshElement> elements;
    std::vector<MeshSide> sides;
    const auto node = [&](int i, int j) { return j * (shape.columns + 1) + i; };
    std::uint32_t random = 12345;
    const auto wobble = [&] {
        random = random * 1664525 + 1013904223;
        return shape.jitter * (static_cast<double>(random >> 8) / (1 << 24) * 2.0 - 1.0);
    };
    for (int j = 0; j <= shape.rows; ++j) {
        for (int i = 0; i <= shape.columns; ++i) {
            const bool inner = i > 0 && j > 0 && i < shape.columns && j < shape.rows;
            const double dx = inner ? wobble() : 0.0;
            const double dy = inner ? wobble() : 0.0;
            nodes.push_back({shape.x0 + i + dx, shape.y0 + j + dy, 0});
        }
    }
    for (int j = 0; j < shape.rows; ++j) {
        for (int i = 0; i < shape.columns; ++i) {
            elements.push_back({node(i, j), node(i + 1, j), node(i + 1, j + 1), 0, 0, 0});
            elements.push_back({node(i, j), node(i + 1, j + 1), node(i, j + 1), 0, 0, 0});
            sides.push_back({0, 0, node(i, j), node(i + 1, j), 0});
            sides.push_back({0, 0, node(i, j), node(i, j + 1), 0});
            sides.push_back({0, 0, node(i + 1, j + 1), node(i, j), 0});
        }
    }
    for (std::size_t k = 0; k < sides.size(); k += 7) {
        sides[k].mark = -1;
    }
    if (shape.oddities) {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();
        const auto first_odd = static_cast<std::int32_t>(nodes.size());
        const std::int32_t missing = first_odd + 4;
        nodes.push_back({nan, nan, 0});
        nodes.push_back({inf, shape.y0 + 1.5, 0});
        nodes.push_back({-inf, -inf, 0});
        nodes.push_back({shape.x0 + 2.5, nan, 0});
        for (std::int32_t odd = first_odd; odd < missing; ++odd) {
            sides.push_back({0, 0, node(1, 1), odd, 0});
            sides.push_back({0, 0, odd, node(shape.columns / 2, shape.rows / 2), 0});
            elements.push_back({node(2, 1), odd, node(3, 2), 0, 0, 0});
        }
        sides.push_back({0, 0, node(0, 0), missing, 0});
        sides.push_back({0, 0, -1, node(1, 1), 0});
        elements.push_back({node(0, 0), node(1, 0), missing, 0, 0, 0});
        elements.push_back({-7, node(1, 0), node(1, 1), 0, 0, 0});
    }
    if (!shape.numbered) {
        elements.clear();
    }
    MeshModel mesh;
    mesh.nodes = RecordArray<MeshNode>::zero_filled(nodes.size()).value();
    std::copy(nodes.begin(), nodes.end(), mesh.nodes.begin());
    mesh.elements = RecordArray<MeshElement>::zero_filled(elements.size()).value();
    std::copy(elements.begin(), elements.end(), mesh.elements.begin());
    mesh.sides = RecordArray<MeshSide>::zero_filled(sides.size()).value();
    std::copy(sides.begin(), sides.end(), mesh.sides.begin());
    mesh.numbering_base = shape.base;
    mesh.x_min = std::min(shape.x0, 0.0);
    mesh.y_min = std::min(shape.y0, 0.0);
    mesh.x_max = std::max(shape.x0 + shape.columns, 0.0);
    mesh.y_max = std::max(shape.y0 + shape.rows, 0.0);
    return mesh;
}

enum class Font {
    window,      // the device context's own: the raster System font
    antialiased, // TrueType, smoothed into shades between red and white
    italic,      // TrueType, its ink reaching beyond its cells: numbers must be drawn as text
};

UniqueFont make_font(Font font) {
    if (font == Font::window) {
        return nullptr;
    }
    // Tahoma comes with Wine's fonts; below about 17 pixels it asks not to be smoothed. At 23
    // its digits are 13 pixels wide: centring an odd width shows which way it rounds.
    return UniqueFont(CreateFontA(-23, 0, 0, 0, FW_NORMAL, font == Font::italic, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS,
                                  ANTIALIASED_QUALITY, DEFAULT_PITCH, "Tahoma"));
}

// A picture in memory with `font` selected, or the DC's own font.
struct FontedPicture {
    FontedPicture(int width, int height, HFONT font) : picture(width, height) {
        if (font != nullptr) {
            SelectObject(picture.dc(), font);
        }
    }
    ~FontedPicture() { SelectObject(picture.dc(), GetStockObject(SYSTEM_FONT)); }
    FontedPicture(const FontedPicture&) = delete;
    FontedPicture& operator=(const FontedPicture&) = delete;
    Picture picture;
};

// The distinct colours of the pixels of a picture.
std::set<std::uint32_t> colours_of(const Picture& picture) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            colours.insert(picture.pixel(x, y));
        }
    }
    return colours;
}

struct IdentityCase {
    const char* name;
    MeshShape shape;
    int width;
    int height;
    Font font;
    bool composed; // whether the numbers are composed from the digit atlas
};

TEST(PaintIdentity, PicturesInMemoryMatchThePlainDrawing) {
    const IdentityCase cases[] = {
        {"dense, numbered from 0", {120, 60}, 640, 480, Font::window, true},
        {"dense, jittered, numbered from 1",
         {300, 170, 0, 0, 1, 0.45},
         640,
         480,
         Font::window,
         true},
        {"around the origin", {40, 30, -20, -15, 1}, 640, 480, Font::window, true},
        {"sparse, jittered", {6, 4, 0, 0, 0, 0.4}, 640, 480, Font::window, true},
        {"NaN, infinities and missing nodes",
         {12, 7, -3, -2, 1, 0.3, true},
         500,
         300,
         Font::window,
         true},
        {"sides of a pixel or two, no numbers",
         {400, 250, 0, 0, 0, 0.3, false, false},
         640,
         480,
         Font::window,
         true},
        {"narrower than the margins", {30, 20}, 33, 17, Font::window, true},
        {"one pixel", {30, 20, 0, 0, 1}, 1, 1, Font::window, true},
        {"antialiased, dense", {120, 60, 0, 0, 1, 0.3}, 640, 480, Font::antialiased, true},
        {"antialiased, sparse", {8, 5, -4, -1, 0, 0.4}, 400, 300, Font::antialiased, true},
        {"italic, sparse", {8, 5, -4, -1, 0}, 400, 300, Font::italic, false},
        {"italic, dense", {60, 30, 0, 0, 1, 0.2}, 400, 300, Font::italic, false},
    };
    for (const IdentityCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshModel mesh = grid_mesh(c.shape);
        const UniqueFont font = make_font(c.font);
        const DeviceRect frame{0, 0, c.width, c.height};

        const FontedPicture plain(c.width, c.height, font.get());
        PlainCanvas everything(plain.picture.dc());
        paint_mesh(mesh, everything, frame);
        const FontedPicture skipped(c.width, c.height, font.get());
        GdiCanvas gdi(skipped.picture.dc());
        paint_mesh(mesh, gdi, frame);
        const FontedPicture composed(c.width, c.height, font.get());
        DigitAtlasCache digits;
        PictureCanvas picture_canvas(composed.picture.dc(), composed.picture.pixels(), digits,
                                     frame);
        paint_mesh(mesh, picture_canvas, frame);

        EXPECT_EQ(everything.texts > 0, c.shape.numbered);
        EXPECT_EQ(picture_canvas.digit_atlas() != nullptr, c.composed);
        EXPECT_TRUE(skipped.picture.same_pixels(plain.picture));
        EXPECT_TRUE(composed.picture.same_pixels(plain.picture));
        if (c.width * c.height > 10000 && c.shape.numbered) {
            EXPECT_GT(plain.picture.count(rgb_red, RECT{0, 0, c.width, c.height}), 0);
        }
        if (c.width * c.height > 10000 &&
            (c.shape.columns * c.shape.rows < 100 || !c.shape.numbered)) {
            EXPECT_GT(plain.picture.count(rgb_black, RECT{0, 0, c.width, c.height}), 0)
                << "lines show between the numbers of a sparse mesh";
        }
        if (c.font == Font::antialiased) {
            EXPECT_GT(colours_of(plain.picture).size(), 4u) << "the numbers are not smoothed";
        }
    }
}

TEST(PaintIdentity, TheDigitAtlasHoldsWhatTextOutDraws) {
    const Picture picture(100, 50);
    SetTextColor(picture.dc(), RGB(255, 0, 0));
    const auto atlas = capture_digit_atlas(picture.dc());
    ASSERT_TRUE(atlas);
    TEXTMETRICA metrics{};
    GetTextMetricsA(picture.dc(), &metrics);
    EXPECT_EQ(atlas->height, metrics.tmHeight);
    for (char digit = '0'; digit <= '9'; ++digit) {
        SCOPED_TRACE(digit);
        SIZE size{};
        GetTextExtentPoint32A(picture.dc(), &digit, 1, &size);
        const auto index = static_cast<std::size_t>(digit - '0');
        EXPECT_EQ(atlas->widths[index], size.cx);
        const auto& cell = atlas->cells[index];
        EXPECT_EQ(std::count(cell.begin(), cell.end(), rgb_red) > 0, true) << "no ink";
        EXPECT_EQ(std::count(cell.begin(), cell.end(), rgb_white) > 0, true) << "no background";
    }

    // Text that is not opaque hides nothing, and a transparent cell cannot be composed.
    SetBkMode(picture.dc(), TRANSPARENT);
    EXPECT_FALSE(capture_digit_atlas(picture.dc()));
    EXPECT_FALSE(GdiCanvas(picture.dc()).text_width("0"));
}

TEST(PaintIdentity, AOneStepLineSetsItsStartPixelInTheDefaultPensColour) {
    const Picture picture(10, 10);
    EXPECT_EQ(one_step_line_pixel(picture.dc()), std::optional<std::uint32_t>{rgb_black});
    const UniquePen wide(CreatePen(PS_SOLID, 3, RGB(0, 0, 0)));
    const HGDIOBJ old = SelectObject(picture.dc(), wide.get());
    EXPECT_FALSE(one_step_line_pixel(picture.dc())) << "a wide pen draws more than one pixel";
    SelectObject(picture.dc(), old);
    SetROP2(picture.dc(), R2_NOT);
    EXPECT_FALSE(one_step_line_pixel(picture.dc())) << "the pixel depends on what lies beneath";
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

// The main window's picture against the plain drawing on the window's own paint DC.
class MainWindowPicture : public ShellTest {
protected:
    void TearDown() override {
        current_mesh() = MeshModel{};
        ShellTest::TearDown();
    }

    void show(MeshModel mesh) { show_mesh(std::move(mesh)); }

    // What the window shows after a repaint of `part` (all of it when null).
    std::unique_ptr<Picture> repainted(const RECT* part) {
        InvalidateRect(main_window, part, TRUE);
        UpdateWindow(main_window);
        return capture_client_area(main_window);
    }

    // The client area painted the plain way, straight onto the paint DC.
    std::unique_ptr<Picture> plainly_painted() {
        const auto product = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&plain_proc)));
        auto picture = repainted(nullptr);
        SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(product));
        return picture;
    }

    static LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_PAINT) {
            return main_window_proc(window, message, wParam, lParam);
        }
        PAINTSTRUCT paint{};
        BeginPaint(window, &paint);
        PlainCanvas canvas(paint.hdc);
        paint_mesh(current_mesh(), canvas, main_window_view());
        EndPaint(window, &paint);
        return 0;
    }
};

TEST_F(MainWindowPicture, WholeAndPartialRepaintsMatchThePlainDrawing) {
    // A million jittered triangles numbered from 1 (numbers of 1 to 7 digits), and a sparse
    // mesh around the origin with every oddity.
    const struct {
        const char* name;
        MeshShape shape;
    } meshes[] = {
        {"a million triangles", {1000, 500, 0, 0, 1, 0.45}},
        {"sparse, odd", {9, 6, -4, -3, 0, 0.3, true}},
    };
    const std::vector<RECT> parts{
        {100, 80, 300, 230}, {0, 0, 37, 600}, {500, 5, 2000, 11}, {333, 222, 334, 223}};
    for (const auto& mesh : meshes) {
        SCOPED_TRACE(mesh.name);
        set_client_size(640, 480);
        show(grid_mesh(mesh.shape));
        const auto plain = plainly_painted();
        EXPECT_GT(plain->count(rgb_red, RECT{0, 0, 640, 400}), 0);
        EXPECT_TRUE(repainted(nullptr)->same_pixels(*plain));
        for (const RECT& part : parts) {
            SCOPED_TRACE(testing::Message() << part.left << ", " << part.top);
            EXPECT_TRUE(repainted(&part)->same_pixels(*plain));
        }
    }
}

TEST_F(MainWindowPicture, EveryWindowSizeMatchesThePlainDrawing) {
    show(grid_mesh({24, 15, -2, -1, 1, 0.35, true}));
    const std::vector<std::pair<int, int>> sizes{
        {800, 600}, {123, 457}, {41, 21}, {7, 3}, {640, 80}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        set_client_size(width, height);
        const auto shown = capture_client_area(main_window);
        EXPECT_TRUE(shown->same_pixels(*plainly_painted()));
        // A part repainted after the resize comes from the same picture.
        const RECT part{width / 3, height / 3, width / 2 + 1, height / 2 + 1};
        EXPECT_TRUE(repainted(&part)->same_pixels(*shown));
    }
}

TEST_F(MainWindowPicture, ANewMeshOrChangedSystemColoursDrawThePictureAfresh) {
    set_client_size(400, 300);
    show(grid_mesh({4, 3}));
    const auto first = capture_client_area(main_window);
    // Numbered from 1, with the same extents and so the same view.
    MeshModel other = grid_mesh({4, 3, 0, 0, 1});
    other.load_count = current_mesh().load_count;
    current_mesh() = std::move(other);
    EXPECT_TRUE(repainted(nullptr)->same_pixels(*first)) << "the picture is kept until a load";
    ++current_mesh().load_count;
    const auto second = repainted(nullptr);
    EXPECT_FALSE(second->same_pixels(*first));
    EXPECT_TRUE(second->same_pixels(*plainly_painted()));

    current_mesh() = grid_mesh({4, 3});
    SendMessageA(main_window, WM_SYSCOLORCHANGE, 0, 0);
    UpdateWindow(main_window);
    EXPECT_TRUE(capture_client_area(main_window)->same_pixels(*first));
}

} // namespace
