// The status bar: menu help for every kind of menu selection, and "Ready" after every resize.
#include "resource_ids.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "status_bar.h"

#include <commctrl.h>
#include <string>
#include <vector>

namespace {

using StatusBarTest = ShellTest;

struct MenuSelection {
    const char* what;
    WORD item;
    WORD flags;
    bool null_menu;
    const char* text;
};

TEST_F(StatusBarTest, MenuSelectShowsTheHelpOfTheHighlightedItem) {
    const HMENU file_menu = GetSubMenu(GetMenu(main_window), 0);
    const HMENU system_menu = GetSystemMenu(main_window, FALSE);
    const std::vector<MenuSelection> table{
        {"File, New", command_new, MF_HILITE, false, "Creates a new document"},
        {"File, Open", command_open, MF_HILITE | MF_MOUSESELECT, false,
         "Opens an existing document"},
        {"File, Exit", command_exit, MF_HILITE, false, "Quits this application"},
        {"Help, About", command_about, MF_HILITE, false,
         "Displays information about this application"},
        {"a string-table id", IDS_FILE_SAVE_AS, 0, false,
         "Saves the active document under a different name"},
        {"the File menu's string id", IDS_FILE_MENU, 0, false,
         "Create, open, save, or print documents"},
        {"an id without a string", 999, MF_HILITE, false, ""},
        {"pop-up title File", 0, MF_POPUP | MF_HILITE, false, ""},
        {"pop-up title Help", 1, MF_POPUP | MF_HILITE | MF_MOUSESELECT, false, ""},
        {"the system menu", 0, MF_POPUP | MF_SYSMENU | MF_HILITE, false, ""},
        {"a system menu item", SC_CLOSE, MF_SYSMENU | MF_HILITE, false, ""},
        {"a separator", command_open, MF_SEPARATOR, false, ""},
        {"the menu closing", 0, 0xFFFF, true, ""},
        {"0xFFFF flags with a menu", command_open, 0xFFFF, false, ""},
    };
    for (const MenuSelection& row : table) {
        SCOPED_TRACE(row.what);
        set_status_text("before", 0, 0);
        const HMENU menu = row.null_menu                   ? nullptr
                           : (row.flags & MF_SYSMENU) != 0 ? system_menu
                                                           : file_menu;
        const LRESULT result =
            SendMessageA(main_window, WM_MENUSELECT, MAKEWPARAM(row.item, row.flags),
                         reinterpret_cast<LPARAM>(menu));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(status_bar_text(), row.text);
        EXPECT_STREQ(status_text.data(), row.text);
    }
}

TEST_F(StatusBarTest, TextStaysEmptyAfterTheMenuClosesUntilTheNextResize) {
    SendMessageA(main_window, WM_MENUSELECT, MAKEWPARAM(command_open, MF_HILITE),
                 reinterpret_cast<LPARAM>(GetMenu(main_window)));
    SendMessageA(main_window, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    pump_messages();
    EXPECT_EQ(status_bar_text(), "");
    set_client_size(500, 300);
    EXPECT_EQ(status_bar_text(), "Ready");
}

struct ClientSize {
    int width;
    int height;
};

TEST_F(StatusBarTest, EveryResizeShowsReadyInOnePartAcrossTheWholeWidth) {
    const std::vector<ClientSize> sizes{{640, 480}, {320, 240}, {1000, 700}, {400, 100}};
    for (const ClientSize& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        SendMessageA(main_window, WM_MENUSELECT, MAKEWPARAM(command_about, MF_HILITE),
                     reinterpret_cast<LPARAM>(GetMenu(main_window)));
        ASSERT_NE(status_bar_text(), "Ready");
        set_client_size(size.width, size.height);

        RECT main_client{};
        GetClientRect(main_window, &main_client);
        EXPECT_EQ(main_client.right, size.width);
        expect_status_bar_laid_out();
    }
}

TEST_F(StatusBarTest, SizeMessageBeforeTheStatusBarExistsLeavesItAlone) {
    const HWND bar = status_bar;
    set_status_text("kept", 0, 0);
    status_bar = nullptr;
    SendMessageA(main_window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    status_bar = bar;
    EXPECT_EQ(status_bar_text(), "kept");
}

TEST_F(StatusBarTest, LayoutSpreadsSeveralPartsUpToTheRightEdge) {
    set_client_size(600, 300);
    layout_status_parts(main_window, 3);
    std::array<int, 4> edges{};
    ASSERT_EQ(
        SendMessageA(status_bar, SB_GETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data())),
        3);
    EXPECT_EQ(edges[0], 200);
    EXPECT_EQ(edges[1], 400);
    EXPECT_EQ(edges[2], 600);
    EXPECT_EQ(status_bar_text(), "Ready");
}

} // namespace
