#include "mesh_picture.h"

#include "gdi_canvas.h"
#include "mesh_painter.h"
#include "picture_canvas.h"

bool MeshPicture::paint(HWND window, HDC paint_dc, const RECT& update) {
    RECT client{};
    GetClientRect(window, &client);
    // A picture of another size is of no use; one of the new size is made in its place, after
    // it is gone, so that two never live at once.
    if (picture_ && (picture_->width() != client.right - client.left ||
                     picture_->height() != client.bottom - client.top)) {
        picture_.reset();
    }
    if ((!picture_ || !up_to_date_) && !redraw(window, paint_dc, client)) {
        return false;
    }
    BitBlt(paint_dc, update.left, update.top, update.right - update.left,
           update.bottom - update.top, picture_->dc(), update.left, update.top, SRCCOPY);
    return true;
}

bool MeshPicture::redraw(HWND window, HDC paint_dc, const RECT& client) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (!picture_) {
        picture_ = DibPicture::create(paint_dc, width, height);
        if (!picture_) {
            up_to_date_ = false;
            return false;
        }
    }
    // The background is what erasing leaves: the window class's brush.
    const auto background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    const RECT whole{0, 0, width, height};
    FillRect(picture_->dc(), &whole, background);
    PictureCanvas canvas(picture_->dc(), picture_->pixels(), digits_);
    paint_mesh(canvas, to_device_rect(whole));
    GdiFlush();
    up_to_date_ = true;
    return true;
}

void MeshPicture::release() {
    picture_.reset();
    digits_.clear();
    up_to_date_ = false;
}
