// What a device context draws, found out by drawing in a scratch picture with the same font,
// pen and colours: the pixels of each digit, and the pixel a one-step line sets.
#pragma once

#include "digit_atlas.h"

#include <cstdint>
#include <optional>
#include <windows.h>

// Each digit as `dc` draws it centred on the top edge's middle (TA_CENTER | TA_TOP) with its
// current font and colours, checked: every
// digit's ink stays inside its cell, and numbers of several digits drawn with TextOutA equal
// their composition from the atlas pixel for pixel. Nothing where a check fails (kerning,
// overhang, colour bleeding from one cell into the next) or the font is not drawn in cells.
std::optional<DigitAtlas> capture_digit_atlas(HDC dc);

// The pixel value a line of one step (its end point a neighbour of its start) drawn on `dc`
// sets at its start, where in every direction and over any background it sets that pixel
// and no other; nothing otherwise.
std::optional<std::uint32_t> one_step_line_pixel(HDC dc);

// What a device context draws, found out again only when what shapes it changes: the atlas of
// its current font and colours, and the pixel a one-step line sets with its current pen. What a
// handle cannot tell (the fonts installed, font smoothing, the display) is the owner's to watch:
// it clears the probes when they change.
class DrawingProbes {
public:
    // Null where the font's digits cannot be composed.
    const DigitAtlas* atlas_for(HDC dc);
    // As one_step_line_pixel.
    std::optional<std::uint32_t> one_step_line_pixel_for(HDC dc);
    void clear() {
        captured_.reset();
        line_.reset();
    }

private:
    struct LineKey {
        HGDIOBJ pen;
        int mix_mode;
        int map_mode;
        int graphics_mode;
        int character_extra;

        friend bool operator==(const LineKey&, const LineKey&) = default;
    };
    struct LineProbe {
        LineKey key;
        std::optional<std::uint32_t> pixel;
    };
    struct Key {
        HGDIOBJ font;
        COLORREF text_colour;
        COLORREF background;
        int background_mode;

        friend bool operator==(const Key&, const Key&) = default;
    };
    struct Captured {
        Key key;
        std::optional<DigitAtlas> atlas;
    };
    std::optional<Captured> captured_;
    std::optional<LineProbe> line_;
};
