#include "view_fit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

MeshModel with_extents(double x_min, double x_max, double y_min, double y_max) {
    MeshModel mesh;
    mesh.x_min = x_min;
    mesh.x_max = x_max;
    mesh.y_min = y_min;
    mesh.y_max = y_max;
    return mesh;
}

TEST(ViewFit, WorkedExampleOfTenByFiveIn440By220) {
    const ViewFit fit = compute_view_fit(with_extents(0, 10, 0, 5), {0, 0, 440, 220});
    EXPECT_EQ(fit.usable_width, 400);
    EXPECT_EQ(fit.usable_height, 200);
    EXPECT_EQ(fit.scale, 36.0);
    EXPECT_EQ(fit.offset_x, 18.0);
    EXPECT_EQ(fit.offset_y, 191.0);
    EXPECT_EQ(to_device(fit, 10, 5), (DevicePoint{378, 11}));
    EXPECT_EQ(to_device(fit, 0, 0), (DevicePoint{18, 191}));
}

TEST(ViewFit, TheRectanglesCornerDoesNotMoveThePicture) {
    const ViewFit at_origin = compute_view_fit(with_extents(0, 10, 0, 5), {0, 0, 440, 220});
    const ViewFit moved = compute_view_fit(with_extents(0, 10, 0, 5), {100, 50, 540, 270});
    EXPECT_EQ(moved.scale, at_origin.scale);
    EXPECT_EQ(moved.offset_x, at_origin.offset_x);
    EXPECT_EQ(moved.offset_y, at_origin.offset_y);
}

TEST(ViewFit, TheSmallerRatioWins) {
    // Tall mesh: ratio_y = 0.9 * 200 / 20 = 9 < ratio_x = 0.9 * 400 / 10 = 36.
    const ViewFit tall = compute_view_fit(with_extents(0, 10, 0, 20), {0, 0, 440, 220});
    EXPECT_DOUBLE_EQ(tall.scale, 9.0);
    // Wide mesh: ratio_x = 0.9 * 400 / 100 = 3.6 < ratio_y = 36.
    const ViewFit wide = compute_view_fit(with_extents(0, 100, 0, 5), {0, 0, 440, 220});
    EXPECT_DOUBLE_EQ(wide.scale, 3.6);
}

TEST(ViewFit, SpansEnterTheMarginsAsWholeNumbers) {
    // x extent 2.9 enters the margin as 2, y extent 0.5 as 0.
    const ViewFit fit = compute_view_fit(with_extents(0, 2.9, 0, 0.5), {0, 0, 440, 220});
    const long double margin = 0.05;
    EXPECT_EQ(fit.offset_x,
              static_cast<double>(margin * (static_cast<long double>(fit.scale) * 2)));
    EXPECT_EQ(fit.offset_y, 200.0);
}

TEST(ViewFit, NoMeshPutsTheOriginOnTheUsableAreasLowerLeft) {
    const ViewFit fit = compute_view_fit(MeshModel{}, {0, 0, 640, 480});
    EXPECT_EQ(fit.offset_x, 0.0);
    EXPECT_EQ(fit.offset_y, 460.0);
    EXPECT_DOUBLE_EQ(fit.scale, 0.9 * 460 * 1e30);
    const ViewFit sub_unit = compute_view_fit(with_extents(0, 0.25, 0, 0.75), {0, 0, 640, 480});
    EXPECT_EQ(sub_unit.offset_x, 0.0);
    EXPECT_EQ(sub_unit.offset_y, 460.0);
}

TEST(ViewFit, SmallRectanglesGiveNegativeSizesUnclamped) {
    const ViewFit fit = compute_view_fit(with_extents(0, 10, 0, 5), {0, 0, 30, 10});
    EXPECT_EQ(fit.usable_width, -10);
    EXPECT_EQ(fit.usable_height, -10);
    EXPECT_LT(fit.scale, 0.0);
    EXPECT_DOUBLE_EQ(fit.scale, 0.9 * -10 / 5); // ratio_y is the smaller one
}

TEST(ViewFit, AMeshAroundTheOriginFitsInsideTheUsableArea) {
    const ViewFit fit = compute_view_fit(with_extents(-10, 10, -5, 5), {0, 0, 440, 220});
    for (double x : {-10.0, -3.0, 0.0, 10.0}) {
        for (double y : {-5.0, 0.0, 2.5, 5.0}) {
            const DevicePoint p = to_device(fit, x, y);
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x, fit.usable_width);
            EXPECT_GE(p.y, 0);
            EXPECT_LE(p.y, fit.usable_height);
        }
    }
    // The lower-left corner of the extents sits at the margin point.
    EXPECT_EQ(to_device(fit, -10, -5), (DevicePoint{18, 191}));
}

TEST(TruncateToInt32, TruncatesTowardZeroAndSaturates) {
    constexpr long double inf = std::numeric_limits<long double>::infinity();
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    constexpr auto min = std::numeric_limits<std::int32_t>::min();
    const struct {
        long double value;
        std::int32_t expected;
    } cases[] = {{2.9L, 2},
                 {-2.9L, -2},
                 {-0.5L, 0},
                 {2147483647.9L, max},
                 {2147483648.0L, max},
                 {1e300L, max},
                 {inf, max},
                 {-2147483648.9L, min},
                 {-2147483649.0L, min},
                 {-inf, min},
                 {std::numeric_limits<long double>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<double>(c.value));
        EXPECT_EQ(truncate_to_int32(c.value), c.expected);
    }
}

TEST(ViewFit, NonFiniteExtentsAndHugeRectanglesStayDefined) {
    const double inf = std::numeric_limits<double>::infinity();
    const ViewFit fit =
        compute_view_fit(with_extents(-inf, 1e300, 0, 1), {-2147483647 - 1, 0, 2147483647, 0});
    EXPECT_EQ(fit.usable_width, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(fit.usable_height, -20);
    const DevicePoint p = to_device(fit, 1e300, std::nan(""));
    EXPECT_EQ(p.y, 0) << "a NaN coordinate maps to 0";
}

} // namespace
