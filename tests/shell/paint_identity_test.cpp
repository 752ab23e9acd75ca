// Every faster way of painting leaves the pixels of the plain one, in which every side is drawn
// with MoveToEx and LineTo and every number with TextOutA, nothing left out: the painter's
// skips on a GDI canvas, the picture canvas's batched lines and composed numbers, and the main
// window's picture, whole and in part, with the window's own font and with others.
#include "digit_atlas_capture.h"
#include "gdi_canvas.h"
#include "grid_mesh.h"
#include "main_window.h"
#include "mesh_index.h"
#include "mesh_model.h"
#include "mesh_painter.h"
#include "picture_canvas.h"
#include "plain_canvas.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "zoom_view.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

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

// A view the user zoomed and moved: `step` steps about `about`, then a pan; step -1 is the
// deepest the view goes, moved to put the mesh's first node in the middle, so that its lines
// run out to points millions of pixels away.
struct Zoom {
    int step = 0;
    DevicePoint about{};
    DevicePoint pan{};
};

ViewTransform zoomed_view(const MeshModel& mesh, const DeviceRect& frame, const Zoom& zoom) {
    const ViewFit fit = compute_view_fit(mesh, frame);
    const int step = zoom.step < 0 ? deepest_zoom_step : zoom.step;
    const DevicePoint about =
        zoom.step < 0 ? to_device(fit, mesh.nodes[0].x, mesh.nodes[0].y) : zoom.about;
    ZoomView view;
    for (int k = 1; k <= step && view.zoom_to(k, about, fit, mesh); ++k) {
    }
    EXPECT_TRUE(zoom.step < 0 || view.step() == zoom.step);
    EXPECT_GE(view.step(), step < 24 ? step : 24);
    if (zoom.step < 0) {
        const DevicePoint node = to_device(view.transform(fit), mesh.nodes[0].x, mesh.nodes[0].y);
        view.pan_by(frame.right / 2 - node.x, frame.bottom / 2 - node.y);
    }
    view.pan_by(zoom.pan.x, zoom.pan.y);
    return view.transform(fit);
}

