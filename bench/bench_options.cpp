#include "bench_options.h"

#include <cstdio>

bool parse_option_pairs(
    std::string_view program, std::span<char* const> arguments,
    const std::function<bool(std::string_view name, const char* value)>& apply) {
    for (std::size_t k = 0; k < arguments.size(); k += 2) {
        if (k + 1 == arguments.size() || !apply(arguments[k], arguments[k + 1])) {
            std::fprintf(stderr, "%.*s: unknown or incomplete option '%s'\n",
                         static_cast<int>(program.size()), program.data(), arguments[k]);
            return false;
        }
    }
    return true;
}
