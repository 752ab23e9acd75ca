// File > Open: the dialog's description, choosing a node file, cancelling, and paths of any
// letters up to the longest Windows accepts.
#include "byte_source.h"
#include "mesh_model.h"
#include "mesh_reader.h"
#include "open_command.h"
#include "open_dialog_messages.h"
#include "resource_ids.h"
#include "shell_state.h"
#include "shell_test_support.h"

#include <array>
#include <cderr.h>
#include <cstddef>
#include <cstring>
#include <dlgs.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(OpenDialogDescription, FillsEveryFieldTheDialogNeeds) {
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0xCD, sizeof(dialog)); // whatever the caller's memory held
    std::array<char, 260> path{};
    path.fill('x');
    OpenFilter filter;
    filter.fill('x');
    describe_open_dialog(dialog, path.data(), static_cast<DWORD>(path.size()), filter);

    // The size without the Windows 2000 fields at this build's pointer size: 76 only in a
    // 32-bit build, which a 64-bit dialog would reject.
    EXPECT_EQ(dialog.lStructSize, offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));
    if constexpr (sizeof(void*) == 8) {
        EXPECT_NE(dialog.lStructSize, 76u);
    }
    EXPECT_EQ(dialog.hwndOwner, GetActiveWindow());
    EXPECT_EQ(dialog.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(dialog.lpstrFilter, filter.data());
    EXPECT_EQ(std::string(filter.data(), 24), std::string("Korrin Nodes Files\0*.n\0\0", 24));
    EXPECT_EQ(dialog.lpstrCustomFilter, nullptr);
    EXPECT_EQ(dialog.nMaxCustFilter, 0u);
    EXPECT_EQ(dialog.nFilterIndex, 1u);
    EXPECT_EQ(dialog.lpstrFile, path.data());
    EXPECT_STREQ(path.data(), "*.n");
    EXPECT_EQ(dialog.nMaxFile, 260u);
    EXPECT_EQ(dialog.lpstrFileTitle, nullptr);
    EXPECT_EQ(dialog.lpstrInitialDir, nullptr);
    EXPECT_STREQ(dialog.lpstrTitle, "Open");
    EXPECT_EQ(dialog.Flags, 0x0008181Cu);
    EXPECT_EQ(dialog.Flags, DWORD{OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                                  OFN_SHOWHELP | OFN_NOCHANGEDIR | OFN_HIDEREADONLY});
    EXPECT_STREQ(dialog.lpstrDefExt, "n");
    EXPECT_EQ(dialog.lCustData, 0);
    EXPECT_EQ(dialog.lpfnHook, nullptr);
    EXPECT_EQ(dialog.lpTemplateName, nullptr);
}

TEST(CodePage, VelmoraExeAsksForUtf8AndTheAnsiFunctionsTakeIt) {
    EXPECT_EQ(element_text(velmora_exe_manifest(), "activeCodePage"), "UTF-8");
    // The tests carry the same manifest, and the system reads the code page from it.
    EXPECT_EQ(GetACP(), UINT{CP_UTF8});
}

TEST(CodePage, TheReaderKnowsTheSizeOfAFileInAFolderOfAnyLetters) {
    std::array<char, max_path_length> temp{};
    GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
    const std::string folder = std::string(temp.data()) + "\u7F51\u683C \u00E9";
    const std::string original = test_data_path("triangles.n");
    const std::string copy = folder + "\\triangles.n";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(original.c_str(), copy.c_str(), FALSE));
    const auto source = open_file(copy);
    const std::uint64_t size = source != nullptr ? source->size() : 0;
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
    EXPECT_NE(size, ByteSource::unknown_size);
    EXPECT_EQ(size, open_file(original)->size());
}

using OpenCommandTest = ShellTest;

HWND open_dialog() {
    return find_dialog("Open");
}

HWND file_name_box(HWND dialog) {
    const HWND combo = GetDlgItem(dialog, cmb13);
    return combo != nullptr ? combo : GetDlgItem(dialog, edt1);
}

// Types `name` into the dialog's file name box and presses Open.
ModalScript::Step choose(const std::string& name) {
    return [name] {
        const HWND dialog = open_dialog();
        if (dialog == nullptr) {
            return false;
        }
        SetWindowTextA(file_name_box(dialog), name.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return true;
    };
}

std::string current_directory() {
    std::array<char, MAX_PATH> directory{};
    GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data());
    return directory.data();
}

struct Choice {
    std::string typed;
    int node_count;
    int element_count;
    int side_count;
    double x_max;
};

TEST_F(OpenCommandTest, ChoosingANodeFileReadsItsSetAndRepaintsTheWholeWindow) {
    const std::vector<Choice> table{
        {test_data_path("triangles.n"), 4, 2, 5, 10.0},
        {example_path("channel.n"), 27, 32, 58, 16.0},
    };
    for (const Choice& row : table) {
        SCOPED_TRACE(row.typed);
        current_mesh() = MeshModel{};
        pump_messages();
        const std::string directory_before = current_directory();
        const ModalScript script({choose(row.typed)});
        SendMessageA(main_window, WM_COMMAND, command_open, 0);
        EXPECT_FALSE(script.rescued());
        EXPECT_EQ(current_mesh().node_count(), row.node_count);
        EXPECT_EQ(current_mesh().element_count(), row.element_count);
        EXPECT_EQ(current_mesh().side_count(), row.side_count);
        EXPECT_EQ(current_mesh().x_max, row.x_max);
        RECT client{};
        GetClientRect(main_window, &client);
        RECT update{};
        ASSERT_TRUE(GetUpdateRect(main_window, &update, FALSE));
        EXPECT_TRUE(EqualRect(&update, &client));
        EXPECT_EQ(current_directory(), directory_before);
    }
}

