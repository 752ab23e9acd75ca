// What the viewer tells the user about the Open dialog: the answer to its Help button, and what
// went wrong when it failed.
#pragma once

#include <string>
#include <windows.h>

// The message the Open dialog sends its owner when its Help button is pressed (HELPMSGSTRING,
// "commdlg_help"), registered by register_open_dialog_help at start-up; 0 until then.
extern UINT open_dialog_help_message;

void register_open_dialog_help();

// Answers the Help button of the Open dialog `dialog` with a message box that it owns, telling
// what to pick.
void show_open_dialog_help(HWND dialog);

// Tells the user, in a message box owned by the main window, that the Open dialog failed with
// CommDlgExtendedError's code `error`.
void show_open_dialog_failure(DWORD error);

// The plain words for a failure of the Open dialog, given CommDlgExtendedError's code.
std::string open_dialog_failure_text(DWORD error);
