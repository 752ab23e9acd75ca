// The main window: its class, title and window procedure.
#pragma once

#include <windows.h>

inline constexpr const char* main_window_class_name = "VelmoraWindowsWndClass";
inline constexpr const char* main_window_title = "Velmora for Windows";

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The mesh, or what it is drawn with, has changed: the main window's picture is drawn afresh
// and its whole client area repainted.
void redraw_main_window();