struct IdentityCase {
    const char* name;
    MeshShape shape;
    int width;
    int height;
    Font font;
    bool composed; // whether the numbers are composed from the digit atlas
    Zoom zoom{};
    bool in_view = true; // whether any of the mesh is in view
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
        {"dense, zoomed about a corner",
         {300, 170, 0, 0, 1, 0.45},
         640,
         480,
         Font::window,
         true,
         {9, {560, 150}, {0, 0}}},
        {"around the origin, zoomed and moved",
         {40, 30, -20, -15, 0, 0.3},
         640,
         480,
         Font::window,
         true,
         {17, {320, 240}, {-35, 81}}},
        {"NaN, infinities and missing nodes, zoomed",
         {12, 7, -3, -2, 1, 0.3, true},
         500,
         300,
         Font::window,
         true,
         {13, {130, 170}, {5, -3}}},
        {"at the deepest step",
         {12, 7, -3, -2, 1, 0.3, true},
         500,
         300,
         Font::window,
         true,
         {-1, {251, 149}, {0, 0}}},
        {"moved far off the mesh",
         {30, 20, 0, 0, 0, 0.2},
         400,
         300,
         Font::window,
         true,
         {6, {200, 150}, {1 << 26, -(1 << 26)}},
         false},
        {"zoomed into one pixel", {30, 20, 0, 0, 1}, 1, 1, Font::window, true, {5, {0, 0}}},
        {"antialiased, zoomed",
         {120, 60, 0, 0, 1, 0.3},
         640,
         480,
         Font::antialiased,
         true,
         {12, {50, 400}, {0, 0}}},
        {"italic, zoomed",
         {60, 30, 0, 0, 1, 0.2},
         400,
         300,
         Font::italic,
         false,
         {8, {300, 150}, {-11, 0}}},
    };
    for (const IdentityCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshModel mesh = grid_mesh(c.shape);
        const UniqueFont font = make_font(c.font);
        const DeviceRect frame{0, 0, c.width, c.height};
        const ViewTransform view = zoomed_view(mesh, frame, c.zoom);
        // Zoomed in, the painter looks only at what the index finds in view, a row at a time,
        // and on two threads however few the numbers are.
        const MeshIndex index(mesh);
        const MeshIndex* zoomed = c.zoom.step != 0 ? &index : nullptr;
        const std::size_t threaded_least = c.zoom.step != 0 ? 0 : threaded_paint_least;

        const FontedPicture plain(c.width, c.height, font.get());
        PlainCanvas everything(plain.picture.dc());
        paint_mesh(mesh, everything, view);
        const FontedPicture skipped(c.width, c.height, font.get());
        GdiCanvas gdi(skipped.picture.dc());
        paint_mesh(mesh, gdi, view, zoomed, threaded_least);
        const FontedPicture composed(c.width, c.height, font.get());
        DrawingProbes digits;
        PictureCanvas picture_canvas(composed.picture.dc(), composed.picture.pixels(), digits,
                                     frame);
        paint_mesh(mesh, picture_canvas, view, zoomed, threaded_least);

        EXPECT_EQ(everything.texts > 0, c.shape.numbered);
        if (c.zoom.step != 0) {
            EXPECT_GT(std::abs(view.scale), std::abs(compute_view_fit(mesh, frame).scale))
                << "not zoomed in";
        }
        EXPECT_EQ(picture_canvas.digit_atlas() != nullptr, c.composed);
        EXPECT_TRUE(skipped.picture.same_pixels(plain.picture));
        EXPECT_TRUE(composed.picture.same_pixels(plain.picture));
        const bool large = c.width * c.height > 10000 && c.in_view;
        if (large && c.shape.numbered && c.zoom.step >= 0) {
            EXPECT_GT(plain.picture.count(rgb_red, RECT{0, 0, c.width, c.height}), 0);
        }
        if (large &&
            (c.shape.columns * c.shape.rows < 100 || !c.shape.numbered || c.zoom.step < 0)) {
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

// Zoomed and moved by the wheel, drags and keys, the window shows the plain drawing of its
// view every time; moved by whole pixels, the picture moves and only what comes into view is
// drawn, and this is what proves the two the same.
TEST_F(MainWindowPicture, ZoomedAndMovedViewsMatchThePlainDrawing) {
    set_client_size(640, 480);
    show(grid_mesh({150, 90, -30, -20, 1, 0.4, true}));
    const struct {
        const char* name;
        std::function<void()> act;
    } actions[] = {
        {"the wheel, one notch in",
         [] {
             turn_wheel(120, {500, 100});
         }},
        {"three notches at once",
         [] {
             turn_wheel(360, {200, 333});
         }},
        {"a drag",
         [] {
             drag({300, 200}, {{310, 180}, {263, 251}});
         }},
        {"the right arrow", [] { press_key(VK_RIGHT); }},
        {"the up arrow", [] { press_key(VK_UP); }},
        {"a drag of one pixel",
         [] {
             drag({10, 10}, {{11, 10}});
         }},
        {"a drag beyond the window",
         [] {
             drag({600, 400}, {{-200, 900}});
         }},
        {"plus", [] { press_key(VK_OEM_PLUS); }},
        {"a drag up and left",
         [] {
             drag({400, 300}, {{20, 15}});
         }},
        {"the keypad's minus", [] { press_key(VK_SUBTRACT); }},
        {"many notches in",
         [] {
             turn_wheel(20 * 120, {321, 240});
         }},
        {"the left and down arrows",
         [] {
             press_key(VK_LEFT);
             press_key(VK_DOWN);
         }},
    };
    int with_numbers = 0;
    for (const auto& action : actions) {
        SCOPED_TRACE(action.name);
        action.act();
        UpdateWindow(main_window);
        const auto shown = capture_client_area(main_window);
        EXPECT_TRUE(shown->same_pixels(*plainly_painted()));
        with_numbers += shown->count(rgb_red, RECT{0, 0, 640, 460}) > 0 ? 1 : 0;
    }
    EXPECT_GE(with_numbers, 8) << "most views show some of the mesh";
}

TEST_F(MainWindowPicture, BackAtTheFitTheWindowShowsTheFittedPicture) {
    set_client_size(640, 480);
    const MeshShape shape{80, 50, 0, 0, 0, 0.3};
    show(grid_mesh(shape));
    const auto fitted = capture_client_area(main_window);
    const struct {
        const char* name;
        std::function<void()> back;
    } ways_back[] = {
        {"the wheel out to step 0",
         [] {
             turn_wheel(-5 * 120, {17, 460});
         }},
        {"Home", [] { press_key(VK_HOME); }},
        {"a new mesh", [&] { show(grid_mesh(shape)); }},
    };
    for (const auto& way : ways_back) {
        SCOPED_TRACE(way.name);
        turn_wheel(5 * 120, {400, 120});
        drag({100, 100}, {{140, 77}});
        UpdateWindow(main_window);
        EXPECT_FALSE(capture_client_area(main_window)->same_pixels(*fitted));
        way.back();
        UpdateWindow(main_window);
        EXPECT_TRUE(capture_client_area(main_window)->same_pixels(*fitted));
    }
}

TEST_F(MainWindowPicture, ResizesWhileZoomedKeepTheCentreAndMatchThePlainDrawing) {
    set_client_size(640, 480);
    show(grid_mesh({40, 25, -5, 0, 1, 0.3, true}));
    turn_wheel(6 * 120, {300, 250});
    constexpr double x = 11.25; // a mesh point near the middle
    constexpr double y = 9.5;
    DeviceSize size{640, 480};
    DevicePoint before = to_device(main_window_view(), x, y);
    const std::vector<DeviceSize> sizes{{800, 600}, {123, 457}, {41, 21}, {7, 3}, {641, 81}};
    for (const DeviceSize next : sizes) {
        SCOPED_TRACE(testing::Message() << next.width << " x " << next.height);
        set_client_size(next.width, next.height);
        RECT client{};
        GetClientRect(main_window, &client);
        const DeviceSize now{client.right, client.bottom};
        const DevicePoint after = to_device(main_window_view(), x, y);
        EXPECT_EQ(after.x - before.x, now.width / 2 - size.width / 2);
        EXPECT_EQ(after.y - before.y, now.height / 2 - size.height / 2);
        EXPECT_TRUE(capture_client_area(main_window)->same_pixels(*plainly_painted()));
        size = now;
        before = after;
    }
}

} // namespace
