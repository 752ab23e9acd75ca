// Numbers composed from a digit atlas straight into a picture, the last first and every pixel
// written once, against drawing every number's whole cell over the ones before it; and the
// single pixel a one-step line sets.
#include "digit_atlas.h"
#include "mesh_painter.h"
#include "pixel_picture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Digits of the given widths whose every pixel tells its digit, row and column apart.
DigitAtlas numbered_atlas(const std::array<std::int32_t, 10>& widths, std::int32_t height,
                          bool odd_width_rounds_up) {
    DigitAtlas atlas;
    atlas.height = height;
    atlas.widths = widths;
    atlas.odd_width_rounds_up = odd_width_rounds_up;
    for (std::size_t digit = 0; digit < 10; ++digit) {
        for (std::int32_t row = 0; row < height; ++row) {
            for (std::int32_t column = 0; column < widths[digit]; ++column) {
                atlas.cells[digit].push_back(0x01000000u * static_cast<std::uint32_t>(digit + 1) +
                                             0x1000u * static_cast<std::uint32_t>(row) +
                                             static_cast<std::uint32_t>(column));
            }
        }
    }
    return atlas;
}

// A picture covering `area`, every pixel `background` at first.
struct TestPicture {
    TestPicture(DeviceRect area, std::uint32_t background)
        : area(area),
          pixels(static_cast<std::size_t>((area.right - area.left) * (area.bottom - area.top)),
                 background) {}
    PixelPicture view() { return {pixels.data(), area.right - area.left, area}; }

    DeviceRect area;
    std::vector<std::uint32_t> pixels;
};

// Each number's whole cell drawn over the ones before it, as TextOutA would draw it.
void draw_in_order(TestPicture& picture, const DigitAtlas& atlas,
                   const std::vector<std::pair<DevicePoint, std::string>>& numbers) {
    const PixelPicture view = picture.view();
    for (const auto& [point, text] : numbers) {
        std::int64_t x = centred_left(point.x, atlas.text_width(text), atlas.odd_width_rounds_up);
        for (const char c : text) {
            const auto digit = static_cast<std::size_t>(c - '0');
            for (std::int64_t row = 0; row < atlas.height; ++row) {
                for (std::int64_t column = 0; column < atlas.widths[digit]; ++column) {
                    if (view.contains(x + column, point.y + row)) {
                        view.at(x + column, point.y + row) =
                            atlas.cells[digit][static_cast<std::size_t>(row * atlas.widths[digit] +
                                                                        column)];
                    }
                }
            }
            x += atlas.widths[digit];
        }
    }
}

TEST(ComposeNumber, TheLastNumberFirstGivesThePictureOfDrawingInOrder) {
    const std::vector<std::pair<DevicePoint, std::string>> numbers{
        {{10, 5}, "0"},
        {{14, 7}, "123"},
        {{-3, -4}, "4567"},
        {{60, 20}, "89"},
        {{66, 22}, "98"},
        {{200, 3}, "7"},
        {{40, 28}, "1000000"},
        {{41, 27}, "999999"},
        {{130, -9}, "31415"},
        {{12, 6}, "2"},
        {{75, 30}, "0123456789012345678901234567890123456789"}};
    const struct {
        const char* name;
        std::array<std::int32_t, 10> widths;
        std::int32_t height;
        bool rounds_up;
        DeviceRect area;
    } cases[] = {
        {"even digits", {8, 8, 8, 8, 8, 8, 8, 8, 8, 8}, 16, false, {0, 0, 150, 40}},
        {"odd digits rounding down", {7, 5, 7, 7, 9, 7, 7, 6, 7, 7}, 13, false, {-5, -6, 140, 37}},
        {"odd digits rounding up", {7, 5, 7, 7, 9, 7, 7, 6, 7, 7}, 13, true, {-5, -6, 140, 37}},
        {"across words of the mask",
         {31, 33, 1, 2, 64, 65, 3, 0, 9, 10},
         4,
         true,
         {-70, 0, 300, 33}},
        {"a picture of one pixel", {8, 8, 8, 8, 8, 8, 8, 8, 8, 8}, 16, false, {14, 7, 15, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DigitAtlas atlas = numbered_atlas(c.widths, c.height, c.rounds_up);
        ASSERT_TRUE(atlas.complete());
        TestPicture expected(c.area, 0xABCDEF);
        draw_in_order(expected, atlas, numbers);
        TestPicture composed(c.area, 0xABCDEF);
        CoverageMask written(c.area);
        for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
            compose_number(composed.view(), written, atlas, number->first, number->second);
        }
        EXPECT_EQ(composed.pixels, expected.pixels);
        EXPECT_NE(expected.pixels, TestPicture(c.area, 0xABCDEF).pixels) << "nothing drawn";
    }
}

TEST(SetOneStepLines, SetsTheStartPixelOfLinesOfOneStepAndKeepsTheOthersInOrder) {
    TestPicture picture({-2, -2, 8, 8}, 7);
    std::vector<LineSegment> segments{{{0, 0}, {1, 1}},   {{3, 3}, {3, 5}},   {{4, 4}, {3, 3}},
                                      {{5, 5}, {5, 5}},   {{-2, 7}, {-1, 6}}, {{9, 9}, {8, 8}},
                                      {{6, 1}, {6, 0}},   {{1, 6}, {4, 2}},   {{2, 2}, {2, 1}},
                                      {{-3, 0}, {-2, 0}}, {{7, -2}, {8, -2}}, {{0, 5}, {-1, 4}}};
    const std::size_t kept = set_one_step_lines(picture.view(), 0, segments);
    ASSERT_EQ(kept, 3u);
    EXPECT_EQ(segments[0].from, (DevicePoint{3, 3}));
    EXPECT_EQ(segments[1].from, (DevicePoint{5, 5})) << "a line of no length is GDI's to draw";
    EXPECT_EQ(segments[2].from, (DevicePoint{1, 6}));
    const PixelPicture view = picture.view();
    const std::vector<DevicePoint> set{{0, 0}, {4, 4}, {-2, 7}, {6, 1}, {2, 2}, {7, -2}, {0, 5}};
    int zeros = 0;
    for (std::int32_t y = -2; y < 8; ++y) {
        for (std::int32_t x = -2; x < 8; ++x) {
            zeros += view.at(x, y) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(zeros, static_cast<int>(set.size()));
    for (const DevicePoint point : set) {
        EXPECT_EQ(view.at(point.x, point.y), 0u) << point.x << ", " << point.y;
    }
}

} // namespace
