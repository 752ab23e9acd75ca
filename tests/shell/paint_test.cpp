// Painting: the GDI canvas, the mesh drawn through it, and the main window's paint, whole and in
// part.
#include "gdi_canvas.h"
#include "mesh_model.h"
#include "mesh_painter.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "status_bar.h"
#include "view_fit.h"

#include <string>
#include <vector>

namespace {

struct RedArea {
    DevicePoint centre;
    int half_width;
};

// The red pixels all lie in the areas around the given text centres, and each area has some.
void expect_red_only_at(const Picture& picture, const std::vector<RedArea>& areas,
                        int text_height) {
    int inside = 0;
    for (const RedArea& area : areas) {
        const RECT cell{area.centre.x - area.half_width, area.centre.y - text_height,
                        area.centre.x + area.half_width + 1, area.centre.y + text_height + 1};
        const int found = picture.count(rgb_red, cell);
        EXPECT_GT(found, 0) << "no number near " << area.centre.x << ", " << area.centre.y;
        inside += found;
    }
    EXPECT_EQ(picture.count(rgb_red, RECT{0, 0, picture.width(), picture.height()}), inside);
}

TEST(GdiCanvas, ReadsAndSetsTheDeviceContextsTextState) {
    const Picture picture(64, 32);
    GdiCanvas canvas(picture.dc());
    TEXTMETRICA metrics{};
    GetTextMetricsA(picture.dc(), &metrics);
    EXPECT_EQ(canvas.text_height(), metrics.tmHeight);
    EXPECT_GT(canvas.text_height(), 0);

    const std::vector<UINT> alignments{6, 0, TA_RIGHT | TA_BOTTOM};
    for (const UINT align : alignments) {
        canvas.set_text_align(align);
        EXPECT_EQ(GetTextAlign(picture.dc()), align);
    }
    const std::vector<COLORREF> colours{255, RGB(0, 128, 0), 0};
    for (const COLORREF colour : colours) {
        canvas.set_text_color(colour);
        EXPECT_EQ(GetTextColor(picture.dc()), colour);
    }
}

TEST(GdiCanvas, DrawsLinesWithTheDefaultPenFromTheCurrentPosition) {
    const Picture picture(40, 40);
    GdiCanvas canvas(picture.dc());
    canvas.move_to({5, 10});
    canvas.line_to({25, 10});
    canvas.line_to({25, 30});
    for (int x = 5; x < 25; ++x) {
        EXPECT_EQ(picture.pixel(x, 10), rgb_black) << "x " << x;
    }
    for (int y = 10; y < 30; ++y) {
        EXPECT_EQ(picture.pixel(25, y), rgb_black) << "y " << y;
    }
    EXPECT_EQ(picture.pixel(25, 30), rgb_white) << "LineTo leaves out the end point";
    EXPECT_EQ(picture.pixel(4, 10), rgb_white);
    EXPECT_EQ(picture.count(rgb_black, RECT{0, 0, 40, 40}), 40);
}

TEST(GdiCanvas, WritesTextOfTheGivenLengthAtTheReferencePoint) {
    const Picture single(60, 40);
    GdiCanvas single_canvas(single.dc());
    single_canvas.set_text_align(6);
    single_canvas.set_text_color(255);
    single_canvas.text_out({30, 10}, std::string_view("888", 1));

    const Picture expected(60, 40);
    SetTextAlign(expected.dc(), TA_CENTER | TA_TOP);
    SetTextColor(expected.dc(), RGB(255, 0, 0));
    TextOutA(expected.dc(), 30, 10, "8", 1);

    EXPECT_GT(single.count(rgb_red, RECT{0, 0, 60, 40}), 0);
    EXPECT_TRUE(single.same_pixels(expected));
    EXPECT_EQ(single.count(rgb_red, RECT{0, 0, 60, 10}), 0) << "the text hangs below its point";
}

// The triangles test mesh in a 440 by 220 rectangle: scale 36, the origin at (18, 191).
class PaintedRectangle : public testing::Test {
protected:
    void SetUp() override { load_test_rectangle(); }
    void TearDown() override { current_mesh() = MeshModel{}; }
};

TEST_F(PaintedRectangle, SidesAreBlackLinesWhereTheFitPutsThemAndTheMinusOneSideIsLeftOut) {
    const Picture picture(440, 220);
    GdiCanvas canvas(picture.dc());
    paint_mesh(canvas, DeviceRect{0, 0, 440, 220});

    const std::vector<DevicePoint> on_sides{{198, 191}, {378, 101}, {198, 11}, {18, 101},
                                            {20, 191},  {376, 191}, {378, 13}, {18, 13}};
    for (const DevicePoint point : on_sides) {
        EXPECT_EQ(picture.pixel(point.x, point.y), rgb_black) << point.x << ", " << point.y;
    }
    const std::vector<DevicePoint> off_sides{{198, 101}, {108, 146}, {288, 56},
                                             {10, 191},  {390, 11},  {18, 200}};
    for (const DevicePoint point : off_sides) {
        EXPECT_FALSE(picture.has_near(rgb_black, point.x, point.y, 1))
            << point.x << ", " << point.y;
    }
}

TEST_F(PaintedRectangle, ElementNumbersAreRedAtTheCentres) {
    const Picture picture(440, 220);
    GdiCanvas canvas(picture.dc());
    paint_mesh(canvas, DeviceRect{0, 0, 440, 220});
    // Centres 0.333 of the corner sums: (6.66, 1.665) and (3.33, 3.33).
    expect_red_only_at(picture, {{{257, 131}, 8}, {{137, 71}, 8}}, canvas.text_height());
}

TEST_F(PaintedRectangle, TheRectanglesCornerDoesNotMoveThePicture) {
    const Picture at_origin(480, 260);
    GdiCanvas origin_canvas(at_origin.dc());
    paint_mesh(origin_canvas, DeviceRect{0, 0, 440, 220});
    const Picture shifted(480, 260);
    GdiCanvas shifted_canvas(shifted.dc());
    paint_mesh(shifted_canvas, DeviceRect{40, 40, 480, 260});
    EXPECT_TRUE(at_origin.same_pixels(shifted));
}

class MainWindowPaint : public ShellTest {
protected:
    // The part of the client area above the status bar.
    RECT mesh_area() const {
        RECT client{};
        GetClientRect(main_window, &client);
        RECT bar{};
        GetWindowRect(status_bar, &bar);
        MapWindowPoints(nullptr, main_window, reinterpret_cast<POINT*>(&bar), 2);
        client.bottom = bar.top;
        return client;
    }

