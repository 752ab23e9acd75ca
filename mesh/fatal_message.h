// Shows a message that ends the program: a message box where there is a desktop, otherwise
// the same caption and text on standard error.
#pragma once

#include <string_view>

void show_fatal_message(std::string_view caption, std::string_view text);
