// The plain drawing every faster way of painting is measured against: the six drawing
// operations passed on to GDI, one call each, with neither clip box nor text widths told, so
// that the painter leaves nothing out.
#pragma once

#include "gdi_canvas.h"

class PlainCanvas final : public Canvas {
public:
    explicit PlainCanvas(HDC dc) : gdi_(dc) {}
    std::int32_t text_height() override { return gdi_.text_height(); }
    void set_text_align(std::uint32_t align) override { gdi_.set_text_align(align); }
    void set_text_color(std::uint32_t colorref) override { gdi_.set_text_color(colorref); }
    void move_to(DevicePoint point) override { gdi_.move_to(point); }
    void line_to(DevicePoint point) override { gdi_.line_to(point); }
    void text_out(DevicePoint point, std::string_view text) override {
        gdi_.text_out(point, text);
        ++texts;
    }

    int texts = 0; // numbers drawn

private:
    GdiCanvas gdi_;
};
