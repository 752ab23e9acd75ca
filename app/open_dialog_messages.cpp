#include "open_dialog_messages.h"

#include "main_window.h"
#include "mesh_reader.h"
#include "shell_state.h"

#include <array>
#include <cderr.h>
#include <cstdio>

UINT open_dialog_help_message = 0;

namespace {

constexpr const char* help_caption = "Opening a mesh";
constexpr const char* help_text =
    "Pick the node file (.n) of the mesh you want to see.\n\n"
    "Its element file and side file have the same name with the last letter e and s instead of "
    "n (mesh.e and mesh.s for mesh.n), and are read from the same folder.\n\n"
    "Whether the mesh is numbered from 0 or from 1 is recognised from the label of its first "
    "node.";

// The text for a path too long names the longest path the viewer opens.
static_assert(max_path_units == 259);

} // namespace

void register_open_dialog_help() {
    open_dialog_help_message = RegisterWindowMessageA(HELPMSGSTRINGA);
}

void show_open_dialog_help(HWND dialog) {
    MessageBoxA(dialog, help_text, help_caption, MB_OK | MB_ICONINFORMATION);
}

void show_open_dialog_failure(DWORD error) {
    MessageBoxA(main_window, open_dialog_failure_text(error).c_str(), main_window_title,
                MB_OK | MB_ICONERROR);
}

std::string open_dialog_failure_text(DWORD error) {
    switch (error) {
    case FNERR_BUFFERTOOSMALL:
        return "The path of the chosen file is too long: the viewer opens paths of up to 259 "
               "characters. Move the mesh to a folder with a shorter path and open it there.";
    case FNERR_INVALIDFILENAME:
        return "The file name is not valid. Check the name and open the mesh again.";
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
    case FNERR_SUBCLASSFAILURE:
        return "There was not enough memory to show the Open dialog. Close other programs and "
               "open the mesh again.";
    default: {
        std::array<char, 96> text{};
        std::snprintf(text.data(), text.size(),
                      "The Open dialog could not be shown (common dialog error 0x%04lX).",
                      static_cast<unsigned long>(error));
        return text.data();
    }
    }
}
