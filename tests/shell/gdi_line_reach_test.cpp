// How outside GDI draws a line exactly. Within the reach the view keeps every point of the mesh in,
// a line drawn with LineTo or in a PolyPolyline sets the pixels of the ideal line between its
// ends, however outside outside the picture they lie, and a line whose box misses the picture sets
// none; the painter's faster ways rely on both. Beyond that reach the probe tells, for the
// record, from what length on lines go wrong.
#include "device_geometry.h"
#include "shell_test_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The ideal line from `from` to `to`, end left out, inside a picture of `side` x `side`: for the
// step i along the longer axis, the shorter axis moves floor((2 d i + D + bias - 1) / (2 D))
// (D and d the lengths along them), where a tie rounds toward increasing coordinates except
// along a decreasing y on a mostly horizontal line, or a decreasing x on a mostly vertical one.
std::vector<bool> ideal_line(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                             int side) {
    std::vector<bool> pixels(static_cast<std::size_t>(side * side));
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const bool across = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major = across ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minor = across ? std::llabs(dy) : std::llabs(dx);
    const std::int64_t major_step = (across ? dx : dy) > 0 ? 1 : -1;
    const std::int64_t minor_step = (across ? dy : dx) > 0 ? 1 : -1;
    const std::int64_t bias = across ? (dy < 0 ? 1 : 0) : (dx < 0 ? 1 : 0);
    const std::int64_t major_start = across ? x0 : y0;
    const std::int64_t minor_start = across ? y0 : x0;
    // Only the steps whose major coordinate falls in the picture.
    const std::int64_t first =
        major_step > 0 ? std::max<std::int64_t>(0, -major_start) : major_start - (side - 1);
    const std::int64_t last = major_step > 0 ? std::min<std::int64_t>(major, side - major_start)
                                             : std::min<std::int64_t>(major, major_start + 1);
    for (std::int64_t i = std::max<std::int64_t>(first, 0); i < last; ++i) {
        const auto offset = static_cast<std::int64_t>(
            (static_cast<__int128>(2 * minor) * i + major + bias - 1) / (2 * major));
        const std::int64_t a = major_start + major_step * i;
        const std::int64_t b = minor_start + minor_step * offset;
        const std::int64_t x = across ? a : b;
        const std::int64_t y = across ? b : a;
        if (x >= 0 && x < side && y >= 0 && y < side) {
            pixels[static_cast<std::size_t>(y * side + x)] = true;
        }
    }
    return pixels;
}

// The black pixels of a picture after drawing one line on white, with LineTo or in a
// PolyPolyline.
std::vector<bool> drawn_line(const Picture& picture, std::int64_t x0, std::int64_t y0,
                             std::int64_t x1, std::int64_t y1, bool polyline) {
    const RECT whole{0, 0, picture.width(), picture.height()};
    FillRect(picture.dc(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (polyline) {
        const POINT points[2]{{static_cast<LONG>(x0), static_cast<LONG>(y0)},
                              {static_cast<LONG>(x1), static_cast<LONG>(y1)}};
        const DWORD counts[1]{2};
        PolyPolyline(picture.dc(), points, counts, 1);
    } else {
        MoveToEx(picture.dc(), static_cast<int>(x0), static_cast<int>(y0), nullptr);
        LineTo(picture.dc(), static_cast<int>(x1), static_cast<int>(y1));
    }
    GdiFlush();
    std::vector<bool> pixels;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            pixels.push_back(picture.pixel(x, y) == rgb_black);
        }
    }
    return pixels;
}

struct Random {
    std::uint64_t state;
    std::int64_t between(std::int64_t lo, std::int64_t hi) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return lo + static_cast<std::int64_t>(state % static_cast<std::uint64_t>(hi - lo + 1));
    }
};

constexpr int side = 64;

