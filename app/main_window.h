// The main window: its class, title and window procedure.
#pragma once

#include "view_transform.h"

#include <windows.h>

inline constexpr const char* main_window_class_name = "VelmoraWindowsWndClass";
inline constexpr const char* main_window_title = "Velmora for Windows";

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The view the main window shows of the current mesh: the fit to its client area, zoomed and
// moved as the user has zoomed and moved it.
ViewTransform main_window_view();
