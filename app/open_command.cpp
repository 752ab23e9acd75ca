#include "open_command.h"

#include "main_window.h"
#include "mesh_reader.h"
#include "open_dialog_messages.h"
#include "shell_state.h"

#include <algorithm>
#include <cderr.h>
#include <cstring>
#include <string_view>

namespace {

constexpr DWORD open_dialog_flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                                    OFN_SHOWHELP | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(open_dialog_flags == 0x0008181C);

constexpr std::string_view initial_file_name = "*.n";

// Description and pattern, with commas where the list needs zeros.
constexpr std::string_view filter_text = "Korrin Nodes Files,*.n";
static_assert(filter_text.size() + 2 <= open_filter_capacity);

// Shows the wait cursor for as long as it lives, then the cursor it replaced. No message is
// handled meanwhile, so nothing else sets the cursor.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

// Whether the dialog left a path the reader can open: terminated within the buffer, and no
// longer than the longest path Windows accepts, counted as Windows counts it. The buffer has
// room for more bytes than such a path takes in any code page.
bool openable_path(const char* path, std::size_t capacity) {
    if (std::memchr(path, '\0', capacity) == nullptr) {
        return false;
    }
    const int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0); // with the zero
    return units > 0 && static_cast<std::size_t>(units) <= max_path_units + 1;
}

void build_filter(OpenFilter& filter) {
    filter.fill('\0');
    std::copy(filter_text.begin(), filter_text.end(), filter.begin());
    std::replace(filter.begin(), filter.end(), ',', '\0');
    // The list ends with two zeros: the pattern's terminator and the empty entry after it.
    filter[filter_text.size()] = '\0';
    filter[filter_text.size() + 1] = '\0';
}

} // namespace

void describe_open_dialog(OPENFILENAMEA& dialog, char* path, DWORD capacity, OpenFilter& filter) {
    dialog = OPENFILENAMEA{};
    // The structure without the fields Windows 2000 added, at this build's own pointer size.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = GetActiveWindow();
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrTitle = "Open";
    dialog.nFilterIndex = 1;
    dialog.lpstrDefExt = "n";
    if (capacity > 0) {
        const std::size_t length = std::min<std::size_t>(initial_file_name.size(), capacity - 1);
        std::memcpy(path, initial_file_name.data(), length);
        path[length] = '\0';
    }
    build_filter(filter);
    dialog.Flags = open_dialog_flags;
    dialog.lpstrFilter = filter.data();
}

OpenDialogResult run_open_dialog(char* path, DWORD capacity) {
    OPENFILENAMEA dialog;
    OpenFilter filter;
    describe_open_dialog(dialog, path, capacity, filter);
    if (GetOpenFileNameA(&dialog) != FALSE) {
        return {true, 0};
    }
    return {false, CommDlgExtendedError()};
}

void open_mesh_command(OpenDialogRunner run_dialog, MeshLoader load) {
    std::array<char, max_path_length> path{};
    // Cancel, or a dialog that failed: nothing to read, and the current mesh stays on screen.
    // Only the failure is worth a word.
    OpenDialogResult dialog = run_dialog(path.data(), static_cast<DWORD>(path.size()));
    if (dialog.chosen && !openable_path(path.data(), path.size())) {
        dialog = {false, FNERR_BUFFERTOOSMALL}; // told as a path too long for the buffer
    }
    if (!dialog.chosen) {
        if (dialog.error != 0) {
            show_open_dialog_failure(dialog.error);
        }
        return;
    }
    {
        const WaitCursor wait;
        load(path.data());
    }
    // The window's picture notices the new mesh and shows it at the fit.
    InvalidateRect(main_window, nullptr, TRUE);
}