TEST_F(OpenCommandTest, DialogShowsTheNodeFilterAHelpButtonAndBelongsToTheMainWindow) {
    HWND owner = nullptr;
    bool help_shown = false;
    std::vector<std::string> filters;
    const ModalScript script({[&] {
        const HWND dialog = open_dialog();
        if (dialog == nullptr) {
            return false;
        }
        owner = GetWindow(dialog, GW_OWNER);
        const HWND help = GetDlgItem(dialog, pshHelp);
        help_shown = help != nullptr && IsWindowVisible(help);
        const HWND types = GetDlgItem(dialog, cmb1);
        const auto count = SendMessageA(types, CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            std::array<char, 128> text{};
            SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(text.data()));
            filters.emplace_back(text.data());
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    SendMessageA(main_window, WM_COMMAND, command_open, 0);
    EXPECT_FALSE(script.rescued());
    EXPECT_EQ(owner, main_window);
    EXPECT_TRUE(help_shown);
    EXPECT_EQ(filters, std::vector<std::string>{"Korrin Nodes Files"});
}

TEST_F(OpenCommandTest, CancelKeepsTheMeshAndInvalidatesNothing) {
    load_test_rectangle();
    set_client_size(1000, 800);
    pump_messages();
    RECT dialog_area{};
    const ModalScript script({[&] {
        const HWND dialog = open_dialog();
        if (dialog == nullptr) {
            return false;
        }
        GetWindowRect(dialog, &dialog_area);
        MapWindowPoints(nullptr, main_window, reinterpret_cast<POINT*>(&dialog_area), 2);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
    }});
    SendMessageA(main_window, WM_COMMAND, command_open, 0);
    EXPECT_FALSE(script.rescued());
    EXPECT_TRUE(IsWindow(main_window));
    EXPECT_EQ(current_mesh().node_count(), 4);
    EXPECT_EQ(current_mesh().element_count(), 2);

    // Where the dialog lay, the window is repainted as any uncovered window is; the client
    // corners it never covered must stay valid.
    RECT client{};
    GetClientRect(main_window, &client);
    const UniqueRegion update(CreateRectRgn(0, 0, 0, 0));
    GetUpdateRgn(main_window, update.get(), FALSE);
    const std::vector<POINT> corners{{client.left + 1, client.top + 1},
                                     {client.right - 2, client.top + 1},
                                     {client.left + 1, client.bottom - 2},
                                     {client.right - 2, client.bottom - 2}};
    int checked = 0;
    for (const POINT corner : corners) {
        if (PtInRect(&dialog_area, corner)) {
            continue;
        }
        ++checked;
        EXPECT_FALSE(PtInRegion(update.get(), corner.x, corner.y))
            << "corner " << corner.x << ", " << corner.y << " was invalidated";
    }
    EXPECT_GT(checked, 0);
}

// Once the message box titled `title` is open, notes its owner and text (the static control
// that MessageBox gives the id 0xFFFF) and presses OK.
ModalScript::Step read_and_close_box(const char* title, HWND& owner, std::string& text) {
    return [title, &owner, &text] {
        const HWND box = find_dialog(title);
        if (box == nullptr) {
            return false;
        }
        owner = GetWindow(box, GW_OWNER);
        text = window_text(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

TEST_F(OpenCommandTest, HelpAnswersWithABoxOwnedByTheDialogWhichThenStillWorks) {
    HWND dialog = nullptr;
    HWND box_owner = nullptr;
    std::string box_text;
    bool dialog_usable = false;
    const ModalScript script({[&] {
                                  dialog = open_dialog();
                                  if (dialog == nullptr) {
                                      return false;
                                  }
                                  // As Windows' dialog asks when its Help button is pressed.
                                  PostMessageA(main_window, RegisterWindowMessageA(HELPMSGSTRINGA),
                                               reinterpret_cast<WPARAM>(dialog), 0);
                                  return true;
                              },
                              read_and_close_box("Opening a mesh", box_owner, box_text),
                              [&] {
                                  if (find_dialog("Opening a mesh") != nullptr) {
                                      return false;
                                  }
                                  dialog_usable =
                                      open_dialog() == dialog && IsWindowEnabled(dialog) != FALSE;
                                  return true;
                              },
                              choose(test_data_path("triangles.n"))});
    SendMessageA(main_window, WM_COMMAND, command_open, 0);
    EXPECT_FALSE(script.rescued());
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(box_owner, dialog);
    EXPECT_EQ(box_text,
              "Pick the node file (.n) of the mesh you want to see.\n\n"
              "Its element file and side file have the same name with the last letter e and s "
              "instead of n (mesh.e and mesh.s for mesh.n), and are read from the same folder.\n\n"
              "Whether the mesh is numbered from 0 or from 1 is recognised from the label of its "
              "first node.");
    EXPECT_TRUE(dialog_usable);
    EXPECT_EQ(current_mesh().node_count(), 4) << "the dialog still opens a mesh after the help";
}

// The Open command's stand-in for the dialog: it leaves a real node file's path in the buffer,
// as a dialog might before it fails, and ends as the test says.
OpenDialogResult stand_in_result{};

OpenDialogResult stand_in_dialog(char* path, DWORD capacity) {
    const std::string channel = example_path("channel.n");
    std::strncpy(path, channel.c_str(), capacity - 1);
    return stand_in_result;
}

struct DialogEnd {
    const char* what;
    DWORD error;
    const char* box_text; // nullptr: no box
};

TEST_F(OpenCommandTest, ADialogThatFailsIsReportedACancelIsNotAndTheMeshStays) {
    const std::vector<DialogEnd> table{
        {"cancel", 0, nullptr},
        {"a path too long", FNERR_BUFFERTOOSMALL,
         "The path of the chosen file is too long: the viewer opens paths of up to 259 "
         "characters. Move the mesh to a folder with a shorter path and open it there."},
        {"an invalid name", FNERR_INVALIDFILENAME,
         "The file name is not valid. Check the name and open the mesh again."},
        {"no memory", CDERR_MEMALLOCFAILURE,
         "There was not enough memory to show the Open dialog. Close other programs and open "
         "the mesh again."},
        {"any other failure", CDERR_DIALOGFAILURE,
         "The Open dialog could not be shown (common dialog error 0xFFFF)."},
    };
    load_test_rectangle();
    for (const DialogEnd& row : table) {
        SCOPED_TRACE(row.what);
        stand_in_result = {false, row.error};
        HWND box_owner = nullptr;
        std::string box_text;
        const ModalScript script({read_and_close_box("Velmora for Windows", box_owner, box_text)});
        open_mesh_command(stand_in_dialog);
        EXPECT_FALSE(script.rescued());
        EXPECT_EQ(script.finished(), row.box_text != nullptr);
        if (row.box_text != nullptr) {
            EXPECT_EQ(box_owner, main_window);
            EXPECT_EQ(box_text, row.box_text);
        }
        EXPECT_EQ(current_mesh().node_count(), 4) << "the test rectangle stays";
        EXPECT_EQ(current_mesh().x_max, 10.0);
    }
}

// The Open command's stand-in for the reader: it notes the path and the cursor it finds.
std::string path_loaded;
HCURSOR cursor_while_loading = nullptr;

void note_path_and_cursor(char* path) {
    path_loaded = path;
    cursor_while_loading = GetCursor();
}

// The Open command's stand-in for a dialog that chooses `stand_in_choice`, and fails as the
// dialog does where the buffer is too small for it.
std::string stand_in_choice;

OpenDialogResult choosing_dialog(char* path, DWORD capacity) {
    if (stand_in_choice.size() >= capacity) {
        return {false, FNERR_BUFFERTOOSMALL};
    }
    path[stand_in_choice.copy(path, capacity)] = '\0';
    return {true, 0};
}

std::string repeated(std::string_view letter, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += letter;
    }
    return text;
}

struct PathChoice {
    const char* what;
    std::string path;
    bool opened;
};

TEST_F(OpenCommandTest, OpensAnyPathWindowsAcceptsAndTellsOfLongerOnesAsTooLong) {
    // Windows counts a path in UTF-16 units, 259 at most: in UTF-8 that is up to 777 bytes.
    const std::vector<PathChoice> table{
        {"259 letters of three bytes", repeated("\u7F51", 259), true},
        {"260 letters of one byte", repeated("a", 260), false},
        {"130 letters of four bytes, two units each", repeated("\U0001F600", 130), false},
    };
    for (const PathChoice& row : table) {
        SCOPED_TRACE(row.what);
        stand_in_choice = row.path;
        path_loaded.clear();
        HWND box_owner = nullptr;
        std::string box_text;
        const ModalScript script({read_and_close_box("Velmora for Windows", box_owner, box_text)});
        open_mesh_command(choosing_dialog, note_path_and_cursor);
        EXPECT_FALSE(script.rescued());
        EXPECT_EQ(path_loaded, row.opened ? row.path : "");
        EXPECT_EQ(box_text, row.opened ? "" : open_dialog_failure_text(FNERR_BUFFERTOOSMALL));
    }
}

TEST_F(OpenCommandTest, ShowsTheWaitCursorWhileTheSetIsReadAndThenTheCursorBefore) {
    stand_in_result = {true, 0};
    path_loaded.clear();
    cursor_while_loading = nullptr;
    const HCURSOR before = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(before);
    open_mesh_command(stand_in_dialog, note_path_and_cursor);
    EXPECT_EQ(path_loaded, example_path("channel.n"));
    EXPECT_EQ(cursor_while_loading, LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(GetCursor(), before);
}

} // namespace
