#include "byte_classes.h"

#include <bit>
#include <cstring>
#include <emmintrin.h>
#include <immintrin.h>

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

// The same for the 32 bytes at p.
[[gnu::target("avx2")]] std::uint64_t space_mask32(const char* p) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i blank = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(' '));
    const __m256i control = _mm256_sub_epi8(bytes, _mm256_set1_epi8('\t'));
    const __m256i in_range =
        _mm256_cmpeq_epi8(_mm256_min_epu8(control, _mm256_set1_epi8(4)), control);
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(blank, in_range)));
}

[[gnu::target("avx2")]] void mark_spaces_avx2(const char* data, std::size_t first_word,
                                              std::size_t last_word, std::uint64_t* bits) {
    for (std::size_t w = first_word; w < last_word; ++w) {
        const char* p = data + 64 * w;
        bits[w] = space_mask32(p) | space_mask32(p + 32) << 32;
    }
}

} // namespace

void mark_spaces(const char* data, std::size_t first_word, std::size_t last_word,
                 std::uint64_t* bits) {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        mark_spaces_avx2(data, first_word, last_word, bits);
    } else {
        mark_spaces_sse2(data, first_word, last_word, bits);
    }
}

void mark_spaces_sse2(const char* data, std::size_t first_word, std::size_t last_word,
                      std::uint64_t* bits) {
    for (std::size_t w = first_word; w < last_word; ++w) {
        const char* p = data + 64 * w;
        bits[w] = space_mask16(p) | space_mask16(p + 16) << 16 | space_mask16(p + 32) << 32 |
                  space_mask16(p + 48) << 48;
    }
}

const char* find_byte(const char* data, std::size_t size, char byte) {
    const __m128i wanted = _mm_set1_epi8(byte);
    const auto matches = [&](std::size_t at) { return _mm_cmpeq_epi8(load16(data + at), wanted); };
    std::size_t i = 0;
    // 64 bytes at a time, then the one of them that holds the byte.
    for (; i + 64 <= size; i += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(matches(i), matches(i + 16)),
                                         _mm_or_si128(matches(i + 32), matches(i + 48)));
        if (_mm_movemask_epi8(any) != 0) {
            break;
        }
    }
    for (; i + 16 <= size; i += 16) {
        if (const int mask = _mm_movemask_epi8(matches(i)); mask != 0) {
            return data + i + std::countr_zero(static_cast<unsigned>(mask));
        }
    }
    return static_cast<const char*>(std::memchr(data + i, byte, size - i));
}
