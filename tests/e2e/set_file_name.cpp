// Sets the file name box of the open dialog titled "Open" to its argument and exits with 0 once
// the box holds it: xdotool types only the letters its keyboard map has. The box belongs to
// another process, which only messages reach.
//
//   set_file_name.exe TEXT
#include <string>
#include <windows.h>
// dlgs.h needs windows.h first.
#include <dlgs.h>

namespace {

HWND file_name_box() {
    const HWND dialog = FindWindowW(L"#32770", L"Open");
    if (dialog == nullptr) {
        return nullptr;
    }
    const HWND combo = GetDlgItem(dialog, cmb13);
    return combo != nullptr ? combo : GetDlgItem(dialog, edt1);
}

std::wstring text_of(HWND box) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    const auto length = SendMessageW(box, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const HWND box = argc == 2 ? file_name_box() : nullptr;
    if (box == nullptr) {
        return 1;
    }
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[1]));
    return text_of(box) == argv[1] ? 0 : 1;
}
