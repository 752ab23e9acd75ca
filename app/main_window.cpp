#include "main_window.h"

#include "commands.h"
#include "gdi_canvas.h"
#include "mesh_painter.h"
#include "status_bar.h"

namespace {

// BeginPaint and EndPaint as one scope.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return paint_.hdc; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

void paint_main_window(HWND window) {
    PaintScope paint(window);
    // The fit always comes from the whole client area, so a partial repaint draws its part of
    // the same picture; BeginPaint's clip region keeps the drawing inside the invalid part.
    RECT client{};
    GetClientRect(window, &client);
    GdiCanvas canvas(paint.dc());
    paint_mesh(canvas, to_device_rect(client));
}

void resize_status_bar(WPARAM wParam, LPARAM lParam) {
    // The status bar moves itself to the new bottom edge, then its part spans its new width.
    SendMessageA(status_bar, WM_SIZE, wParam, lParam);
    layout_status_parts(status_bar, 1);
}

} // namespace

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        resize_status_bar(wParam, lParam);
        return 0;
    case WM_PAINT:
        paint_main_window(window);
        return 0;
    case WM_COMMAND:
        on_command(LOWORD(wParam));
        return 0;
    case WM_MENUSELECT:
        return on_menu_select(wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
