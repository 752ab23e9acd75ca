// The status bar along the main window's bottom edge and its menu help.
#pragma once

#include <array>
#include <windows.h>

extern HWND status_bar;
// Text of the last menu-help lookup.
extern std::array<char, 256> status_text;

// Creates the status bar as a child of `parent` showing `text`, and lays out `parts` parts.
// False when no control was created.
bool create_status_bar(HWND parent, const char* text, int parts);

// Spreads `parts` (at least 1) parts over `window`'s client width, the last ending at its right
// edge, and shows "Ready".
void layout_status_parts(HWND window, int parts);

// Gives the status bar the font of its text at `dpi` dots per inch; laid out again, it takes that
// font's height. Until the first call the bar keeps the font it made itself at the system DPI.
void set_status_bar_dpi(UINT dpi);

// Shows `text` in part `part`; `type` is the SB_SETTEXT drawing type.
void set_status_text(const char* text, int part, int type);

// WM_MENUSELECT: shows the highlighted command's help string, or nothing for pop-up titles,
// separators, the system menu and a closed menu. Returns 0.
LRESULT on_menu_select(WPARAM wParam, LPARAM lParam);