// Random lines through the picture whose ends lie up to `reach` from it; how many of them LineTo
// or a PolyPolyline draws otherwise than the ideal line.
int wrong_lines(const Picture& picture, Random& random, std::int64_t reach, int lines) {
    int wrong = 0;
    for (int k = 0; k < lines; ++k) {
        // Through a point of the picture, from one end as outside out as the reach allows.
        const std::int64_t px = random.between(0, side - 1);
        const std::int64_t py = random.between(0, side - 1);
        const std::int64_t x0 = random.between(-reach, reach - 1);
        const std::int64_t y0 = random.between(-reach, reach - 1);
        const std::int64_t x1 = std::clamp(2 * px - x0, -reach, reach - 1);
        const std::int64_t y1 = std::clamp(2 * py - y0, -reach, reach - 1);
        const std::vector<bool> ideal = ideal_line(x0, y0, x1, y1, side);
        for (const bool polyline : {false, true}) {
            wrong += drawn_line(picture, x0, y0, x1, y1, polyline) != ideal ? 1 : 0;
        }
    }
    return wrong;
}

TEST(GdiLines, AShortLineIsTheIdealLine) {
    const Picture picture(side, side);
    for (int dx = -20; dx <= 20; ++dx) {
        for (int dy = -20; dy <= 20; ++dy) {
            SCOPED_TRACE(testing::Message() << dx << ", " << dy);
            ASSERT_EQ(drawn_line(picture, 30, 31, 30 + dx, 31 + dy, false),
                      ideal_line(30, 31, 30 + dx, 31 + dy, side));
        }
    }
}

TEST(GdiLines, LongLinesAreExactWithinTheReachTheViewKeeps) {
    const Picture picture(side, side);
    Random random{88172645463325252ULL};
    for (const std::int64_t reach :
         {std::int64_t{1} << 12, std::int64_t{1} << 20, std::int64_t{exact_line_reach}}) {
        SCOPED_TRACE(reach);
        EXPECT_EQ(wrong_lines(picture, random, reach, 150), 0);
    }
    // A line whose box misses the picture draws nothing, wherever its ends are.
    constexpr std::int64_t outside = std::int64_t{1} << 31;
    for (int k = 0; k < 300; ++k) {
        std::int64_t x0 = random.between(-outside, outside - 1);
        std::int64_t x1 = random.between(-outside, outside - 1);
        std::int64_t y0 = random.between(-outside, outside - 1);
        std::int64_t y1 = random.between(-outside, outside - 1);
        // Both ends on one side of the picture.
        switch (k % 4) {
        case 0:
            x0 = -std::llabs(x0) - 1, x1 = -std::llabs(x1) - 1;
            break;
        case 1:
            x0 = side + std::llabs(x0) % outside, x1 = side + std::llabs(x1) % outside;
            break;
        case 2:
            y0 = -std::llabs(y0) - 1, y1 = -std::llabs(y1) - 1;
            break;
        default:
            y0 = side + std::llabs(y0) % outside, y1 = side + std::llabs(y1) % outside;
            break;
        }
        x0 = std::clamp(x0, -outside, outside - 1);
        x1 = std::clamp(x1, -outside, outside - 1);
        y0 = std::clamp(y0, -outside, outside - 1);
        y1 = std::clamp(y1, -outside, outside - 1);
        for (const bool polyline : {false, true}) {
            const std::vector<bool> drawn = drawn_line(picture, x0, y0, x1, y1, polyline);
            ASSERT_EQ(std::count(drawn.begin(), drawn.end(), true), 0)
                << x0 << ", " << y0 << " to " << x1 << ", " << y1;
        }
    }
    // Further out, for the record: the first reach, in powers of two, at which lines go wrong.
    int first_wrong = 0;
    for (int power = 28; power <= 31 && first_wrong == 0; ++power) {
        if (wrong_lines(picture, random, std::int64_t{1} << power, 100) > 0) {
            first_wrong = power;
        }
    }
    std::printf(
        "GDI draws lines exactly with ends within 2^27 of the picture; lines first go wrong "
        "with ends within 2^%d\n",
        first_wrong);
    RecordProperty("first_inexact_reach_power", first_wrong);
}

} // namespace
