// The double of the usual decimal reals, an optional minus and at most nineteen digits with at
// most one point, found faster than std::from_chars finds it and always the same.
//
// The digits make an integer w and the value is w / 10^k, k the digits after the point. Where
// k is 0, or w at most 2^53, that is one correctly rounded operation on exact values. Above, w
// times 10^-k rounded up to 64 bits gives the value's bits too large by less than 2^64 in 128:
// the rounding is decided unless the bits below the rounding point lie within that of it, as
// they do for a value exactly between two doubles or on one. There, and for every other form
// (an exponent, more digits), the conversion gives up and from_chars decides.
#pragma once

#include "byte_classes.h"
#include "decimal_digits.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

namespace decimal_real_detail {

inline constexpr std::size_t most_digits = 19; // 10^19 < 2^64
static_assert(powers_of_ten.size() == most_digits + 1);

// 10^-k scaled into [2^63, 2^64), rounded up: ceil(2^(63 + width) / 10^k), where 10^k has
// `width` bits.
struct Reciprocal {
    std::uint64_t scaled = 0;
    int width = 0;
};

inline constexpr std::array<Reciprocal, most_digits + 1> reciprocals = [] {
    std::array<Reciprocal, most_digits + 1> table{};
    for (std::size_t k = 1; k <= most_digits; ++k) {
        const std::uint64_t power = powers_of_ten[k];
        const int width = std::bit_width(power);
        const unsigned __int128 one = static_cast<unsigned __int128>(1) << (63 + width);
        table[k] = {static_cast<std::uint64_t>((one + power - 1) / power), width};
    }
    return table;
}();

// Appends `count` digits from `first` to `w`, eight at a time; false at a byte that is no digit.
[[gnu::always_inline]] inline bool take_digits(const char* first, std::size_t count,
                                               std::uint64_t& w) {
    while (count != 0) {
        const std::size_t chunk = count < 8 ? count : 8;
        const std::uint64_t values = digit_values(first, chunk);
        if (!all_digits(values)) {
            return false;
        }
        w = w * powers_of_ten[chunk] + number_of(values);
        first += chunk;
        count -= chunk;
    }
    return true;
}

// w / 10^k for w above 2^53 and k from 1 to 19, where the rounding can be decided.
[[gnu::always_inline]] inline bool quotient(std::uint64_t w, std::size_t k, double& magnitude) {
    const int shift = std::countl_zero(w);
    const Reciprocal reciprocal = reciprocals[k];
    // At least 2^126: both factors are at least 2^63.
    const unsigned __int128 product =
        static_cast<unsigned __int128>(w << shift) * reciprocal.scaled;
    const auto high = static_cast<std::uint64_t>(product >> 64);
    // 54 bits are kept, the double's 53 and the rounding bit. The product exceeds the exact
    // one by less than 2^64, so where the high half's bits below those kept are not all zero,
    // the exact ones are not either, and the kept bits are the exact ones: a rounding bit of 1
    // rounds up, there being something after it.
    const int dropped = 9 + static_cast<int>(high >> 63);
    if ((high & ((std::uint64_t{1} << dropped) - 1)) == 0) {
        return false;
    }
    const std::uint64_t kept = high >> dropped;
    std::uint64_t mantissa = (kept >> 1) + (kept & 1);
    // The product is the value times 2^(63 + width + shift); its kept bits start at bit
    // 64 + dropped, and the mantissa one higher.
    std::uint64_t biased_exponent =
        static_cast<std::uint64_t>(1023 + 52 + 1 + 64 + dropped - 63 - reciprocal.width - shift);
    if (mantissa == std::uint64_t{1} << 53) {
        mantissa >>= 1;
        ++biased_exponent;
    }
    constexpr std::uint64_t fraction_bits = (std::uint64_t{1} << 52) - 1;
    magnitude = std::bit_cast<double>((biased_exponent << 52) | (mantissa & fraction_bits));
    return true;
}

// The `count` (9 to 16) digits before `last` appended to `w`, all in one 16-byte register;
// false at a byte that is no digit. Reads the 16 bytes before `last`.
[[gnu::always_inline]] inline bool take_digits_in_register(const char* last, std::size_t count,
                                                           std::uint64_t& w) {
    // Loaded at `count`, sixteen zeros then sixteen ones keep the last `count` bytes.
    alignas(16) static constexpr std::array<std::uint8_t, 32> keep_last = {
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
        0,    0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last - 16));
    const __m128i keep =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(keep_last.data() + count));
    // The bytes before the digits become zeros, leading zeros.
    const __m128i values = _mm_and_si128(_mm_sub_epi8(bytes, _mm_set1_epi8('0')), keep);
    const __m128i nine = _mm_set1_epi8(9);
    const bool digits =
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(values, nine), values)) == 0xFFFF;
    // Widened to 16 bits, then each pair of digits, each pair of pairs and each pair of fours
    // multiplied and added (the first times 10, 100, 10000): the high eight digits and the low
    // eight, in 32 bits each. Every sum stays below 2^31, and every packed one below 2^15.
    const __m128i zero = _mm_setzero_si128();
    const __m128i tens = _mm_set1_epi32(0x0001000A);
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(values, zero), tens),
                                          _mm_madd_epi16(_mm_unpackhi_epi8(values, zero), tens));
    const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));
    const __m128i eights =
        _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(0x00012710));
    const auto both = static_cast<std::uint64_t>(_mm_cvtsi128_si64(eights));
    w = w * powers_of_ten[count] + (both & 0xFFFFFFFF) * powers_of_ten[8] + (both >> 32);
    return digits;
}

} // namespace decimal_real_detail

