// A 32-bit picture in a DIB section selected into a memory device context: GDI draws on it and
// its pixels can be read and written in memory.
#pragma once

#include "gdi_handles.h"
#include "pixel_picture.h"

#include <cstdint>
#include <optional>
#include <windows.h>

class DibPicture {
public:
    // A picture of `width` x `height` pixels whose device context is compatible with `dc`;
    // nothing where the system cannot make one.
    static std::optional<DibPicture> create(HDC dc, int width, int height);

    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // The pixels, top row first, device point (0, 0) first; GDI's drawing must be finished
    // (GdiFlush) before they are read or written.
    PixelPicture pixels() const { return {bits_, width_, {0, 0, width_, height_}}; }
    // Sets every pixel to `colour`.
    void fill(COLORREF colour) const;
    // The pixel value `colour` has in the picture: 0x00RRGGBB.
    static std::uint32_t pixel_of(COLORREF colour) {
        return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) |
               GetBValue(colour);
    }
    // Gives the memory device context the font, pen, drawing mode, text colours and alignment
    // of `dc`.
    void take_drawing_state(HDC dc) const;

private:
    DibPicture() = default;

    // The bitmap outlives the device context it is selected into.
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
