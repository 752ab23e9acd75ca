#include "fatal_message.h"

#include <string>
#include <windows.h>

void show_fatal_message(std::string_view caption, std::string_view text) {
    const std::string caption_z(caption);
    const std::string text_z(text);
    MessageBoxA(nullptr, text_z.c_str(), caption_z.c_str(), MB_OK);
}
