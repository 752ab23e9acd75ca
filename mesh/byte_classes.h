// Looks at many bytes at a time: which are whitespace, and where a byte first occurs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

// The C locale's isspace, without the locale lookup.
constexpr bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The C locale's isdigit.
constexpr bool is_digit(int c) {
    return c >= '0' && c <= '9';
}

// Sets words [first_word, last_word) of `bits`: bit i of word w tells whether
// data[64 * w + i] is whitespace. Reads every byte of those words, so the caller's buffer must
// reach to data + 64 * last_word. Takes 32 bytes at a time where the processor has AVX2.
void mark_spaces(const char* data, std::size_t first_word, std::size_t last_word,
                 std::uint64_t* bits);
// The same 16 bytes at a time, with the SSE2 every x86-64 processor has.
void mark_spaces_sse2(const char* data, std::size_t first_word, std::size_t last_word,
                      std::uint64_t* bits);

// The first `byte` among the `size` bytes at `data`, or null.
const char* find_byte(const char* data, std::size_t size, char byte);

namespace byte_classes_detail {

// 0xFF for each of the 16 bytes in `from` to `from + span - 1` (unsigned).
inline __m128i in_range16(__m128i bytes, char from, char span) {
    const __m128i shifted = _mm_sub_epi8(bytes, _mm_set1_epi8(from));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, _mm_set1_epi8(static_cast<char>(span - 1))),
                          shifted);
}

inline std::uint64_t bits16(__m128i bytes, int at) {
    return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(bytes))} << at;
}

} // namespace byte_classes_detail

// Whether the `length` (1 to 64) bytes at `data` hold nothing but whitespace, the bits set in
// `spaces`, and runs of one to eight digits. Reads 64 bytes, whatever `length`.
[[gnu::always_inline]] inline bool digit_runs_only(const char* data, std::size_t length,
                                                   std::uint64_t spaces) {
    using namespace byte_classes_detail;
    std::uint64_t digits = 0;
    for (int at = 0; at < 64; at += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        digits |= bits16(in_range16(bytes, '0', 10), at);
    }
    const std::uint64_t within = ~std::uint64_t{0} >> (64 - length);
    digits &= within;
    // Nine digits in a row: runs of two, four, eight, then one more.
    std::uint64_t run = digits & (digits >> 1);
    run &= run >> 2;
    run &= run >> 4;
    run &= digits >> 8;
    return ((digits | spaces) & within) == within && run == 0;
}
