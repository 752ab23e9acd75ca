// The mouse and the keys that zoom and move the main window's view: the wheel zooms about the
// cursor, a drag with the left button moves the picture, + and - zoom about the centre, the arrow
// keys move the view by an eighth of the window, Home returns to the fit.
#pragma once

#include "mesh_picture.h"
#include "wheel_rotation.h"

#include <optional>
#include <windows.h>

class ViewInput {
public:
    // WM_MOUSEWHEEL.
    void wheel(MeshPicture& picture, HWND window, WPARAM wParam, LPARAM lParam);
    // WM_LBUTTONDOWN and WM_LBUTTONDBLCLK: a drag starts, the mouse captured.
    void press(HWND window, LPARAM lParam);
    // WM_MOUSEMOVE: while dragging, the picture follows the mouse.
    void move(MeshPicture& picture, HWND window, LPARAM lParam);
    // WM_LBUTTONUP: the drag ends where the button was let go.
    void let_go(MeshPicture& picture, HWND window, LPARAM lParam);
    // WM_CAPTURECHANGED: whatever took the mouse away ends the drag.
    void capture_lost();
    // WM_SETCURSOR: true where the drag's cursor was set.
    bool set_cursor();
    // WM_KEYDOWN: false for a key that does not act on the view.
    bool key(MeshPicture& picture, HWND window, WPARAM key);

private:
    WheelRotation rotation_;
    std::optional<POINT> dragged_to_; // where the mouse was last seen while dragging
};
