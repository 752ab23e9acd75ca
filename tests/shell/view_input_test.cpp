// The mouse and the keys change the main window's view as the user expects: the wheel zooms
// about the cursor a notch at a time, a drag moves the picture with the mouse, captured and
// with the hand cursor, the keys zoom about the centre and move by an eighth of the window, and
// however many changes come in a row, the window paints once.
#include "grid_mesh.h"
#include "main_window.h"
#include "mesh_model.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "zoom_view.h"

#include <cmath>
#include <vector>

namespace {

class ViewInput : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        set_client_size(643, 481);
        show_mesh(grid_mesh({20, 10}));
        GetClientRect(main_window, &client_);
        fit_ = compute_view_fit(current_mesh(), to_rect(client_));
    }
    void TearDown() override {
        current_mesh() = MeshModel{};
        ShellTest::TearDown();
    }

    static DeviceRect to_rect(const RECT& rect) {
        return {rect.left, rect.top, rect.right, rect.bottom};
    }
    // The mesh point under client point (x, y).
    static std::pair<double, double> under(const ViewTransform& view, int x, int y) {
        return {(x - view.pan_x - view.offset_x) / view.scale,
                -(y - view.pan_y - view.offset_y) / view.scale};
    }
    ViewTransform at_step(int step) const { return {fit_.scale * zoom_factor(step), 0, 0, 0, 0}; }

    RECT client_{};
    ViewFit fit_{};
};

TEST_F(ViewInput, TheWheelZoomsAboutTheCursorANotchAtATime) {
    const auto [x, y] = under(main_window_view(), 100, 50);
    turn_wheel(60, {100, 50});
    EXPECT_EQ(main_window_view(), fitted_view(fit_)) << "half a notch does nothing yet";
    turn_wheel(60, {100, 50});
    EXPECT_EQ(main_window_view().scale, at_step(1).scale);
    const auto [x_after, y_after] = under(main_window_view(), 100, 50);
    EXPECT_NEAR(x_after, x, 1e-9);
    EXPECT_NEAR(y_after, y, 1e-9);
    turn_wheel(-3 * 120, {10, 10});
    EXPECT_EQ(main_window_view(), fitted_view(fit_)) << "out to the fit, wherever the cursor is";
    turn_wheel(-120, {10, 10});
    turn_wheel(120, {10, 10});
    EXPECT_EQ(main_window_view().scale, at_step(1).scale)
        << "turning beyond the fit stores nothing";
}

TEST_F(ViewInput, ADragMovesThePictureWithTheMouseCapturedAndTheHandShown) {
    const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    SendMessageA(main_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    EXPECT_EQ(GetCapture(), main_window);
    EXPECT_EQ(GetCursor(), hand);
    SendMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 90));
    EXPECT_EQ(main_window_view().pan_x, 30);
    EXPECT_EQ(main_window_view().pan_y, -10);
    // Captured, the mouse is followed beyond the client area, to negative coordinates too.
    SendMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-50, 300));
    EXPECT_EQ(GetCursor(), hand);
    SendMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(-40, 300));
    EXPECT_EQ(main_window_view().pan_x, -140) << "the drag ends where the button is let go";
    EXPECT_EQ(main_window_view().pan_y, 200);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_NE(GetCursor(), hand);
    SendMessageA(main_window, WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(main_window_view().pan_x, -140) << "without the button the mouse moves nothing";
}

TEST_F(ViewInput, KeysZoomAboutTheCentreAndMoveByAnEighthOfTheWindow) {
    // 643 x 481: the centre is (321, 240), an eighth 80 across and 60 down.
    const struct {
        const char* name;
        WPARAM key;
        int step;
        std::int32_t pan_x;
        std::int32_t pan_y;
        bool centre_stays;
    } presses[] = {
        {"+", VK_OEM_PLUS, 1, 0, 0, true},
        {"keypad +", VK_ADD, 2, 0, 0, true},
        {"right", VK_RIGHT, 2, -80, 0, false},
        {"up", VK_UP, 2, -80, 60, false},
        {"left", VK_LEFT, 2, 0, 60, false},
        {"down", VK_DOWN, 2, 0, 0, false},
        {"down again", VK_DOWN, 2, 0, -60, false},
        {"-", VK_OEM_MINUS, 1, 0, 0, true},
        {"a letter", 'A', 1, 0, 0, true},
        {"keypad - to the fit", VK_SUBTRACT, 0, 0, 0, false},
        {"- at the fit", VK_SUBTRACT, 0, 0, 0, true},
        {"right at the fit", VK_RIGHT, 0, -80, 0, false},
        {"Home", VK_HOME, 0, 0, 0, false},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.name);
        const auto [x, y] = under(main_window_view(), 321, 240);
        press_key(press.key);
        const ViewTransform view = main_window_view();
        EXPECT_EQ(view.scale, at_step(press.step).scale);
        EXPECT_EQ(view.pan_x, press.pan_x);
        EXPECT_EQ(view.pan_y, press.pan_y);
        const auto [x_after, y_after] = under(view, 321, 240);
        EXPECT_EQ(std::abs(x_after - x) < 1e-9 && std::abs(y_after - y) < 1e-9, press.centre_stays);
    }
    EXPECT_EQ(main_window_view(), fitted_view(fit_));
}

// Counts the main window's paints.
int paints = 0;
WNDPROC product_proc = nullptr;
LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    paints += message == WM_PAINT ? 1 : 0;
    return CallWindowProcA(product_proc, window, message, wParam, lParam);
}

TEST_F(ViewInput, ManyChangesInARowArePaintedOnce) {
    UpdateWindow(main_window);
    product_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&counting_proc)));
    paints = 0;
    for (int notch = 0; notch < 10; ++notch) {
        turn_wheel(120, {200 + notch, 100});
    }
    drag({50, 50}, {{60, 50}, {70, 55}, {90, 20}});
    press_key(VK_RIGHT);
    pump_messages();
    EXPECT_EQ(paints, 1);
    SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(product_proc));
}

} // namespace
