#include "commands.h"

#include "about_dialog.h"
#include "open_command.h"
#include "resource_ids.h"
#include "shell_state.h"

#include <windows.h>

void on_command(std::uint16_t command) {
    switch (command) {
    case command_new:
        break; // there is nothing to create yet; New only has its menu help
    case command_open:
        open_mesh_command();
        break;
    case command_exit:
        PostMessageA(main_window, WM_CLOSE, 0, 0);
        break;
    case command_about:
        show_about_dialog();
        break;
    default:
        break;
    }
}
