// File > Open: pick a node file in the open-file dialog and show its mesh.
#pragma once

#include <array>
#include <cstddef>
#include <windows.h> // with the common dialogs: this project never defines WIN32_LEAN_AND_MEAN

// The dialog's filter: "Korrin Nodes Files", "*.n" and the closing zeros.
inline constexpr std::size_t open_filter_capacity = 35;
using OpenFilter = std::array<char, open_filter_capacity>;

// Fills `dialog` for GetOpenFileNameA: file name buffer `path` of `capacity` characters, set to
// "*.n", and the single filter entry written into `filter`, which must outlive the dialog.
void describe_open_dialog(OPENFILENAMEA& dialog, char* path, DWORD capacity, OpenFilter& filter);

// Runs the open-file dialog; true when the user chose a file, whose path is then in `path`.
bool run_open_dialog(char* path, DWORD capacity);

// Command IDM_FILE_OPEN: reads the chosen file set and repaints. Cancelling changes nothing.
void open_mesh_command();
