// The command lines of the benchmark programs: "--name value" pairs.
#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string_view>

// Hands each pair to `apply`, which says whether it knew the name. An unknown name or a name
// without its value is reported under `program`, and the result is false.
bool parse_option_pairs(std::string_view program, std::span<char* const> arguments,
                        const std::function<bool(std::string_view name, const char* value)>& apply);

using Clock = std::chrono::steady_clock;

inline double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