// The token [first, last) converted where it has the usual decimal form and its value can be
// decided here; false otherwise, `value` untouched. The 8 bytes after `last` and the 16 before
// it are read (their values do not matter), so they must be there.
[[gnu::always_inline]] inline bool exact_decimal(const char* first, const char* last,
                                                 double& value) {
    using namespace decimal_real_detail;
    const bool negative = first != last && *first == '-';
    const char* const digits = first + (negative ? 1 : 0);
    const auto length = static_cast<std::size_t>(last - digits);
    // The whole digits end at the first byte of eight that is no digit, or at the token's end;
    // only where all eight are digits is the rest looked at a byte at a time.
    const std::uint64_t leading = digit_values(digits, 8);
    const std::uint64_t others = non_digits(leading);
    std::size_t whole = others != 0 ? static_cast<std::size_t>(std::countr_zero(others)) / 8 : 8;
    whole = whole < length ? whole : length;
    if (whole == 8) {
        while (whole != length && is_digit(digits[whole])) {
            ++whole;
        }
    }
    const char* const point = digits + whole;
    std::size_t fraction = 0;
    if (point != last) {
        if (*point != '.') {
            return false;
        }
        fraction = static_cast<std::size_t>(last - point - 1);
    }
    if (whole + fraction == 0 || whole + fraction > most_digits) {
        return false;
    }
    // Digits all, as the point's search found; the first eight are those looked at already.
    std::uint64_t w = 0;
    if (whole > 8) {
        (void)take_digits(digits, whole, w);
    } else if (whole != 0) {
        w = number_of(leading << (64 - 8 * whole));
    }
    // Nine to sixteen digits after the point, as most reals written in full have: all at once,
    // without the loop.
    bool digits_only = false;
    if (fraction > 8 && fraction <= 16) {
        digits_only = take_digits_in_register(last, fraction, w);
    } else {
        digits_only = take_digits(point + 1, fraction, w);
    }
    if (!digits_only) {
        return false;
    }
    double magnitude = 0.0;
    if (fraction == 0) {
        // An integer converts correctly rounded, as the hardware converts every 64-bit one.
        magnitude = static_cast<double>(w);
    } else if (w <= std::uint64_t{1} << 53) {
        // 10^19 is exact too: 5^19 < 2^53.
        magnitude = static_cast<double>(w) / static_cast<double>(powers_of_ten[fraction]);
    } else if (!quotient(w, fraction, magnitude)) {
        return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}
