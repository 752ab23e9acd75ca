#include "shell_state.h"

HINSTANCE instance = nullptr;
HWND main_window = nullptr;
HACCEL accelerators = nullptr;
