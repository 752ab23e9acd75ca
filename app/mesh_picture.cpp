#include "mesh_picture.h"

#include "gdi_canvas.h"
#include "mesh_painter.h"
#include "picture_canvas.h"
#include "picture_scroll.h"

bool MeshPicture::paint(HWND window, HDC paint_dc, const RECT& update) {
    notice_new_mesh();
    RECT client{};
    GetClientRect(window, &client);
    // A picture of another size is of no use; one of the new size is made in its place, after
    // it is gone, so that two never live at once.
    if (picture_ && (picture_->width() != client.right - client.left ||
                     picture_->height() != client.bottom - client.top)) {
        picture_.reset();
    }
    const ViewTransform view = transform(window);
    if (!picture_ || !up_to_date_) {
        if (!redraw(window, paint_dc, client, view)) {
            return false;
        }
    } else if (view != drawn_) {
        // Moved by whole pixels, the picture keeps what stays in view and draws what comes in.
        const auto shift = exact_shift(current_mesh(), drawn_, view);
        const DeviceRect whole{0, 0, picture_->width(), picture_->height()};
        if (shift && std::abs(shift->x) < whole.right && std::abs(shift->y) < whole.bottom) {
            GdiFlush();
            scroll_pixels(picture_->pixels(), *shift);
            for (const DeviceRect& uncovered : uncovered_by_shift(whole, *shift)) {
                draw(window, uncovered, view);
            }
            drawn_ = view;
        } else {
            draw(window, whole, view);
        }
        GdiFlush();
    }
    BitBlt(paint_dc, update.left, update.top, update.right - update.left,
           update.bottom - update.top, picture_->dc(), update.left, update.top, SRCCOPY);
    return true;
}

bool MeshPicture::redraw(HWND window, HDC paint_dc, const RECT& client, const ViewTransform& view) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (!picture_) {
        picture_ = DibPicture::create(paint_dc, width, height);
        if (!picture_) {
            up_to_date_ = false;
            return false;
        }
    }
    draw(window, {0, 0, width, height}, view);
    GdiFlush();
    up_to_date_ = true;
    return true;
}

void MeshPicture::draw(HWND window, const DeviceRect& area, const ViewTransform& view) {
    if (area.left >= area.right || area.top >= area.bottom) {
        return;
    }
    // The background is what erasing leaves: the window class's brush.
    const auto background = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    const RECT part{area.left, area.top, area.right, area.bottom};
    FillRect(picture_->dc(), &part, background);
    PictureCanvas canvas(picture_->dc(), picture_->pixels(), probes_, area);
    paint_mesh(current_mesh(), canvas, view, &index());
    drawn_ = view;
}

void MeshPicture::paint_directly(HDC paint_dc, const RECT& client) {
    notice_new_mesh();
    GdiCanvas canvas(paint_dc);
    paint_mesh(current_mesh(), canvas,
               view_.transform(compute_view_fit(current_mesh(), to_device_rect(client))), &index());
}

const MeshIndex& MeshPicture::index() {
    if (!index_) {
        index_.emplace(current_mesh());
    }
    return *index_;
}

void MeshPicture::complete_index() {
    notice_new_mesh();
    if (index_) {
        index_->work_out_sides(current_mesh());
    }
}

void MeshPicture::release() {
    picture_.reset();
    probes_.clear();
    up_to_date_ = false;
}

void MeshPicture::notice_new_mesh() {
    const std::uint64_t load = current_mesh().load_count;
    if (mesh_load_ != load) {
        mesh_load_ = load;
        view_.reset();
        index_.reset();
        up_to_date_ = false;
    }
}

ViewTransform MeshPicture::transform(HWND window) {
    notice_new_mesh();
    RECT client{};
    GetClientRect(window, &client);
    return view_.transform(compute_view_fit(current_mesh(), to_device_rect(client)));
}

int MeshPicture::zoom_step() {
    notice_new_mesh();
    return view_.step();
}

bool MeshPicture::zoom_to(HWND window, int step, DevicePoint about) {
    notice_new_mesh();
    RECT client{};
    GetClientRect(window, &client);
    const ViewFit fit = compute_view_fit(current_mesh(), to_device_rect(client));
    if (!view_.zoom_to(step, about, fit, current_mesh())) {
        return false;
    }
    invalidate(window);
    return true;
}

void MeshPicture::pan_by(HWND window, std::int32_t dx, std::int32_t dy) {
    notice_new_mesh();
    view_.pan_by(dx, dy);
    invalidate(window);
}

void MeshPicture::show_fit(HWND window) {
    notice_new_mesh();
    if (!view_.at_fit()) {
        view_.reset();
        invalidate(window);
    }
}

void MeshPicture::resize(DeviceSize size) {
    notice_new_mesh();
    if (client_size_) {
        view_.resize(*client_size_, size);
    }
    client_size_ = size;
}

void MeshPicture::invalidate(HWND window) {
    // The picture covers the whole client area: nothing needs erasing first, and the paints of
    // many changes in a row come together in one.
    InvalidateRect(window, nullptr, FALSE);
}
