#include "status_bar.h"

#include "gdi_handles.h"
#include "resource_ids.h"
#include "shell_state.h"

#include <commctrl.h>
#include <vector>

HWND status_bar = nullptr;
std::array<char, 256> status_text{};

namespace {

constexpr LONG status_bar_style = WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP;
static_assert(status_bar_style == 0x50800100);

// The font given to the bar at the last change of DPI: a control never deletes its font.
UniqueFont status_bar_font;

// WM_MENUSELECT's flags when the menu has closed.
constexpr UINT menu_closed_flags = 0xFFFF;

// The string id whose text describes the menu selection, or 0 for no text.
UINT menu_help_string(UINT flags, UINT item, HMENU menu) {
    if (flags == menu_closed_flags && menu == nullptr) {
        return 0;
    }
    if ((flags & MF_SEPARATOR) != 0) {
        return 0;
    }
    if ((flags & MF_POPUP) != 0) {
        return (flags & MF_SYSMENU) != 0 ? string_system_menu : 0;
    }
    return item;
}

} // namespace

bool create_status_bar(HWND parent, const char* text, int parts) {
    status_bar = CreateStatusWindowA(status_bar_style, text, parent, status_bar_id);
    if (status_bar == nullptr) {
        return false;
    }
    layout_status_parts(parent, parts);
    return true;
}

void layout_status_parts(HWND window, int parts) {
    RECT client{};
    GetClientRect(window, &client);
    std::vector<int> right_edges(static_cast<std::size_t>(parts));
    for (int part = 0; part < parts; ++part) {
        right_edges[static_cast<std::size_t>(part)] = client.right * (part + 1) / parts;
    }
    SendMessageA(status_bar, SB_SETPARTS, static_cast<WPARAM>(parts),
                 reinterpret_cast<LPARAM>(right_edges.data()));
    set_status_text("Ready", 0, 0);
}

void set_status_bar_dpi(UINT dpi) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (status_bar == nullptr ||
        !SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return;
    }
    // The metrics are those of the system DPI, the one a screen DC reports; the system's own
    // status font at `dpi` is that font scaled, as a per-monitor aware program must do itself.
    const HDC screen = GetDC(nullptr);
    const int system_dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA& font = metrics.lfStatusFont;
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), system_dpi);
    UniqueFont made(CreateFontIndirectA(&font));
    if (made == nullptr) {
        return;
    }
    SendMessageA(status_bar, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    // Only now that the bar has let go of the previous font may it be deleted.
    status_bar_font = std::move(made);
}

void set_status_text(const char* text, int part, int type) {
    const auto part_and_type = static_cast<WORD>(part) | static_cast<WORD>(type);
    SendMessageA(status_bar, SB_SETTEXTA, part_and_type, reinterpret_cast<LPARAM>(text));
}

LRESULT on_menu_select(WPARAM wParam, LPARAM lParam) {
    status_text.fill('\0');
    const UINT string_id =
        menu_help_string(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HMENU>(lParam));
    if (string_id != 0) {
        LoadStringA(instance, string_id, status_text.data(), static_cast<int>(status_text.size()));
    }
    set_status_text(status_text.data(), 0, 0);
    return 0;
}
