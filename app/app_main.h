// Start-up, message loop and end of the program.
#pragma once

#include <windows.h>

// Registers the window class, loads the accelerators, creates the main window with its status
// bar and runs the message loop. Returns the quit code (0), or 0 at once when the class cannot
// be registered or the window cannot be created.
int app_main(HINSTANCE module);

// Start-up without the loop: everything app_main does before its message loop. False when the
// class or the window could not be made.
bool start_main_window(HINSTANCE module);

// Runs the message loop until the quit message, or until GetMessageA fails; returns the quit
// message's code.
int run_message_loop();

// Whether the loop goes on after GetMessageA returned `result`: not on WM_QUIT (0) and not on
// an error (-1), which would otherwise repeat forever.
constexpr bool message_loop_continues(BOOL result) {
    return result > 0;
}
