// The fast path of the token scanner: the tokens of one record taken at once from the
// scanner's buffer, found through its whitespace bits and converted in place.
//
// A run takes only tokens of the usual shape: integers of at most eight digits, decimal reals
// that std::from_chars (fast_float's algorithm in both standard libraries) reads to their
// end, and tokens shorter than 64 bytes; and only where the record lies wholly in the buffer.
// On anything else it gives up, having consumed nothing, and the record is scanned again
// token by token with the C library's rules. Where it succeeds, those rules give the same
// values and leave the scanner at the same place.
#pragma once

#include "token_scanner.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the digit conversion reads bytes");

// The value of `count` (1 to 8) decimal digits that end at `last`; false when any of them is
// no digit. Reads the eight bytes before `last`, whatever they hold.
[[gnu::always_inline]] inline bool digits_value(const char* last, std::size_t count,
                                                std::uint32_t& value) {
    std::uint64_t chunk;
    std::memcpy(&chunk, last - 8, sizeof chunk);
    // '0' to '9' become 0 to 9, every other byte something larger; the bytes before the
    // digits become zeros, leading zeros.
    chunk = (chunk ^ 0x3030303030303030) & (~std::uint64_t{0} << (64 - 8 * count));
    if (((chunk + 0x7676767676767676) | chunk) & 0x8080808080808080) {
        return false;
    }
    // Pairs of digits, then fours, then all eight.
    chunk = chunk * 10 + (chunk >> 8);
    constexpr std::uint64_t pair_mask = 0x000000FF000000FF;
    constexpr std::uint64_t high_pairs = 100 + (std::uint64_t{1000000} << 32);
    constexpr std::uint64_t low_pairs = 1 + (std::uint64_t{10000} << 32);
    chunk = ((chunk & pair_mask) * high_pairs + ((chunk >> 16) & pair_mask) * low_pairs) >> 32;
    value = static_cast<std::uint32_t>(chunk);
    return true;
}

class TokenRun {
public:
    // Starts at the scanner's next unread byte, as the next scan would.
    explicit TokenRun(TokenScanner& scanner) : scanner_(scanner) { restart(); }

    // Starts again where the scanner is, after it has scanned on its own.
    void restart() {
        buffer_ = scanner_.buffer_;
        bits_ = scanner_.space_bits_.data();
        filled_ = static_cast<std::size_t>(scanner_.end_ - buffer_);
        load(static_cast<std::size_t>(scanner_.next_ - buffer_));
    }

    // The scans of TokenScanner, for the usual shapes only.

    // %s, its text not kept: a token shorter than 64 bytes is within label_capacity.
    [[gnu::always_inline]] bool scan_label() { return next_token(); }

    [[gnu::always_inline]] bool scan_int(std::int32_t& value) {
        if (!next_token()) {
            return false;
        }
        const char first = buffer_[start_];
        const bool negative = first == '-';
        const std::size_t count = end_ - start_ - (negative | (first == '+'));
        std::uint32_t magnitude = 0;
        if (count - 1 >= 8 || !digits_value(buffer_ + end_, count, magnitude)) {
            return false;
        }
        // Eight digits are far from overflowing.
        value =
            negative ? -static_cast<std::int32_t>(magnitude) : static_cast<std::int32_t>(magnitude);
        return true;
    }

    // The decimal forms, on which from_chars and the C library agree where from_chars reads
    // the whole token: an optional minus, digits with at most one point, an optional
    // exponent. "inf", "nan", hexadecimal and a leading plus take the long way.
    [[gnu::always_inline]] bool scan_real(double& value) {
        if (!next_token()) {
            return false;
        }
        const char* const first = buffer_ + start_;
        const char* const last = buffer_ + end_;
        const char body = first[*first == '-'];
        if (!is_digit(body) && body != '.') {
            return false;
        }
        const auto [end, error] = std::from_chars(first, last, value);
        return error == std::errc{} && end == last;
    }

    // Leaves the scanner after the last token taken, where the next run goes on; false, and
    // nothing consumed, when that token reaches the end of the buffer and may go on in bytes
    // not yet read.
    bool finish() {
        if (end_ == filled_ && !scanner_.at_end_) {
            return false;
        }
        scanner_.next_ = buffer_ + end_;
        return true;
    }

private:
    static bool is_digit(char c) { return c >= '0' && c <= '9'; }

    // The whitespace bits of the 64 bytes from `offset` on.
    std::uint64_t spaces_at(std::size_t offset) const {
        const std::uint64_t* word = bits_ + offset / 64;
        const unsigned shift = offset % 64;
        return (word[0] >> shift) | ((word[1] << 1) << (63 - shift));
    }

    // Looks at the 64 bytes from `offset` on, taking the byte before as whitespace: bit i of
    // transitions_ tells where a token starts or ends. The scanner may have stopped inside a
    // token ("12abc" read as an integer); what follows is a token of its own.
    void load(std::size_t offset) {
        const std::uint64_t spaces = spaces_at(offset);
        window_ = offset;
        transitions_ = spaces ^ ((spaces << 1) | 1);
    }

    // Finds the next token, [start_, end_); false when it or the whitespace before it is 64
    // bytes or longer, or there is none in the buffer.
    [[gnu::always_inline]] bool next_token() {
        if (transitions_ == 0) {
            load(window_ + 64);
            if (transitions_ == 0) {
                return false;
            }
        }
        start_ = window_ + static_cast<std::size_t>(std::countr_zero(transitions_));
        transitions_ &= transitions_ - 1;
        if (transitions_ == 0) {
            load(start_);
            transitions_ &= transitions_ - 1;
            if (transitions_ == 0) {
                return false;
            }
        }
        end_ = window_ + static_cast<std::size_t>(std::countr_zero(transitions_));
        transitions_ &= transitions_ - 1;
        return true;
    }

    TokenScanner& scanner_;
    const char* buffer_ = nullptr;
    const std::uint64_t* bits_ = nullptr;
    std::size_t filled_ = 0;
    std::size_t window_ = 0;
    std::uint64_t transitions_ = 0;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};
