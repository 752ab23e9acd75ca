#include "gdi_canvas.h"

#include <algorithm>

std::int32_t GdiCanvas::text_height() {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    return metrics.tmHeight;
}

void GdiCanvas::set_text_align(std::uint32_t align) {
    SetTextAlign(dc_, align);
}

void GdiCanvas::set_text_color(std::uint32_t colorref) {
    SetTextColor(dc_, colorref);
}

void GdiCanvas::move_to(DevicePoint point) {
    MoveToEx(dc_, point.x, point.y, nullptr);
}

void GdiCanvas::line_to(DevicePoint point) {
    LineTo(dc_, point.x, point.y);
}

void GdiCanvas::text_out(DevicePoint point, std::string_view text) {
    TextOutA(dc_, point.x, point.y, text.data(), static_cast<int>(text.size()));
}

DeviceRect GdiCanvas::clip_box() {
    RECT box{};
    if (GetClipBox(dc_, &box) == ERROR) {
        return Canvas::clip_box();
    }
    return to_device_rect(box);
}

std::optional<std::int32_t> GdiCanvas::text_width(std::string_view text) {
    const DigitAtlas* digits = checked_digits();
    if (digits == nullptr ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(digits->text_width(text));
}
