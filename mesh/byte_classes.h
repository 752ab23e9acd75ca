// Looks at many bytes at a time: which are whitespace, and where a byte first occurs.
#pragma once

#include <cstddef>
#include <cstdint>

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
