// File > Open: pick a node file in the open-file dialog and show its mesh.
#pragma once

#include "mesh_reader.h"

#include <array>
#include <cstddef>
#include <windows.h> // with the common dialogs: this project never defines WIN32_LEAN_AND_MEAN

// The dialog's filter: "Korrin Nodes Files", "*.n" and the closing zeros.
inline constexpr std::size_t open_filter_capacity = 35;
using OpenFilter = std::array<char, open_filter_capacity>;

// Fills `dialog` for GetOpenFileNameA: file name buffer `path` of `capacity` bytes, set to
// "*.n", and the single filter entry written into `filter`, which must outlive the dialog.
void describe_open_dialog(OPENFILENAMEA& dialog, char* path, DWORD capacity, OpenFilter& filter);

// How the open-file dialog ended: with a chosen file, whose path is then in the path buffer, or
// without one; `error` is then CommDlgExtendedError's code, 0 when the user cancelled.
struct OpenDialogResult {
    bool chosen;
    DWORD error;
};

// Runs the open-file dialog.
OpenDialogResult run_open_dialog(char* path, DWORD capacity);

// What runs the dialog for the Open command: run_open_dialog, or a test's stand-in.
using OpenDialogRunner = OpenDialogResult (*)(char* path, DWORD capacity);

// What reads the chosen file set for the Open command: load_mesh_file_set, or a test's
// stand-in.
using MeshLoader = void (*)(char* path);

// Command IDM_FILE_OPEN: reads the chosen file set, with the wait cursor shown meanwhile, and
// repaints. Cancelling changes nothing; a failing dialog, or a path longer than Windows
// accepts, is reported in a message box and changes nothing either.
void open_mesh_command(OpenDialogRunner run_dialog = run_open_dialog,
                       MeshLoader load = load_mesh_file_set);
