// Up to eight decimal digits converted at once, as bytes of one 64-bit word.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the digit conversion reads bytes");

// 10^0 to 10^19, every power of ten below 2^64.
inline constexpr std::array<std::uint64_t, 20> powers_of_ten = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::size_t k = 0; k < powers.size(); ++k) {
        powers[k] = power;
        power = k + 1 < powers.size() ? power * 10 : power;
    }
    return powers;
}();

// The eight bytes from `first`, where `count` (1 to 8) digits start: '0' to '9' become the
// values 0 to 9 and every other byte something larger; the bytes after the digits are
// shifted out, and zeros shifted in before them, leading zeros.
[[gnu::always_inline]] inline std::uint64_t digit_values(const char* first, std::size_t count) {
    std::uint64_t chunk;
    std::memcpy(&chunk, first, sizeof chunk);
    return (chunk ^ 0x3030303030303030) << (64 - 8 * count);
}

// The high bit of each byte of `values` (see digit_values) that is no digit.
[[gnu::always_inline]] inline std::uint64_t non_digits(std::uint64_t values) {
    return ((values + 0x7676767676767676) | values) & 0x8080808080808080;
}

[[gnu::always_inline]] inline bool all_digits(std::uint64_t values) {
    return non_digits(values) == 0;
}

// The number eight digit values make: pairs of digits, then fours, then all eight.
[[gnu::always_inline]] inline std::uint32_t number_of(std::uint64_t values) {
    values = values * 10 + (values >> 8);
    constexpr std::uint64_t pair_mask = 0x000000FF000000FF;
    constexpr std::uint64_t high_pairs = 100 + (std::uint64_t{1000000} << 32);
    constexpr std::uint64_t low_pairs = 1 + (std::uint64_t{10000} << 32);
    return static_cast<std::uint32_t>(
        ((values & pair_mask) * high_pairs + ((values >> 16) & pair_mask) * low_pairs) >> 32);
}
