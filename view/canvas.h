// The drawing surface the painter draws on: the six operations it needs and nothing else.
// A window's GDI device context is one canvas; the tests record the calls on another.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

struct DevicePoint {
    std::int32_t x;
    std::int32_t y;

    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// A rectangle in device pixels, y growing downward; the edges of a Win32 RECT. The right and
// bottom edges are exclusive.
struct DeviceRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;

    friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

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
};
