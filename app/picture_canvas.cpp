#include "picture_canvas.h"

#include "digit_atlas_capture.h"

namespace {

// Device coordinates are the picture's pixel coordinates, and no clip region hides any of
// them, so that writing a pixel is drawing it.
bool device_is_picture(HDC dc) {
    POINT viewport{};
    POINT window{};
    GetViewportOrgEx(dc, &viewport);
    GetWindowOrgEx(dc, &window);
    const UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
    const bool clipped = GetClipRgn(dc, region.get()) != 0;
    return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE && viewport.x == 0 &&
           viewport.y == 0 && window.x == 0 && window.y == 0 && !clipped;
}

} // namespace

PictureCanvas::PictureCanvas(HDC dc, const PixelPicture& pixels, DrawingProbes& probes,
                             const DeviceRect& area)
    : GdiCanvas(dc, probes), writes_pixels_(!pixels.empty() && device_is_picture(dc)),
      pixels_(pixels.within(area)), clip_before_(CreateRectRgn(0, 0, 0, 0)),
      clipped_before_(GetClipRgn(dc, clip_before_.get()) == 1) {
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
}

PictureCanvas::~PictureCanvas() {
    SelectClipRgn(dc(), clipped_before_ ? clip_before_.get() : nullptr);
}

void PictureCanvas::draw_lines(std::span<const LineSegment> segments) {
    if (!line_pixel_) {
        line_pixel_ = writes_pixels_ ? probes().one_step_line_pixel_for(dc()) : std::nullopt;
    }
    segments_.assign(segments.begin(), segments.end());
    std::size_t drawn_by_gdi = segments_.size();
    if (*line_pixel_) {
        GdiFlush();
        drawn_by_gdi = set_one_step_lines(pixels_, **line_pixel_, segments_);
    }
    if (drawn_by_gdi == 0) {
        return;
    }
    // Each line its own polyline of two points, from its start to its end, as LineTo draws it.
    points_.clear();
    for (std::size_t i = 0; i < drawn_by_gdi; ++i) {
        points_.push_back({segments_[i].from.x, segments_[i].from.y});
        points_.push_back({segments_[i].to.x, segments_[i].to.y});
    }
    counts_.assign(drawn_by_gdi, 2);
    PolyPolyline(dc(), points_.data(), counts_.data(), static_cast<DWORD>(drawn_by_gdi));
}

const DigitAtlas* PictureCanvas::digit_atlas() {
    return writes_pixels_ ? checked_digits() : nullptr;
}

PixelPicture PictureCanvas::pixels() {
    GdiFlush();
    return writes_pixels_ ? pixels_ : PixelPicture{};
}
