// High DPI: the awareness the program declares, WM_DPICHANGED, and the picture at the screen's
// DPI. These tests run in the shared prefix at 96 DPI and again, with VELMORA_WINE_DPI=144, in a
// prefix of their own whose screen has 144 DPI.
#include "gdi_canvas.h"
#include "mesh_model.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "status_bar.h"
#include "view_fit.h"

#include <array>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// The DPI the prefix's screen must have: VELMORA_WINE_DPI, or 96 in the shared prefix.
int expected_screen_dpi() {
    std::array<char, 16> value{};
    const DWORD length =
        GetEnvironmentVariableA("VELMORA_WINE_DPI", value.data(), static_cast<DWORD>(value.size()));
    return length > 0 && length < value.size() ? std::atoi(value.data()) : 96;
}

int screen_dpi() {
    const WindowDc screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

TEST(DpiAwareness, VelmoraExeDeclaresPerMonitorV2AndTheOlderDpiAware) {
    const std::string manifest = velmora_exe_manifest();
    EXPECT_EQ(element_text(manifest, "dpiAwareness"), "PerMonitorV2, PerMonitor");
    EXPECT_EQ(element_text(manifest, "dpiAware"), "true/pm");

    // The tests carry the same manifest, and the system reads the awareness from it (Wine runs
    // the thread aware per monitor, without telling v2 from v1).
    EXPECT_EQ(manifest_of(GetModuleHandleA(nullptr)), manifest);
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
}

class DpiChange : public ShellTest {
protected:
    static RECT window_rect() {
        RECT rect{};
        GetWindowRect(main_window, &rect);
        return rect;
    }

    static int status_bar_height() {
        RECT bar{};
        GetWindowRect(status_bar, &bar);
        return bar.bottom - bar.top;
    }

    static void change_dpi(int dpi, RECT suggested) {
        SendMessageA(main_window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        pump_messages();
    }
};

struct DpiStep {
    int dpi;
    RECT suggested;
};

TEST_F(DpiChange, TheWindowTakesTheSuggestedRectangleAndTheStatusBarTheNewDpisSize) {
    const int system_dpi = screen_dpi();
    const int height_at_start = status_bar_height();
    // From 144 to 192 the window keeps its rectangle: only the status bar changes.
    const std::vector<DpiStep> steps{
        {144, {40, 30, 940, 730}}, {192, {40, 30, 940, 730}},         {96, {200, 100, 840, 580}},
        {120, {0, 0, 800, 600}},   {system_dpi, {100, 80, 740, 560}},
    };
    std::map<int, int> height_at;
    for (const DpiStep& step : steps) {
        SCOPED_TRACE("DPI " + std::to_string(step.dpi));
        set_status_text("before", 0, 0);
        change_dpi(step.dpi, step.suggested);

        const RECT window = window_rect();
        EXPECT_TRUE(EqualRect(&window, &step.suggested))
            << window.left << ", " << window.top << " - " << window.right << ", " << window.bottom;
        height_at[step.dpi] = status_bar_height();
        expect_status_bar_laid_out();
    }
    // The bar grows with its font above the screen's DPI and is as it was made at the screen's.
    // Below it the bar keeps the least height the system's metrics give it.
    int previous = height_at_start;
    for (const auto& [dpi, height] : height_at) {
        SCOPED_TRACE("DPI " + std::to_string(dpi));
        if (dpi < system_dpi) {
            EXPECT_LE(height, height_at_start);
        } else if (dpi == system_dpi) {
            EXPECT_EQ(height, height_at_start);
        } else {
            EXPECT_GT(height, previous);
            previous = height;
        }
    }
}

TEST_F(DpiChange, BackAtTheScreensDpiEveryPixelIsAsBefore) {
    load_test_rectangle();
    set_client_size(640, 480);
    UpdateWindow(main_window);
    const auto before = capture_client_area(main_window);
    const RECT where = window_rect();

    change_dpi(144 * screen_dpi() / 96, {30, 40, 1000, 900});
    change_dpi(screen_dpi(), where);
    UpdateWindow(main_window);
    const auto after = capture_client_area(main_window);
    EXPECT_TRUE(after->same_pixels(*before));
}

using DpiScreen = ShellTest;

// Where the fit of the main window's whole client area puts mesh point (x, y).
DevicePoint device_point(double x, double y) {
    RECT client{};
    GetClientRect(main_window, &client);
    return to_device(compute_view_fit(current_mesh(), to_device_rect(client)), x, y);
}

TEST_F(DpiScreen, LinesStayOnePixelWideAndTheStatusBarHoldsItsFontAtTheScreensDpi) {
    ASSERT_EQ(screen_dpi(), expected_screen_dpi()) << "the prefix's LogPixels";
    load_test_rectangle();
    set_client_size(640, 480);
    UpdateWindow(main_window);
    const auto picture = capture_client_area(main_window);

    // The bottom side, from (0, 0) to (10, 0), and the left one, from (0, 0) to (0, 5).
    for (const double x : {1.0, 2.5, 5.0, 8.5}) {
        const DevicePoint point = device_point(x, 0.0);
        SCOPED_TRACE("bottom side at " + std::to_string(point.x));
        EXPECT_EQ(picture->pixel(point.x, point.y), rgb_black);
        EXPECT_EQ(picture->pixel(point.x, point.y - 1), rgb_white);
        EXPECT_EQ(picture->pixel(point.x, point.y + 1), rgb_white);
    }
    for (const double y : {0.5, 2.0, 4.5}) {
        const DevicePoint point = device_point(0.0, y);
        SCOPED_TRACE("left side at " + std::to_string(point.y));
        EXPECT_EQ(picture->pixel(point.x, point.y), rgb_black);
        EXPECT_EQ(picture->pixel(point.x - 1, point.y), rgb_white);
        EXPECT_EQ(picture->pixel(point.x + 1, point.y), rgb_white);
    }

    // The bar was made with the system's status font at the screen's DPI, and is tall enough
    // for it.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const WindowDc bar_dc(status_bar);
    const UniqueFont font(CreateFontIndirectA(&metrics.lfStatusFont));
    const HGDIOBJ old_font = SelectObject(bar_dc.get(), font.get());
    TEXTMETRICA text{};
    GetTextMetricsA(bar_dc.get(), &text);
    SelectObject(bar_dc.get(), old_font);
    RECT bar_client{};
    EXPECT_GE(text.tmHeight, 13 * screen_dpi() / 96) << "13 pixels at 96 DPI, more above";
    GetClientRect(status_bar, &bar_client);
    EXPECT_GT(bar_client.bottom, text.tmHeight);
}

} // namespace
