#include "part_start.h"

#include "byte_classes.h"

std::optional<PartStart> guess_part_start(std::string_view window, std::uint64_t position,
                                          std::int32_t base) {
    constexpr std::size_t most_digits = 9; // fits an int32, as every index does
    const std::size_t line = window.find('\n');
    if (line == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t start = line + 1;
    while (start < window.size() && is_space(static_cast<unsigned char>(window[start]))) {
        ++start;
    }
    std::size_t end = start;
    std::uint64_t label = 0;
    while (end < window.size() && is_digit(window[end]) && end - start < most_digits) {
        label = label * 10 + static_cast<std::uint64_t>(window[end] - '0');
        ++end;
    }
    // The digits, the colon and the whitespace that ends the token, all in the window.
    if (end == start || end + 1 >= window.size() || window[end] != ':' ||
        !is_space(static_cast<unsigned char>(window[end + 1])) ||
        label < static_cast<std::uint64_t>(base)) {
        return std::nullopt;
    }
    return PartStart{static_cast<std::size_t>(label - static_cast<std::uint64_t>(base)),
                     position + start};
}