    std::unique_ptr<Picture> repaint(const RECT* part) {
        InvalidateRect(main_window, part, TRUE);
        UpdateWindow(main_window);
        return capture_client_area(main_window);
    }

    // Where the fit of the whole client area puts mesh point (x, y).
    DevicePoint expected_point(double x, double y) const {
        RECT client{};
        GetClientRect(main_window, &client);
        return to_device(compute_view_fit(current_mesh(), to_device_rect(client)), x, y);
    }

    int window_font_height() const {
        const WindowDc dc(main_window);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.get(), &metrics);
        return metrics.tmHeight;
    }

    void expect_rectangle_drawn(const Picture& picture) {
        const std::vector<std::pair<double, double>> side_points{
            {5.0, 0.0}, {10.0, 2.5}, {5.0, 5.0}, {0.0, 2.5}, {2.0, 0.0}, {10.0, 4.0}};
        for (const auto& [x, y] : side_points) {
            const DevicePoint point = expected_point(x, y);
            EXPECT_TRUE(picture.has_near(rgb_black, point.x, point.y, 1))
                << "side point " << x << ", " << y << " at " << point.x << ", " << point.y;
        }
        const DevicePoint gap = expected_point(5.0, 2.5);
        EXPECT_FALSE(picture.has_near(rgb_black, gap.x, gap.y, 2)) << "the -1 side is drawn";
        expect_red_only_at(picture,
                           {{expected_point(6.66, 1.665), 8}, {expected_point(3.33, 3.33), 8}},
                           window_font_height());
    }
};

TEST_F(MainWindowPaint, NothingIsDrawnBeforeAMeshIsLoaded) {
    set_client_size(500, 300);
    const auto picture = repaint(nullptr);
    EXPECT_EQ(picture->count(rgb_black, mesh_area()), 0);
    EXPECT_EQ(picture->count(rgb_red, mesh_area()), 0);
    EXPECT_EQ(picture->pixel(250, 150), rgb_white);
}

TEST_F(MainWindowPaint, EveryResizeFitsTheMeshToTheNewClientArea) {
    load_test_rectangle();
    const std::vector<std::pair<int, int>> sizes{{640, 480}, {900, 400}, {420, 600}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        set_client_size(width, height);
        UpdateWindow(main_window);
        const auto picture = capture_client_area(main_window);
        expect_rectangle_drawn(*picture);
    }
}

TEST_F(MainWindowPaint, PartialRepaintDrawsItsPartOfTheSamePicture) {
    load_test_rectangle();
    set_client_size(640, 480);
    const auto whole = repaint(nullptr);
    expect_rectangle_drawn(*whole);

    const std::vector<RECT> parts{{320, 0, 640, 240},
                                  {0, 0, 320, 480},
                                  {100, 200, 500, 260},
                                  {200, 50, 300, 150},
                                  {0, 0, 640, 480}};
    for (const RECT& part : parts) {
        SCOPED_TRACE(std::to_string(part.left) + ", " + std::to_string(part.top) + " - " +
                     std::to_string(part.right) + ", " + std::to_string(part.bottom));
        const auto again = repaint(&part);
        EXPECT_TRUE(again->same_pixels(*whole));
    }
}

} // namespace
