#include "digit_atlas_capture.h"

#include "dib_picture.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {

// Two backgrounds no font draws on its own: a pixel that differs over both was drawn.
constexpr std::array<COLORREF, 2> backgrounds{RGB(0x12, 0x34, 0x56), RGB(0xED, 0xCB, 0xA9)};

// Fonts larger than this are drawn as text: their cells would cost more than they save.
constexpr int max_cell_side = 256;

// Every pair of digits once side by side, for the check of numbers against their composition.
constexpr std::string_view every_digit_pair = "0010203040506070809112131415161718192232425262"
                                              "7282933435363738394454647484955657585966768697"
                                              "787988990";

// Numbers of odd and even widths, for the check of how centred text sits.
constexpr std::array<std::string_view, 6> short_numbers{"1", "10", "47", "305", "8", "2147483647"};

int text_extent(HDC dc, std::string_view text) {
    SIZE size{};
    if (!GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size)) {
        return -1;
    }
    return size.cx;
}

std::vector<std::uint32_t> copy_pixels(const DibPicture& picture) {
    GdiFlush();
    const PixelPicture pixels = picture.pixels();
    return {pixels.pixels, pixels.pixels + pixels.width() * pixels.height()};
}

std::vector<std::uint32_t> draw_text(const DibPicture& picture, COLORREF background, int x, int y,
                                     std::string_view text) {
    picture.fill(background);
    TextOutA(picture.dc(), x, y, text.data(), static_cast<int>(text.size()));
    return copy_pixels(picture);
}

// The box of the pixels a drawing changed over either of the two backgrounds; empty (right <
// left) when it changed none.
RECT changed_box(const std::vector<std::uint32_t>& drawn_0, std::uint32_t background_0,
                 const std::vector<std::uint32_t>& drawn_1, std::uint32_t background_1, int width) {
    RECT box{width, static_cast<LONG>(drawn_0.size()), -1, -1};
    const auto height = static_cast<LONG>(drawn_0.size() / static_cast<std::size_t>(width));
    std::size_t i = 0;
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x, ++i) {
            if (drawn_0[i] != background_0 || drawn_1[i] != background_1) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return box;
}

// The picture's device context draws as `dc` does only where nothing but the copied state
// shapes text and lines.
bool draws_plainly(HDC dc) {
    return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE &&
           GetTextCharacterExtra(dc) == 0;
}

std::optional<DibPicture> scratch_like(HDC dc, int width, int height) {
    auto scratch = DibPicture::create(dc, width, height);
    if (scratch) {
        scratch->take_drawing_state(dc);
        SetTextAlign(scratch->dc(), TA_CENTER | TA_TOP);
    }
    return scratch;
}

// Draws digit `digit` over both backgrounds and keeps its cell, or says why it cannot.
bool capture_digit(const DibPicture& scratch, char digit, int x, int y, DigitAtlas& atlas,
                   std::optional<bool>& rounds_up) {
    const auto index = static_cast<std::size_t>(digit - '0');
    const int width = atlas.widths[index];
    const auto over_0 = draw_text(scratch, backgrounds[0], x, y, std::string_view(&digit, 1));
    const auto over_1 = draw_text(scratch, backgrounds[1], x, y, std::string_view(&digit, 1));
    const RECT box = changed_box(over_0, DibPicture::pixel_of(backgrounds[0]), over_1,
                                 DibPicture::pixel_of(backgrounds[1]), scratch.width());
    // Everything drawn lies in one opaque cell as wide as the digit's advance and as high as
    // the font, from the point down, centred on the point.
    if (box.top != y || box.bottom != y + atlas.height || box.right - box.left != width) {
        return false;
    }
    if (width % 2 == 1) {
        const bool up = box.left == centred_left(x, width, true);
        if ((!up && box.left != centred_left(x, width, false)) || (rounds_up && *rounds_up != up)) {
            return false;
        }
        rounds_up = up;
    } else if (box.left != centred_left(x, width, false)) {
        return false;
    }
    auto& cell = atlas.cells[index];
    cell.clear();
    for (LONG row = box.top; row < box.bottom; ++row) {
        for (LONG column = box.left; column < box.right; ++column) {
            const auto i =
                static_cast<std::size_t>(row) * static_cast<std::size_t>(scratch.width()) +
                static_cast<std::size_t>(column);
            if (over_0[i] != over_1[i]) {
                return false; // the cell is not opaque
            }
            cell.push_back(over_0[i]);
        }
    }
    return true;
}

