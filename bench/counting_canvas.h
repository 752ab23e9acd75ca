// A canvas that only counts what it is asked to draw, so that painting is measured rather than
// the canvas. The sums of the coordinates keep the calls from being optimised away.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <optional>
#include <string_view>

class CountingCanvas final : public Canvas {
public:
    // The metrics of the default font of a window's device context under Wine, as
    // velmora_repaint_bench prints them: 16 pixels high, every digit 7 pixels wide.
    static constexpr std::int32_t font_height = 16;
    static constexpr std::int32_t digit_width = 7;

    // What a full repaint of a window of this size may change.
    explicit CountingCanvas(DeviceRect clip) : clip_(clip) {}

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

    std::uint64_t moves = 0;
    std::uint64_t lines = 0;
    std::uint64_t texts = 0;
    std::uint64_t checksum = 0;

private:
    DeviceRect clip_;
};
