// The About dialog: OK and the close box end it, Escape does not.
#include "about_dialog.h"
#include "resource_ids.h"
#include "shell_state.h"
#include "shell_test_support.h"

#include <string>
#include <vector>

namespace {

using AboutDialogTest = ShellTest;

constexpr std::string_view about_title = "About Velmora for Windows";

HWND about_dialog() {
    return find_dialog(about_title);
}

// A step that presses a key on the dialog's focused control, as the keyboard would.
ModalScript::Step press(WPARAM key) {
    return [key] {
        const HWND dialog = about_dialog();
        if (dialog == nullptr) {
            return false;
        }
        const HWND focus = GetFocus() != nullptr ? GetFocus() : dialog;
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        return true;
    };
}

ModalScript::Step note_open(std::vector<bool>& seen) {
    return [&seen] {
        seen.push_back(about_dialog() != nullptr);
        return true;
    };
}

ModalScript::Step click_ok() {
    return [] {
        const HWND dialog = about_dialog();
        if (dialog == nullptr) {
            return false;
        }
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return true;
    };
}

ModalScript::Step close_box() {
    return [] {
        const HWND dialog = about_dialog();
        if (dialog == nullptr) {
            return false;
        }
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    };
}

ModalScript::Step send_command(WORD command) {
    return [command] {
        const HWND dialog = about_dialog();
        if (dialog == nullptr) {
            return false;
        }
        PostMessageA(dialog, WM_COMMAND, command, 0);
        return true;
    };
}

INT_PTR run_about_dialog() {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(about_dialog_id), main_window,
                           about_dialog_proc, 0);
}

struct Ending {
    const char* what;
    ModalScript::Step step;
    INT_PTR result;
};

TEST_F(AboutDialogTest, OkEndsWithOneAndTheCloseBoxWithZero) {
    const std::vector<Ending> table{
        {"OK clicked", click_ok(), 1},
        {"Enter on the default button", press(VK_RETURN), 1},
        {"IDOK sent", send_command(IDOK), 1},
        {"close box", close_box(), 0},
    };
    for (const Ending& row : table) {
        SCOPED_TRACE(row.what);
        const ModalScript script({row.step});
        EXPECT_EQ(run_about_dialog(), row.result);
        EXPECT_FALSE(script.rescued());
        EXPECT_TRUE(script.finished());
    }
}

TEST_F(AboutDialogTest, EscapeAndOtherCommandsLeaveItOpen) {
    std::vector<bool> seen;
    const ModalScript script({press(VK_ESCAPE), note_open(seen), send_command(IDCANCEL),
                              note_open(seen), send_command(IDIGNORE), note_open(seen),
                              click_ok()});
    EXPECT_EQ(run_about_dialog(), 1);
    EXPECT_FALSE(script.rescued());
    EXPECT_EQ(seen, (std::vector<bool>{true, true, true}));
}

TEST_F(AboutDialogTest, AboutCommandRunsTheDialogOwnedByTheMainWindow) {
    HWND owner = nullptr;
    bool has_ok = false;
    bool main_window_disabled = false;
    std::string controls;
    const ModalScript script({[&] {
        const HWND dialog = about_dialog();
        if (dialog == nullptr) {
            return false;
        }
        owner = GetWindow(dialog, GW_OWNER);
        has_ok = GetDlgItem(dialog, IDOK) != nullptr;
        controls = window_text(GetDlgItem(dialog, IDC_ABOUT_CONTROLS));
        main_window_disabled = IsWindowEnabled(main_window) == FALSE;
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return true;
    }});
    SendMessageA(main_window, WM_COMMAND, command_about, 0);
    EXPECT_FALSE(script.rescued());
    EXPECT_EQ(owner, main_window);
    EXPECT_TRUE(has_ok);
    // Zooming and moving are found without a manual.
    for (const char* control : {"wheel", "Drag", "+ and -", "Arrow keys", "Home"}) {
        EXPECT_NE(controls.find(control), std::string::npos) << control;
    }
    EXPECT_TRUE(main_window_disabled) << "the dialog is modal";
    EXPECT_EQ(about_dialog(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(main_window));
}

} // namespace
