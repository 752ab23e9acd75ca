// The painter's canvas on a picture in memory (a DIB section selected into a device context):
// the same pixels as GdiCanvas, drawn with fewer calls. The lines of a batch go to GDI in one
// PolyPolyline, those of one step straight into the pixels; numbers are composed from a digit
// atlas captured from the same device context, where its checks pass.
#pragma once

#include "digit_atlas.h"
#include "gdi_canvas.h"
#include "gdi_handles.h"

#include <optional>
#include <vector>

class PictureCanvas final : public GdiCanvas {
public:
    // `pixels` are the bitmap selected into `dc`, device point (0, 0) first; nothing is drawn
    // outside `area`, which the canvas makes the device context's clip region while it lives.
    PictureCanvas(HDC dc, const PixelPicture& pixels, DrawingProbes& probes,
                  const DeviceRect& area);
    ~PictureCanvas() override;
    PictureCanvas(const PictureCanvas&) = delete;
    PictureCanvas& operator=(const PictureCanvas&) = delete;

    void draw_lines(std::span<const LineSegment> segments) override;
    const DigitAtlas* digit_atlas() override;
    PixelPicture pixels() override;

private:
    bool writes_pixels_;       // device points are the pixels' own, and nothing else clips them
    PixelPicture pixels_;      // the pixels inside the area
    UniqueRegion clip_before_; // the device context's own clip region, given back at the end
    bool clipped_before_;
    std::optional<std::optional<std::uint32_t>> line_pixel_; // found out at the first lines
    std::vector<LineSegment> segments_;
    std::vector<POINT> points_;
    std::vector<DWORD> counts_;
};
