#include "byte_classes.h"

#include <bit>
#include <cstring>
#include <emmintrin.h>

namespace {

__m128i load16(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i: p[i] is whitespace, for the 16 bytes at p.
std::uint64_t space_mask16(const char* p) {
    const __m128i bytes = load16(p);
    const __m128i blank = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '));
    // '\t' to '\r' are five consecutive codes: less than 5 once '\t' is taken away, unsigned.
    const __m128i control = _mm_sub_epi8(bytes, _mm_set1_epi8('\t'));
    const __m128i in_range = _mm_cmpeq_epi8(_mm_min_epu8(control, _mm_set1_epi8(4)), control);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(blank, in_range)));
}

} // namespace

void mark_spaces(const char* data, std::size_t first_word, std::size_t last_word,
                 std::uint64_t* bits) {
    for (std::size_t w = first_word; w < last_word; ++w) {
        const char* p = data + 64 * w;
        bits[w] = space_mask16(p) | space_mask16(p + 16) << 16 | space_mask16(p + 32) << 32 |
                  space_mask16(p + 48) << 48;
    }
}

const char* find_byte(const char* data, std::size_t size, char byte) {
    const __m128i wanted = _mm_set1_epi8(byte);
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(load16(data + i), wanted));
        if (mask != 0) {
            return data + i + std::countr_zero(static_cast<unsigned>(mask));
        }
    }
    const void* found = std::memchr(data + i, byte, size - i);
    return static_cast<const char*>(found);
}
