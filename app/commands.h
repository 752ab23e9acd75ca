// The menu and accelerator commands of the main window.
#pragma once

#include <cstdint>

// Runs the command with the identifier `command` (the low word of WM_COMMAND's wParam);
// unknown identifiers do nothing.
void on_command(std::uint16_t command);
