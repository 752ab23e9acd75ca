// A picture of what a canvas shows inside its clip box, one value per pixel, for telling
// whether two series of drawing calls leave the same pixels.
//
// Lines are drawn with the properties a one-pixel pen has and the painter relies on: a line
// from a point to itself draws nothing, and every pixel of a line lies in the box of its end
// points, the end point itself left out. A text is an opaque cell, as wide as its digits and as
// high as the font, centred on its point the way a TA_CENTER | TA_TOP text is (half the width,
// rounded down, to the left of the point; from the point down). Each pixel of a cell takes a
// value of the text and of the pixel's place in the cell, so that a cell shows through unless
// later cells cover all of it; or, where the picture is given a digit atlas, the pixel of its
// digit's cell in the atlas, the cell placed as the atlas centres it.
#pragma once

#include "canvas.h"
#include "digit_atlas.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using DigitWidths = std::array<std::int32_t, 10>;

class Picture {
public:
    // Draws into `pixels`, cleared to the clip box's size: storage kept from picture to picture
    // costs no fresh pages.
    Picture(std::vector<std::uint32_t>& pixels, DeviceRect clip, const DigitWidths& digit_widths,
            std::int32_t text_height, const DigitAtlas* atlas = nullptr)
        : left_(clip.left), top_(clip.top),
          width_(std::max<std::int64_t>(std::int64_t{clip.right} - clip.left, 0)),
          height_(std::max<std::int64_t>(std::int64_t{clip.bottom} - clip.top, 0)),
          digit_widths_(digit_widths), text_height_(text_height), atlas_(atlas), pixels_(pixels) {
        pixels_.assign(static_cast<std::size_t>(width_ * height_), 0);
    }

    // The pixels, for a canvas that lets the painter write them directly.
    PixelPicture pixel_picture() const {
        return {pixels_.data(),
                width_,
                {static_cast<std::int32_t>(left_), static_cast<std::int32_t>(top_),
                 static_cast<std::int32_t>(left_ + width_),
                 static_cast<std::int32_t>(top_ + height_)}};
    }

    // Pixels in a clip box of this size: what a picture costs.
    static std::int64_t area(DeviceRect clip) {
        const std::int64_t width = std::int64_t{clip.right} - clip.left;
        const std::int64_t height = std::int64_t{clip.bottom} - clip.top;
        return width > 0 && height > 0 ? width * height : 0;
    }

    void line(DevicePoint from, DevicePoint to) {
        if (from == to) {
            return;
        }
        const std::int64_t dx = std::int64_t{to.x} - from.x;
        const std::int64_t dy = std::int64_t{to.y} - from.y;
        const bool along_x = std::abs(dx) >= std::abs(dy);
        const std::int64_t steps = along_x ? std::abs(dx) : std::abs(dy);
        const std::int64_t major_start = along_x ? from.x : from.y;
        const std::int64_t minor_start = along_x ? from.y : from.x;
        const std::int64_t major_step = (along_x ? dx : dy) > 0 ? 1 : -1;
        const std::int64_t minor_delta = along_x ? dy : dx;
        // Only the steps whose major coordinate lies in the picture are drawn.
        const std::int64_t low = along_x ? left_ : top_;
        const std::int64_t high = low + (along_x ? width_ : height_);
        std::int64_t first = 0;
        std::int64_t last = steps; // exclusive: the end point is not drawn
        if (major_step > 0) {
            first = std::max(first, low - major_start);
            last = std::min(last, high - major_start);
        } else {
            first = std::max(first, major_start - high + 1);
            last = std::min(last, major_start - low + 1);
        }
        for (std::int64_t step = first; step < last; ++step) {
            const std::int64_t major = major_start + major_step * step;
            const auto offset = static_cast<std::int64_t>(static_cast<long double>(minor_delta) *
                                                          static_cast<long double>(step) /
                                                          static_cast<long double>(steps));
            const std::int64_t minor = minor_start + offset;
            plot(along_x ? major : minor, along_x ? minor : major, line_value);
        }
    }

    void text(DevicePoint point, std::string_view text) {
        std::int64_t width = 0;
        std::uint64_t text_hash = 0xcbf29ce484222325; // FNV-1a
        for (const char digit : text) {
            if (digit >= '0' && digit <= '9') {
                width += digit_widths_[static_cast<std::size_t>(digit - '0')];
            }
            text_hash = (text_hash ^ static_cast<unsigned char>(digit)) * 0x100000001b3;
        }
        const std::int64_t cell_left =
            centred_left(point.x, width, atlas_ != nullptr && atlas_->odd_width_rounds_up);
        const std::int64_t cell_top = point.y;
        const std::int64_t x_begin = std::max(cell_left, left_);
        const std::int64_t x_end = std::min(cell_left + width, left_ + width_);
        const std::int64_t y_begin = std::max(cell_top, top_);
        const std::int64_t y_end = std::min(cell_top + text_height_, top_ + height_);
        if (x_begin >= x_end) {
            return;
        }
        for (std::int64_t y = y_begin; y < y_end; ++y) {
            const std::int64_t row = (y - top_) * width_ - left_;
            for (std::int64_t x = x_begin; x < x_end; ++x) {
                pixels_[static_cast<std::size_t>(row + x)] =
                    atlas_ != nullptr ? atlas_pixel(text, x - cell_left, y - cell_top)
                                      : cell_value(text_hash, x - cell_left, y - cell_top);
            }
        }
    }

    friend bool operator==(const Picture& a, const Picture& b) { return a.pixels_ == b.pixels_; }

    // The pixel at (x, y), which the picture must hold.
    std::uint32_t at(std::int64_t x, std::int64_t y) const {
        return pixels_[static_cast<std::size_t>((y - top_) * width_ + (x - left_))];
    }

private:
    static constexpr std::uint32_t line_value = 1;

    static std::uint32_t cell_value(std::uint64_t text_hash, std::int64_t x, std::int64_t y) {
        std::uint64_t value = text_hash + static_cast<std::uint64_t>(x) * 0x9e3779b97f4a7c15 +
                              static_cast<std::uint64_t>(y) * 0xc2b2ae3d27d4eb4f;
        value ^= value >> 31;
        return static_cast<std::uint32_t>(value) | 0x80000000u;
    }

    // The pixel at (x, y) of the cell of `text` composed from the atlas's digits.
    std::uint32_t atlas_pixel(std::string_view text, std::int64_t x, std::int64_t y) const {
        for (const char digit : text) {
            const auto index = static_cast<std::size_t>(digit - '0');
            const std::int64_t width = atlas_->widths[index];
            if (x < width) {
                return atlas_->cells[index][static_cast<std::size_t>(y * width + x)];
            }
            x -= width;
        }
        return 0;
    }

    void plot(std::int64_t x, std::int64_t y, std::uint32_t value) {
        if (x < left_ || x >= left_ + width_ || y < top_ || y >= top_ + height_) {
            return;
        }
        pixels_[static_cast<std::size_t>((y - top_) * width_ + (x - left_))] = value;
    }

    std::int64_t left_;
    std::int64_t top_;
    std::int64_t width_;
    std::int64_t height_;
    DigitWidths digit_widths_;
    std::int64_t text_height_;
    const DigitAtlas* atlas_;
    std::vector<std::uint32_t>& pixels_;
};
