#include "app_main.h"

#include "main_window.h"
#include "open_dialog_messages.h"
#include "resource_ids.h"
#include "shell_state.h"
#include "status_bar.h"

#include <commctrl.h>

namespace {

// Any change of size repaints the whole client area.
constexpr UINT main_window_class_style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
static_assert(main_window_class_style == 0x000B);
constexpr DWORD main_window_style =
    WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(main_window_style == 0x16CF0000);

bool register_main_window_class() {
    WNDCLASSA window_class{};
    window_class.style = main_window_class_style;
    window_class.lpfnWndProc = main_window_proc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszMenuName = MAKEINTRESOURCEA(main_menu_id);
    window_class.lpszClassName = main_window_class_name;
    return RegisterClassA(&window_class) != 0;
}

} // namespace

bool start_main_window(HINSTANCE module) {
    instance = module;
    // The manifest asks for common controls 6, whose window classes exist only once registered.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!register_main_window_class()) {
        return false;
    }
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(accelerators_id));
    register_open_dialog_help();
    main_window =
        CreateWindowExA(0, main_window_class_name, main_window_title, main_window_style,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (main_window == nullptr) {
        return false;
    }
    create_status_bar(main_window, "Ready", 1);
    ShowWindow(main_window, SW_SHOW);
    return true;
}

int run_message_loop() {
    MSG message{};
    while (message_loop_continues(GetMessageA(&message, nullptr, 0, 0))) {
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

int app_main(HINSTANCE module) {
    if (!start_main_window(module)) {
        return 0;
    }
    return run_message_loop();
}
