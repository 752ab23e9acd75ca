// The drawing surface the painter draws on: the six operations it needs and nothing else.
// A window's GDI device context is one canvas; the tests record the calls on another.
#pragma once

#include "device_geometry.h"
#include "pixel_picture.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>

struct DigitAtlas;

// TA_CENTER | TA_TOP: a text's reference point is the middle of its top edge.
inline constexpr std::uint32_t text_align_top_center = 6;
// COLORREF of pure red.
inline constexpr std::uint32_t color_red = 0x000000FF;

class Canvas {
public:
    virtual ~Canvas() = default;
    // Height in pixels of the current font.
    virtual std::int32_t text_height() = 0;
    virtual void set_text_align(std::uint32_t align) = 0;
    virtual void set_text_color(std::uint32_t colorref) = 0;
    virtual void move_to(DevicePoint point) = 0;
    // A line from the current position to `point` with the current (default) pen.
    virtual void line_to(DevicePoint point) = 0;
    // `text` at `point`, with the current alignment, colour, font and opaque background.
    virtual void text_out(DevicePoint point, std::string_view text) = 0;

    // What lets the painter leave out work that cannot change a pixel. A canvas that cannot
    // tell keeps the defaults, and everything is drawn.

    // The smallest rectangle around everything drawing can still change.
    virtual DeviceRect clip_box() {
        constexpr auto min = std::numeric_limits<std::int32_t>::min();
        constexpr auto max = std::numeric_limits<std::int32_t>::max();
        return {min, min, max, max};
    }
    // The width in pixels of `text` in the current font, when the canvas can tell.
    virtual std::optional<std::int32_t> text_width(std::string_view) { return std::nullopt; }

    // What lets the painter draw faster with the same pixels. A canvas that cannot keeps the
    // defaults: the six operations draw everything.

    // Draws each segment as move_to and line_to would, in order; a canvas may draw them all at
    // once.
    virtual void draw_lines(std::span<const LineSegment> segments) {
        for (const LineSegment& segment : segments) {
            move_to(segment.from);
            line_to(segment.to);
        }
    }
    // Each digit as the current font, alignment and colours draw it, where the canvas's pixels
    // lie in memory and a number composed from its digits is the number as text_out draws it.
    // Asked once a paint, after the alignment and colour are set; null: numbers are drawn with
    // text_out.
    virtual const DigitAtlas* digit_atlas() { return nullptr; }
    // The canvas's pixels once everything asked of it so far is drawn, for composing numbers
    // from the digit atlas; asked only where digit_atlas() gave one.
    virtual PixelPicture pixels() { return {}; }
};