// TextOutA and the composition from the atlas give the same pixels for `text` at (x, y).
bool composes_as_drawn(const DibPicture& scratch, const DigitAtlas& atlas, int x, int y,
                       std::string_view text) {
    if (text_extent(scratch.dc(), text) != atlas.text_width(text)) {
        return false;
    }
    const auto drawn = draw_text(scratch, backgrounds[0], x, y, text);
    scratch.fill(backgrounds[0]);
    const PixelPicture pixels = scratch.pixels();
    CoverageMask written(pixels.area);
    compose_number(pixels, written, atlas, {x, y}, text);
    return copy_pixels(scratch) == drawn;
}

} // namespace

std::optional<DigitAtlas> capture_digit_atlas(HDC dc) {
    if (!draws_plainly(dc) || GetBkMode(dc) != OPAQUE) {
        return std::nullopt;
    }
    TEXTMETRICA metrics{};
    if (!GetTextMetricsA(dc, &metrics) || metrics.tmHeight <= 0 ||
        metrics.tmHeight > max_cell_side) {
        return std::nullopt;
    }
    DigitAtlas atlas;
    atlas.height = metrics.tmHeight;
    for (char digit = '0'; digit <= '9'; ++digit) {
        const int width = text_extent(dc, std::string_view(&digit, 1));
        if (width <= 0 || width > max_cell_side) {
            return std::nullopt;
        }
        atlas.widths[static_cast<std::size_t>(digit - '0')] = width;
    }

    // Room for ink straying two cells' widths on every side.
    const int widest = *std::max_element(atlas.widths.begin(), atlas.widths.end());
    const int margin = 2 * widest + 2;
    const int y = atlas.height + 1;
    const int scratch_height = 3 * atlas.height + 2;
    std::optional<bool> rounds_up;
    {
        const auto scratch = scratch_like(dc, widest + 2 * margin, scratch_height);
        if (!scratch) {
            return std::nullopt;
        }
        for (char digit = '0'; digit <= '9'; ++digit) {
            if (!capture_digit(*scratch, digit, margin + widest / 2, y, atlas, rounds_up)) {
                return std::nullopt;
            }
        }
    }
    atlas.odd_width_rounds_up = rounds_up.value_or(false);

    const auto longest = static_cast<int>(atlas.text_width(every_digit_pair));
    const auto pairs = scratch_like(dc, longest + 2 * margin, scratch_height);
    if (!pairs || !composes_as_drawn(*pairs, atlas, pairs->width() / 2, y, every_digit_pair)) {
        return std::nullopt;
    }
    const auto numbers = scratch_like(dc, 10 * widest + 2 * margin + 1, scratch_height);
    if (!numbers) {
        return std::nullopt;
    }
    for (const std::string_view number : short_numbers) {
        for (const int x : {margin + widest * 5, margin + widest * 5 + 1}) {
            if (!composes_as_drawn(*numbers, atlas, x, y, number)) {
                return std::nullopt;
            }
        }
    }
    return atlas;
}

std::optional<std::uint32_t> one_step_line_pixel(HDC dc) {
    if (!draws_plainly(dc)) {
        return std::nullopt;
    }
    constexpr int side = 5;
    constexpr int centre = 2;
    const auto scratch = scratch_like(dc, side, side);
    if (!scratch) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> line_pixel;
    for (const COLORREF background : backgrounds) {
        const std::uint32_t blank = DibPicture::pixel_of(background);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0) {
                    continue;
                }
                scratch->fill(background);
                MoveToEx(scratch->dc(), centre, centre, nullptr);
                LineTo(scratch->dc(), centre + dx, centre + dy);
                auto pixels = copy_pixels(*scratch);
                const std::uint32_t start = pixels[centre * side + centre];
                if (line_pixel.value_or(start) != start) {
                    return std::nullopt;
                }
                line_pixel = start;
                pixels[centre * side + centre] = blank;
                if (std::any_of(pixels.begin(), pixels.end(),
                                [blank](std::uint32_t p) { return p != blank; })) {
                    return std::nullopt;
                }
            }
        }
    }
    return line_pixel;
}

const DigitAtlas* DrawingProbes::atlas_for(HDC dc) {
    const Key key{GetCurrentObject(dc, OBJ_FONT), GetTextColor(dc), GetBkColor(dc), GetBkMode(dc)};
    if (!captured_ || captured_->key != key) {
        captured_ = Captured{key, capture_digit_atlas(dc)};
    }
    return captured_->atlas ? &*captured_->atlas : nullptr;
}

std::optional<std::uint32_t> DrawingProbes::one_step_line_pixel_for(HDC dc) {
    const LineKey key{GetCurrentObject(dc, OBJ_PEN), GetROP2(dc), GetMapMode(dc),
                      GetGraphicsMode(dc), GetTextCharacterExtra(dc)};
    if (!line_ || line_->key != key) {
        line_ = LineProbe{key, one_step_line_pixel(dc)};
    }
    return line_->pixel;
}
