#include "main_window.h"

#include "commands.h"
#include "gdi_canvas.h"
#include "mesh_painter.h"
#include "mesh_picture.h"
#include "open_dialog_messages.h"
#include "shell_state.h"
#include "status_bar.h"
#include "view_input.h"

namespace {

// BeginPaint and EndPaint as one scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return paint_.hdc; }
    const RECT& update() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

MeshPicture picture;
ViewInput view_input;

// Posted once a picture is shown whose index has work left for later: the window does it then,
// before the input that follows (posted messages come first), so that a zoom does not wait.
constexpr UINT message_complete_index = WM_APP;

// The fit always comes from the whole client area, so a partial repaint shows its part of the
// same picture.
void paint_main_window(HWND window) {
    {
        PaintScope paint(window);
        if (!picture.paint(window, paint.dc(), paint.update())) {
            // Without a picture in memory the mesh is drawn on the window itself; BeginPaint's
            // clip region keeps the drawing inside the invalid part.
            RECT client{};
            GetClientRect(window, &client);
            picture.paint_directly(paint.dc(), client);
        }
    }
    if (picture.index_incomplete()) {
        PostMessageA(window, message_complete_index, 0, 0);
    }
}

// What the picture is drawn with may have changed (colours, fonts, font smoothing, the display,
// its DPI): the picture and the digits it is composed from are made afresh.
void renew_picture(HWND window) {
    picture.release();
    InvalidateRect(window, nullptr, TRUE);
}

void resize_status_bar(WPARAM wParam, LPARAM lParam) {
    // The status bar moves itself to the new bottom edge, then its part spans its new width.
    SendMessageA(status_bar, WM_SIZE, wParam, lParam);
    layout_status_parts(status_bar, 1);
}

// WM_DPICHANGED: the window takes the rectangle the system suggests for the new DPI, and what
// was made for the old DPI is made afresh: the status bar and the picture of the client area.
// Whatever else comes to be made for one DPI is renewed here too.
void on_dpi_changed(HWND window, UINT dpi, const RECT& suggested) {
    set_status_bar_dpi(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Laid out again even when the window kept its size, the bar takes its new font's height.
    RECT client{};
    GetClientRect(window, &client);
    resize_status_bar(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    renew_picture(window);
}

} // namespace

ViewTransform main_window_view() {
    return picture.transform(main_window);
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        picture.clear();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        resize_status_bar(wParam, lParam);
        picture.resize({LOWORD(lParam), HIWORD(lParam)});
        return 0;
    case WM_PAINT:
        paint_main_window(window);
        return 0;
    case message_complete_index:
        picture.complete_index();
        return 0;
    case WM_COMMAND:
        on_command(LOWORD(wParam));
        return 0;
    case WM_MENUSELECT:
        return on_menu_select(wParam, lParam);
    case WM_MOUSEWHEEL:
        view_input.wheel(picture, window, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        view_input.press(window, lParam);
        return 0;
    case WM_MOUSEMOVE:
        view_input.move(picture, window, lParam);
        return 0;
    case WM_LBUTTONUP:
        view_input.let_go(picture, window, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        view_input.capture_lost();
        return 0;
    case WM_SETCURSOR:
        if (view_input.set_cursor()) {
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYDOWN:
        if (view_input.key(picture, window, wParam)) {
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_FONTCHANGE:
    case WM_THEMECHANGED:
        renew_picture(window);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_DPICHANGED:
        on_dpi_changed(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        // The Open dialog's Help button; the registered number is never 0 once registered.
        if (message == open_dialog_help_message && message != 0) {
            show_open_dialog_help(reinterpret_cast<HWND>(wParam));
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
