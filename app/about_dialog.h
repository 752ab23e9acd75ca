// The About dialog (IDD_ABOUT): closed by OK or the close box, not by Escape.
#pragma once

#include <windows.h>

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the About dialog modally, owned by the main window.
void show_about_dialog();
