// Program-wide handles of the shell, each set once at start-up.
#pragma once

#include <windows.h>

// The module whose resources and window class the shell uses.
extern HINSTANCE instance;
// The one top-level window.
extern HWND main_window;
// The accelerator table IDR_ACCELERATORS, used only by the message loop.
extern HACCEL accelerators;
