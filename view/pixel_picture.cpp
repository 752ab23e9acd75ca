#include "pixel_picture.h"

#include <algorithm>
#include <cstdlib>

PixelPicture PixelPicture::within(const DeviceRect& clip) const {
    const DeviceRect meet{std::max(area.left, clip.left), std::max(area.top, clip.top),
                          std::min(area.right, clip.right), std::min(area.bottom, clip.bottom)};
    if (empty() || meet.left >= meet.right || meet.top >= meet.bottom) {
        return {};
    }
    return {&at(meet.left, meet.top), stride, meet};
}

std::size_t set_one_step_lines(const PixelPicture& picture, std::uint32_t line_pixel,
                               std::span<LineSegment> segments) {
    std::size_t kept = 0;
    for (const LineSegment& segment : segments) {
        const std::int64_t dx = std::int64_t{segment.to.x} - segment.from.x;
        const std::int64_t dy = std::int64_t{segment.to.y} - segment.from.y;
        if (std::abs(dx) > 1 || std::abs(dy) > 1 || (dx == 0 && dy == 0)) {
            segments[kept++] = segment;
        } else if (picture.contains(segment.from.x, segment.from.y)) {
            picture.at(segment.from.x, segment.from.y) = line_pixel;
        }
    }
    return kept;
}
