#include "view_input.h"

#include <windowsx.h>

namespace {

POINT client_point(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

void show_hand() {
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
}

RECT client_area(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

} // namespace

void ViewInput::wheel(MeshPicture& picture, HWND window, WPARAM wParam, LPARAM lParam) {
    // The wheel message carries the cursor in screen coordinates.
    POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(window, &cursor);
    const int notches = rotation_.add(GET_WHEEL_DELTA_WPARAM(wParam));
    // Away from the user zooms in.
    const int direction = notches > 0 ? 1 : -1;
    for (int notch = 0; notch != notches; notch += direction) {
        if (!picture.zoom_to(window, picture.zoom_step() + direction, {cursor.x, cursor.y})) {
            // At the deepest step or at the fit, turning on stores up nothing.
            rotation_.clear();
            break;
        }
    }
}

void ViewInput::press(HWND window, LPARAM lParam) {
    SetCapture(window);
    dragged_to_ = client_point(lParam);
    show_hand();
}

void ViewInput::move(MeshPicture& picture, HWND window, LPARAM lParam) {
    if (!dragged_to_) {
        return;
    }
    const POINT now = client_point(lParam);
    if (now.x != dragged_to_->x || now.y != dragged_to_->y) {
        picture.pan_by(window, now.x - dragged_to_->x, now.y - dragged_to_->y);
        dragged_to_ = now;
    }
    show_hand();
}

void ViewInput::let_go(MeshPicture& picture, HWND window, LPARAM lParam) {
    if (!dragged_to_) {
        return;
    }
    move(picture, window, lParam);
    ReleaseCapture();
    capture_lost();
}

void ViewInput::capture_lost() {
    if (dragged_to_) {
        dragged_to_.reset();
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
}

bool ViewInput::set_cursor() {
    if (!dragged_to_) {
        return false;
    }
    show_hand();
    return true;
}

bool ViewInput::key(MeshPicture& picture, HWND window, WPARAM key) {
    const RECT client = client_area(window);
    const DevicePoint centre{client.right / 2, client.bottom / 2};
    // The arrows show more of what lies that way: the picture moves the other way.
    const std::int32_t across = client.right / 8;
    const std::int32_t down = client.bottom / 8;
    switch (key) {
    case VK_ADD:
    case VK_OEM_PLUS:
        picture.zoom_to(window, picture.zoom_step() + 1, centre);
        return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        picture.zoom_to(window, picture.zoom_step() - 1, centre);
        return true;
    case VK_LEFT:
        picture.pan_by(window, across, 0);
        return true;
    case VK_RIGHT:
        picture.pan_by(window, -across, 0);
        return true;
    case VK_UP:
        picture.pan_by(window, 0, down);
        return true;
    case VK_DOWN:
        picture.pan_by(window, 0, -down);
        return true;
    case VK_HOME:
        picture.show_fit(window);
        return true;
    default:
        return false;
    }
}
