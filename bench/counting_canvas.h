// A canvas that only counts what it is asked to draw, so that painting is measured rather than
// the canvas. The sums of the coordinates keep the calls from being optimised away. Where it
// is asked to, it offers a digit atlas and a picture in memory, as the main window's picture
// does, and the painter composes the numbers there.
#pragma once

#include "canvas.h"
#include "digit_atlas.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class CountingCanvas final : public Canvas {
public:
    // The metrics of the default font of a window's device context, the raster System font:
    // 16 pixels high, every digit 8 pixels wide.
    static constexpr std::int32_t font_height = 16;
    static constexpr std::int32_t digit_width = 8;

    // What a full repaint of a window of this size may change; with `composes`, a picture of
    // that size to compose the numbers into.
    CountingCanvas(DeviceRect clip, bool composes) : clip_(clip) {
        if (composes) {
            atlas_.emplace();
            atlas_->height = font_height;
            atlas_->widths.fill(digit_width);
            for (auto& cell : atlas_->cells) {
                cell.assign(std::size_t{digit_width} * font_height, 0x00FF0000);
            }
            pixels_.resize(static_cast<std::size_t>(std::int64_t{clip.right - clip.left} *
                                                    (clip.bottom - clip.top)));
        }
    }

    std::int32_t text_height() override { return font_height; }
    void set_text_align(std::uint32_t) override {}
    void set_text_color(std::uint32_t) override {}
    void move_to(DevicePoint point) override {
        ++moves;
        checksum += static_cast<std::uint32_t>(point.x) ^ static_cast<std::uint32_t>(point.y);
    }
    void line_to(DevicePoint point) override {
        ++lines;
        checksum += static_cast<std::uint32_t>(point.x) ^ static_cast<std::uint32_t>(point.y);
    }
    void text_out(DevicePoint point, std::string_view text) override {
        ++texts;
        checksum +=
            static_cast<std::uint32_t>(point.x) + static_cast<std::uint32_t>(point.y) + text.size();
    }

    DeviceRect clip_box() override { return clip_; }
    // Numbers are all the painter measures: digits only.
    std::optional<std::int32_t> text_width(std::string_view text) override {
        return static_cast<std::int32_t>(text.size()) * digit_width;
    }

    const DigitAtlas* digit_atlas() override { return atlas_ ? &*atlas_ : nullptr; }
    PixelPicture pixels() override { return {pixels_.data(), clip_.right - clip_.left, clip_}; }

    std::uint64_t moves = 0;
    std::uint64_t lines = 0;
    std::uint64_t texts = 0;
    std::uint64_t checksum = 0;

private:
    DeviceRect clip_;
    std::optional<DigitAtlas> atlas_;
    std::vector<std::uint32_t> pixels_;
};
