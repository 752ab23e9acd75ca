// The painter's canvas on a picture in memory (a DIB section selected into a device context):
// the same pixels as GdiCanvas, drawn with fewer calls. The lines of a batch go to GDI in one
// PolyPolyline, those of one step straight into the pixels; numbers are composed from a digit
// atlas captured from the same device context, where its checks pass.
#pragma once

#include "digit_atlas.h"
#include "gdi_canvas.h"

#include <optional>
#include <vector>

class PictureCanvas final : public GdiCanvas {
public:
    // `pixels` are the bitmap selected into `dc`, device point (0, 0) first.
    PictureCanvas(HDC dc, const PixelPicture& pixels, DigitAtlasCache& digits);

    void draw_lines(std::span<const LineSegment> segments) override;
    const DigitAtlas* digit_atlas() override;
    PixelPicture pixels() override;

private:
    PixelPicture pixels_;
    bool writes_pixels_; // device points are the pixels' own, and nothing clips them
    std::optional<std::optional<std::uint32_t>> line_pixel_; // found out at the first lines
    std::vector<LineSegment> segments_;
    std::vector<POINT> points_;
    std::vector<DWORD> counts_;
};
