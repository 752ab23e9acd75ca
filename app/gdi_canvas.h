// The painter's canvas on a Win32 device context.
#pragma once

#include "canvas.h"
#include "view_fit.h"

#include <windows.h>

// Draws on a device context it does not own; the DC's pen, font and background stay as they are.
class GdiCanvas final : public Canvas {
public:
    explicit GdiCanvas(HDC dc) : dc_(dc) {}

    std::int32_t text_height() override;
    void set_text_align(std::uint32_t align) override;
    void set_text_color(std::uint32_t colorref) override;
    void move_to(DevicePoint point) override;
    void line_to(DevicePoint point) override;
    void text_out(DevicePoint point, std::string_view text) override;
    DeviceRect clip_box() override;
    std::optional<std::int32_t> text_width(std::string_view text) override;

private:
    HDC dc_;
};

constexpr DeviceRect to_device_rect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
