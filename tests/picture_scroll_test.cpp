#include "picture_scroll.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

TEST(PictureScroll, MovesEveryPixelAndTellsWhatItUncovers) {
    // A 10 x 8 picture at (20, 30) inside rows of 13 pixels, every pixel telling its place.
    constexpr int width = 10;
    constexpr int height = 8;
    constexpr int stride = 13;
    const DeviceRect area{20, 30, 20 + width, 30 + height};
    const auto original = [](std::int64_t x, std::int64_t y) {
        return static_cast<std::uint32_t>(1000 * y + x);
    };
    const DevicePoint shifts[] = {{0, 0},  {3, 0},  {-3, 0},  {0, 2},  {0, -2},
                                  {5, -4}, {-7, 6}, {-9, -7}, {10, 1}, {0, -8}};
    for (const DevicePoint shift : shifts) {
        SCOPED_TRACE(testing::Message() << shift.x << ", " << shift.y);
        std::vector<std::uint32_t> pixels(stride * height + 1, 7);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                pixels[static_cast<std::size_t>(y * stride + x)] = original(x, y);
            }
        }
        const PixelPicture picture{pixels.data(), stride, area};
        scroll_pixels(picture, shift);
        const bool moves = std::abs(shift.x) < width && std::abs(shift.y) < height;
        const auto uncovered = uncovered_by_shift(area, shift);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int from_x = x - shift.x;
                const int from_y = y - shift.y;
                const bool moved_in =
                    moves && from_x >= 0 && from_x < width && from_y >= 0 && from_y < height;
                EXPECT_EQ(picture.at(area.left + x, area.top + y),
                          moved_in ? original(from_x, from_y) : original(x, y))
                    << x << ", " << y;
                int listed = 0;
                for (const DeviceRect& part : uncovered) {
                    listed += area.left + x >= part.left && area.left + x < part.right &&
                              area.top + y >= part.top && area.top + y < part.bottom;
                }
                EXPECT_EQ(listed, moved_in ? 0 : 1)
                    << "what no pixel moved to is uncovered, once: " << x << ", " << y;
            }
            EXPECT_EQ(pixels[static_cast<std::size_t>(y * stride + width)], 7u)
                << "beyond the row's end nothing is written";
        }
    }
}

TEST(PictureScroll, MovesOnlyPicturesThatStayExact) {
    MeshModel mesh;
    mesh.x_max = 10;
    mesh.y_max = 5;
    const ViewTransform drawn{36.0, 18.0, 191.0, 5, -3};
    constexpr auto int_max = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char* name;
        ViewTransform wanted;
        std::optional<DevicePoint> shift;
    } cases[] = {
        {"the same view", drawn, DevicePoint{0, 0}},
        {"another pan", {36.0, 18.0, 191.0, -5, 7}, DevicePoint{-10, 10}},
        {"another scale", {36.5, 18.0, 191.0, 5, -3}, std::nullopt},
        {"another offset", {36.0, 18.5, 191.0, 5, -3}, std::nullopt},
        {"a pan beyond exact reach", {36.0, 18.0, 191.0, 1 << 27, -3}, std::nullopt},
        {"a saturating pan", {36.0, 18.0, 191.0, int_max, -3}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shift = exact_shift(mesh, drawn, c.wanted);
        ASSERT_EQ(shift.has_value(), c.shift.has_value());
        if (shift) {
            EXPECT_EQ(*shift, *c.shift);
        }
    }
    // Extents that reach beyond exact reach, or are infinite, move nothing.
    mesh.x_max = 1e7;
    EXPECT_FALSE(exact_shift(mesh, drawn, drawn));
    mesh.x_max = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(exact_shift(mesh, drawn, drawn));
}

} // namespace
