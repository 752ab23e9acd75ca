#include "about_dialog.h"

#include "resource_ids.h"
#include "shell_state.h"

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        // IDCANCEL, which Escape sends, is left unhandled on purpose: only OK closes.
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void show_about_dialog() {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(about_dialog_id), main_window, about_dialog_proc, 0);
}
