#include "wheel_rotation.h"
#include "zoom_view.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

// The worked fit: extents 0..10 by 0..5 in 440 x 220 give scale 36 and the origin at (18, 191).
MeshModel ten_by_five() {
    MeshModel mesh;
    mesh.x_max = 10;
    mesh.y_max = 5;
    return mesh;
}

const ViewFit worked_fit = compute_view_fit(ten_by_five(), {0, 0, 440, 220});

// The mesh point under client point (x, y).
std::pair<double, double> mesh_point_under(const ViewTransform& view, double x, double y) {
    return {(x - view.pan_x - view.offset_x) / view.scale,
            -(y - view.pan_y - view.offset_y) / view.scale};
}

TEST(ZoomView, StepsScaleByQuarterPowersOfTwo) {
    const struct {
        int step;
        double factor;
    } cases[] = {{0, 1.0},
                 {1, 1.189207115002721},
                 {2, 1.4142135623730951},
                 {3, 1.681792830507429},
                 {4, 2.0},
                 {7, 2 * 1.681792830507429},
                 {41, 1024 * 1.189207115002721},
                 {64, 65536.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        EXPECT_EQ(zoom_factor(c.step), c.factor);
        ZoomView view;
        if (c.step > 0) {
            ASSERT_TRUE(view.zoom_to(c.step, {0, 0}, worked_fit, ten_by_five()));
        }
        EXPECT_EQ(view.transform(worked_fit).scale, 36.0 * c.factor);
    }
}

TEST(ZoomView, ZoomingKeepsTheMeshPointUnderTheCursor) {
    // Offsets by the formula: scale 36 to 72 about (100, 50) from the origin at (18, 191).
    ZoomView view;
    ASSERT_TRUE(view.zoom_to(4, {100, 50}, worked_fit, ten_by_five()));
    EXPECT_EQ(view.transform(worked_fit), (ViewTransform{72.0, -64.0, 332.0, 0, 0}));

    // Through several steps in and out, about points inside and outside the client area, with
    // a pan folded into the offsets on the way.
    const struct {
        int step;
        DevicePoint about;
        std::int32_t pan_x;
        std::int32_t pan_y;
    } path[] = {{1, {220, 110}, 0, 0},     {9, {3, 217}, 17, -5},  {8, {439, 0}, 0, 0},
                {30, {-40, 500}, -900, 3}, {64, {250, 100}, 0, 0}, {12, {1, 1}, 2, 2}};
    for (const auto& move : path) {
        SCOPED_TRACE(move.step);
        view.pan_by(move.pan_x, move.pan_y);
        const ViewTransform before = view.transform(worked_fit);
        const auto [x, y] = mesh_point_under(before, move.about.x, move.about.y);
        ASSERT_TRUE(view.zoom_to(move.step, move.about, worked_fit, ten_by_five()));
        const ViewTransform after = view.transform(worked_fit);
        EXPECT_EQ(after.pan_x, 0);
        EXPECT_EQ(after.pan_y, 0);
        EXPECT_EQ(after.scale, 36.0 * zoom_factor(move.step));
        const auto [x_after, y_after] = mesh_point_under(after, move.about.x, move.about.y);
        EXPECT_NEAR(x_after, x, 1e-9 * (1 + std::abs(x)));
        EXPECT_NEAR(y_after, y, 1e-9 * (1 + std::abs(y)));
    }
}

TEST(ZoomView, StepZeroAndResetAreTheFitWithoutPan) {
    ZoomView view;
    ASSERT_TRUE(view.zoom_to(6, {300, 40}, worked_fit, ten_by_five()));
    view.pan_by(25, -7);
    EXPECT_FALSE(view.at_fit());
    ASSERT_TRUE(view.zoom_to(0, {12, 180}, worked_fit, ten_by_five()));
    EXPECT_TRUE(view.at_fit());
    EXPECT_EQ(view.transform(worked_fit), fitted_view(worked_fit));

    view.pan_by(3, 4);
    EXPECT_EQ(view.transform(worked_fit), (ViewTransform{36.0, 18.0, 191.0, 3, 4}))
        << "a pan moves the fitted picture too";
    view.reset();
    EXPECT_EQ(view.transform(worked_fit), fitted_view(worked_fit));
}

TEST(ZoomView, RefusesStepsOutOfRangeAndWhereLinesWouldNotBeExact) {
    ZoomView view;
    EXPECT_FALSE(view.zoom_to(-1, {0, 0}, worked_fit, ten_by_five()));
    EXPECT_FALSE(view.zoom_to(0, {0, 0}, worked_fit, ten_by_five())) << "already there";
    EXPECT_FALSE(view.zoom_to(deepest_zoom_step + 1, {0, 0}, worked_fit, ten_by_five()));
    ASSERT_TRUE(view.zoom_to(deepest_zoom_step, {0, 0}, worked_fit, ten_by_five()));

    // 10 units at scale 36 are 360 pixels: 2^16 times that is within GDI's exact reach, 2^18
    // times is not. A wider fit stops zooming earlier.
    const ViewFit wide = compute_view_fit(ten_by_five(), {0, 0, 160040, 80020});
    ZoomView zoomed;
    int deepest = 0;
    while (zoomed.zoom_to(deepest + 1, {0, 0}, wide, ten_by_five())) {
        ++deepest;
    }
    EXPECT_EQ(deepest, 39) << "144000 pixels times 2^(39/4) stays below 2^27 - 2^14";
    EXPECT_LE(wide.scale * zoom_factor(deepest) * 10, exact_device_span);
    EXPECT_GT(wide.scale * zoom_factor(deepest + 1) * 10, exact_device_span);
    EXPECT_TRUE(zoomed.zoom_to(deepest - 1, {5, 5}, wide, ten_by_five())) << "out is always open";

    // A fit whose scale is 0 (infinite extents) or not finite cannot be zoomed.
    MeshModel infinite = ten_by_five();
    infinite.x_max = std::numeric_limits<double>::infinity();
    const ViewFit flat = compute_view_fit(infinite, {0, 0, 440, 220});
    EXPECT_FALSE(ZoomView{}.zoom_to(1, {0, 0}, flat, infinite));
}

TEST(ZoomView, ResizesKeepTheCentreWhenZoomedAndDropThePanAtTheFit) {
    ZoomView view;
    view.pan_by(10, 10);
    view.resize({440, 220}, {501, 301});
    EXPECT_EQ(view.transform(worked_fit), fitted_view(worked_fit));

    ASSERT_TRUE(view.zoom_to(5, {200, 100}, worked_fit, ten_by_five()));
    const ViewTransform zoomed = view.transform(worked_fit);
    // Half sizes in whole pixels: 501 / 2 - 440 / 2 = 30, 301 / 2 - 220 / 2 = 40.
    const struct {
        DeviceSize before;
        DeviceSize after;
        std::int32_t pan_x;
        std::int32_t pan_y;
    } resizes[] = {{{440, 220}, {501, 301}, 30, 40},
                   {{501, 301}, {0, 0}, -220, -110}, // minimised
                   {{0, 0}, {501, 301}, 30, 40},
                   {{501, 301}, {7, 3}, -217, -109}};
    for (const auto& resize : resizes) {
        view.resize(resize.before, resize.after);
        const ViewTransform after = view.transform(worked_fit);
        EXPECT_EQ(after.pan_x, resize.pan_x);
        EXPECT_EQ(after.pan_y, resize.pan_y);
        EXPECT_EQ(after.scale, zoomed.scale) << "a resize keeps the zoomed scale";
        EXPECT_EQ(after.offset_x, zoomed.offset_x);
    }
    // The base stays the scale the view left the fit with, whatever the fit is now.
    const ViewFit other = compute_view_fit(ten_by_five(), {0, 0, 7, 3});
    ASSERT_TRUE(view.zoom_to(9, {3, 1}, other, ten_by_five()));
    EXPECT_EQ(view.transform(other).scale, 36.0 * zoom_factor(9));
}

TEST(ZoomView, PansSaturateAtTheThirtyTwoBitRange) {
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    ZoomView view;
    view.pan_by(max, min);
    view.pan_by(max, -1);
    EXPECT_EQ(view.transform(worked_fit).pan_x, max);
    EXPECT_EQ(view.transform(worked_fit).pan_y, min);
    EXPECT_EQ(to_device(view.transform(worked_fit), 10, 10), (DevicePoint{max, min}));
    EXPECT_EQ(to_device(view.transform(worked_fit), 0, 0), (DevicePoint{max, min + 191}));
}

TEST(WheelRotation, WholeNotchesOfAnyRotations) {
    const struct {
        const char* name;
        std::vector<int> deltas;
        std::vector<int> notches;
    } cases[] = {
        {"notches", {120, -120, 240, -360}, {1, -1, 2, -3}},
        {"a touchpad's fractions add up", {40, 40, 30, 10, 119}, {0, 0, 0, 1, 0}},
        {"what is left stays", {250, -20, -110}, {2, 0, -1}},
        {"back and forth", {60, -60, 60, 59}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WheelRotation wheel;
        std::vector<int> notches;
        for (const int delta : c.deltas) {
            notches.push_back(wheel.add(delta));
        }
        EXPECT_EQ(notches, c.notches);
    }
    WheelRotation wheel;
    wheel.add(100);
    wheel.clear();
    EXPECT_EQ(wheel.add(100), 0) << "a cleared rotation starts afresh";
}

} // namespace
