// The painter's canvas on a Win32 device context.
#pragma once

#include "canvas.h"
#include "digit_atlas.h"
#include "digit_atlas_capture.h"
#include "view_fit.h"

#include <optional>
#include <windows.h>

// Draws on a device context it does not own; the DC's pen, font and background stay as they are.
class GdiCanvas : public Canvas {
public:
    explicit GdiCanvas(HDC dc) : dc_(dc), probes_(&own_probes_) {}
    // With the probes of what `dc` draws kept in `probes` from paint to paint.
    GdiCanvas(HDC dc, DrawingProbes& probes) : dc_(dc), probes_(&probes) {}
    GdiCanvas(const GdiCanvas&) = delete;
    GdiCanvas& operator=(const GdiCanvas&) = delete;

    std::int32_t text_height() override;
    void set_text_align(std::uint32_t align) override;
    void set_text_color(std::uint32_t colorref) override;
    void move_to(DevicePoint point) override;
    void line_to(DevicePoint point) override;
    void text_out(DevicePoint point, std::string_view text) override;
    DeviceRect clip_box() override;
    // The width of a number's opaque cell, where the font draws its digits inside their cells:
    // only then does a cell tell what a number hides.
    std::optional<std::int32_t> text_width(std::string_view text) override;

protected:
    HDC dc() const { return dc_; }
    // The digits as the device context draws them now, checked; null where a check fails.
    const DigitAtlas* checked_digits() { return probes_->atlas_for(dc_); }
    DrawingProbes& probes() { return *probes_; }

private:
    HDC dc_;
    DrawingProbes own_probes_;
    DrawingProbes* probes_;
};

constexpr DeviceRect to_device_rect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
