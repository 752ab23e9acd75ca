// Start-up: the window class, the main window, its menu and accelerators, and the failures that
// make app_main return 0.
#include "app_main.h"
#include "main_window.h"
#include "resource_ids.h"
#include "shell_state.h"
#include "shell_test_support.h"
#include "status_bar.h"

#include <algorithm>
#include <array>
#include <commctrl.h>
#include <string>
#include <vector>

namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, RegistersTheWindowClassAsTheShellNeedsIt) {
    WNDCLASSA window_class{};
    ASSERT_TRUE(GetClassInfoA(instance, "VelmoraWindowsWndClass", &window_class));
    EXPECT_EQ(window_class.style, UINT{CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS});
    EXPECT_EQ(window_class.lpfnWndProc, &main_window_proc);
    EXPECT_EQ(window_class.hbrBackground, reinterpret_cast<HBRUSH>(6));
    EXPECT_EQ(window_class.lpszMenuName, MAKEINTRESOURCEA(main_menu_id));
    EXPECT_EQ(window_class.hIcon, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_EQ(window_class.hCursor, LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(StartupTest, CreatesTheVisibleMainWindowWithItsTitleAndStyle) {
    EXPECT_EQ(instance, GetModuleHandleA(nullptr));
    ASSERT_TRUE(IsWindow(main_window));
    EXPECT_TRUE(IsWindowVisible(main_window));
    EXPECT_EQ(window_text(main_window), "Velmora for Windows");
    EXPECT_EQ(GetParent(main_window), nullptr);
}

TEST_F(StartupTest, CreatesTheStatusBarShowingReady) {
    ASSERT_NE(status_bar, nullptr);
    EXPECT_EQ(GetDlgItem(main_window, status_bar_id), status_bar);
    std::array<char, 32> class_name{};
    GetClassNameA(status_bar, class_name.data(), static_cast<int>(class_name.size()));
    EXPECT_STREQ(class_name.data(), STATUSCLASSNAMEA);
    EXPECT_EQ(status_bar_text(), "Ready");
    EXPECT_EQ(SendMessageA(status_bar, SB_GETPARTS, 0, 0), 1);
}

struct MenuItem {
    UINT id;
    const char* text;
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
};

std::string menu_text(HMENU menu, UINT position) {
    std::array<char, 64> text{};
    GetMenuStringA(menu, position, text.data(), static_cast<int>(text.size()), MF_BYPOSITION);
    return text.data();
}

TEST_F(StartupTest, MenuBarHasFileAndHelpWithTheirCommands) {
    const std::vector<MenuPopup> expected{
        {"&File", {{200, "&New"}, {210, "&Open"}, {270, "&E&xit"}}},
        {"&Help", {{500, "&About"}}},
    };
    const HMENU menu_bar = GetMenu(main_window);
    ASSERT_NE(menu_bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu_bar), static_cast<int>(expected.size()));
    for (UINT popup_position = 0; popup_position < expected.size(); ++popup_position) {
        const MenuPopup& popup = expected[popup_position];
        SCOPED_TRACE(popup.title);
        EXPECT_EQ(menu_text(menu_bar, popup_position), popup.title);
        const HMENU items = GetSubMenu(menu_bar, static_cast<int>(popup_position));
        ASSERT_NE(items, nullptr);
        ASSERT_EQ(GetMenuItemCount(items), static_cast<int>(popup.items.size()));
        for (UINT position = 0; position < popup.items.size(); ++position) {
            EXPECT_EQ(GetMenuItemID(items, static_cast<int>(position)), popup.items[position].id);
            EXPECT_EQ(menu_text(items, position), popup.items[position].text);
        }
    }
}

TEST_F(StartupTest, AcceleratorTableHasOnlyCtrlQForExit) {
    ASSERT_NE(accelerators, nullptr);
    std::array<ACCEL, 4> entries{};
    ASSERT_EQ(CopyAcceleratorTableA(accelerators, entries.data(), 4), 1);
    EXPECT_EQ(entries[0].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
    EXPECT_EQ(entries[0].key, 'Q');
    EXPECT_EQ(entries[0].cmd, 270);
}

struct StringEntry {
    UINT id;
    const char* text;
};

TEST(StringTable, HoldsTheHelpTextOfEveryEntry) {
    const std::vector<StringEntry> table{
        {200, "Creates a new document"},
        {210, "Opens an existing document"},
        {220, "Saves the active document"},
        {230, "Saves the active document under a different name"},
        {240, "Closes the active document"},
        {270, "Quits this application"},
        {500, "Displays information about this application"},
        {2000, "Create, open, save, or print documents"},
        {2010, "Get help"},
        {2030, ""}, // the system menu's id, deliberately absent
        {250, ""},
        {600, ""},
    };
    for (const StringEntry& entry : table) {
        std::array<char, 256> text{};
        LoadStringA(GetModuleHandleA(nullptr), entry.id, text.data(),
                    static_cast<int>(text.size()));
        EXPECT_STREQ(text.data(), entry.text) << "string " << entry.id;
    }
}

struct LoopResult {
    BOOL get_message_result;
    bool continues;
};

TEST(MessageLoop, EndsOnQuitAndOnError) {
    const std::vector<LoopResult> table{{1, true}, {2, true}, {0, false}, {-1, false}};
    for (const LoopResult& row : table) {
        EXPECT_EQ(message_loop_continues(row.get_message_result), row.continues)
            << "GetMessageA returned " << row.get_message_result;
    }
}

class AppMainTest : public testing::Test {
protected:
    void TearDown() override { end_shell(); }
};

TEST_F(AppMainTest, ReturnsZeroWithoutAWindowWhenTheClassCannotBeRegistered) {
    WNDCLASSA taken{};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "VelmoraWindowsWndClass";
    ASSERT_NE(RegisterClassA(&taken), 0);
    EXPECT_EQ(app_main(GetModuleHandleA(nullptr)), 0);
    EXPECT_EQ(main_window, nullptr);
    EXPECT_EQ(FindWindowA(nullptr, "Velmora for Windows"), nullptr);
}

// A window's creation as CreateWindowExA was asked for it, before the system adjusts anything.
struct Creation {
    std::string class_name;
    std::string title;
    DWORD style;
    DWORD ex_style;
    HWND parent;
    HMENU menu;
};

std::vector<Creation> creations;

LRESULT CALLBACK record_creation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const auto text = [](LPCSTR name) {
            return name == nullptr || IS_INTRESOURCE(name) ? std::string() : std::string(name);
        };
        creations.push_back({text(create->lpszClass), text(create->lpszName),
                             static_cast<DWORD>(create->style), create->dwExStyle,
                             create->hwndParent, create->hMenu});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AppMainTest, CreatesTheMainWindowAndStatusBarWithTheirStyles) {
    creations.clear();
    const HHOOK hook = SetWindowsHookExA(WH_CBT, record_creation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const bool started = start_main_window(GetModuleHandleA(nullptr));
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(started);
    const auto created = [](std::string_view class_name) {
        const auto found = std::find_if(creations.begin(), creations.end(), [&](const Creation& c) {
            return c.class_name == class_name;
        });
        return found != creations.end() ? *found : Creation{};
    };

    const Creation window = created("VelmoraWindowsWndClass");
    EXPECT_EQ(window.title, "Velmora for Windows");
    EXPECT_EQ(window.style, 0x16CF0000u);
    // The system adds the frame's edge to every captioned window before the hook sees it.
    EXPECT_EQ(window.ex_style & ~DWORD{WS_EX_WINDOWEDGE}, 0u);
    EXPECT_EQ(window.parent, nullptr);
    EXPECT_EQ(window.menu, GetMenu(main_window)) << "the class menu";

    const Creation bar = created(STATUSCLASSNAMEA);
    EXPECT_EQ(bar.title, "Ready");
    EXPECT_EQ(bar.style, 0x50800100u);
    EXPECT_EQ(bar.parent, main_window);
    EXPECT_EQ(bar.menu, reinterpret_cast<HMENU>(status_bar_id)) << "the control id";
}

LRESULT CALLBACK refuse_main_window(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (create->lpszName != nullptr && IS_INTRESOURCE(create->lpszName) == FALSE &&
            std::string_view(create->lpszName) == "Velmora for Windows") {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AppMainTest, ReturnsZeroWhenTheMainWindowCannotBeCreated) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, refuse_main_window, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const int result = app_main(GetModuleHandleA(nullptr));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(main_window, nullptr);
    EXPECT_EQ(status_bar, nullptr);
}

TEST_F(AppMainTest, CtrlQThroughTheAcceleratorEndsWithZero) {
    bool window_was_up = false;
    ModalScript script({[&] {
        if (main_window == nullptr) {
            return false;
        }
        window_was_up = IsWindowVisible(main_window) != FALSE;
        std::array<BYTE, 256> keys{};
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys.data());
        PostMessageA(main_window, WM_KEYDOWN, 'Q', 1);
        return true;
    }});
    const int result = app_main(GetModuleHandleA(nullptr));
    EXPECT_FALSE(script.rescued());
    EXPECT_TRUE(window_was_up);
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(main_window));
}

TEST_F(AppMainTest, QWithoutCtrlIsNotTranslated) {
    bool still_open = false;
    ModalScript script({[&] {
                            if (main_window == nullptr) {
                                return false;
                            }
                            PostMessageA(main_window, WM_KEYDOWN, 'Q', 1);
                            return true;
                        },
                        [&] {
                            still_open = IsWindow(main_window) != FALSE;
                            PostMessageA(main_window, WM_CLOSE, 0, 0);
                            return true;
                        }});
    EXPECT_EQ(app_main(GetModuleHandleA(nullptr)), 0);
    EXPECT_FALSE(script.rescued());
    EXPECT_TRUE(still_open);
}

} // namespace
