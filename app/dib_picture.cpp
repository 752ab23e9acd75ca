#include "dib_picture.h"

#include <algorithm>

std::optional<DibPicture> DibPicture::create(HDC dc, int width, int height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    DibPicture picture;
    picture.dc_.reset(CreateCompatibleDC(dc));
    if (!picture.dc_) {
        return std::nullopt;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    picture.bitmap_.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture.bitmap_ || bits == nullptr) {
        return std::nullopt;
    }
    SelectObject(picture.dc(), picture.bitmap_.get());
    picture.bits_ = static_cast<std::uint32_t*>(bits);
    picture.width_ = width;
    picture.height_ = height;
    return picture;
}

void DibPicture::fill(COLORREF colour) const {
    GdiFlush();
    std::fill_n(bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_),
                pixel_of(colour));
}

void DibPicture::take_drawing_state(HDC dc) const {
    SelectObject(dc_.get(), GetCurrentObject(dc, OBJ_FONT));
    SelectObject(dc_.get(), GetCurrentObject(dc, OBJ_PEN));
    SetROP2(dc_.get(), GetROP2(dc));
    SetBkMode(dc_.get(), GetBkMode(dc));
    SetBkColor(dc_.get(), GetBkColor(dc));
    SetTextColor(dc_.get(), GetTextColor(dc));
    SetTextAlign(dc_.get(), GetTextAlign(dc));
}
