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

// The atlas of a device context's current font and colours, captured again only when one of
// them changes. What a handle cannot tell (the fonts installed, font smoothing, the display)
// is the owner's to watch: it clears the cache when they change.
class DigitAtlasCache {
public:
    // Null where the font's digits cannot be composed.
    const DigitAtlas* atlas_for(HDC dc);
    void clear() { captured_.reset(); }

private:
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
};
