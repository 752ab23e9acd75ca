// The command handler: New, Exit and unknown commands.
#include "app_main.h"
#include "commands.h"
#include "mesh_model.h"
#include "resource_ids.h"
#include "shell_state.h"
#include "shell_test_support.h"

#include <vector>

namespace {

using CommandTest = ShellTest;

bool client_area_is_valid() {
    return GetUpdateRect(main_window, nullptr, FALSE) == FALSE;
}

TEST_F(CommandTest, NewAndUnknownCommandsChangeNothing) {
    load_test_rectangle();
    InvalidateRect(main_window, nullptr, TRUE);
    pump_messages();
    // New, and identifiers that name no command.
    const std::vector<std::uint16_t> commands{
        command_new,    0,     IDS_FILE_SAVE, IDS_FILE_SAVE_AS, IDS_FILE_CLOSE, IDS_FILE_MENU,
        IDC_STATUS_BAR, 0xFFFF};
    for (const std::uint16_t command : commands) {
        SCOPED_TRACE(command);
        SendMessageA(main_window, WM_COMMAND, command, 0);
        EXPECT_TRUE(IsWindow(main_window));
        EXPECT_TRUE(client_area_is_valid());
        EXPECT_EQ(current_mesh().node_count(), 4);
        MSG message{};
        EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
            << "message " << message.message << " was posted";
    }
}

TEST_F(CommandTest, ExitClosesTheWindowAndTheLoopEndsWithZero) {
    SendMessageA(main_window, WM_COMMAND, command_exit, 0);
    EXPECT_TRUE(IsWindow(main_window)) << "Exit closes through a posted WM_CLOSE";
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_FALSE(IsWindow(main_window));
}

TEST_F(CommandTest, ExitTakesTheLowWordOfTheCommandOnly) {
    // A menu sends 0 in the high word, an accelerator 1; both must reach Exit.
    SendMessageA(main_window, WM_COMMAND, MAKEWPARAM(command_exit, 1), 0);
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_FALSE(IsWindow(main_window));
}

TEST_F(CommandTest, CloseBoxEndsTheLoopWithZero) {
    PostMessageA(main_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(run_message_loop(), 0);
    EXPECT_FALSE(IsWindow(main_window));
}

} // namespace
