// The fast path of the token scanner: the tokens of one record taken at once from the
// scanner's buffer, found through its whitespace bits and converted in place.
//
// A run takes only tokens of the usual shape: integers of at most eight digits and no plus
// sign, decimal reals that exact_decimal, or else std::from_chars (fast_float's algorithm in
// both standard libraries), reads to their end, and labels within label_capacity; and only
// where the record lies wholly in the buffer. On anything else it gives up, having consumed
// nothing, and the record is scanned again token by token with the C library's rules. Where it
// succeeds, those rules give the same values and leave the scanner at the same place.
#pragma once

#include "decimal_digits.h"
#include "decimal_real.h"
#include "token_scanner.h"

#include <array>
#include <bit>
#include <charconv>
#include <concepts>
#include <cstdint>

class TokenRun {
public:
    // Starts at the scanner's next unread byte, as the next scan would.
    explicit TokenRun(TokenScanner& scanner) : scanner_(scanner) { restart(); }

    // Starts again where the scanner is, after it has scanned on its own.
    void restart() {
        buffer_ = scanner_.buffer_;
        bits_ = scanner_.space_bits_;
        filled_ = static_cast<std::size_t>(scanner_.end_ - buffer_);
        // The bytes before the next unread one count as whitespace: the scanner may have
        // stopped inside a token ("12abc" read as an integer), and what follows is a token of
        // its own.
        const auto offset = static_cast<std::size_t>(scanner_.next_ - buffer_);
        base_ = offset / 64 * 64;
        take_word(bits_[offset / 64] | ((std::uint64_t{1} << offset % 64) - 1), 1);
    }

    // The scans of TokenScanner, for the usual shapes only.

    // %s, its text not kept.
    [[gnu::always_inline]] bool scan_label() {
        return next_token() && end_ - start_ <= TokenScanner::label_capacity;
    }

    [[gnu::always_inline]] bool scan_int(std::int32_t& value) {
        bool negative = false;
        std::uint64_t digits = 0;
        if (!next_token() || !integer_token(negative, digits)) {
            return false;
        }
        // Eight digits are far from overflowing.
        const auto magnitude = static_cast<std::int32_t>(number_of(digits));
        value = negative ? -magnitude : magnitude;
        return true;
    }

    // %d, the value not kept.
    [[gnu::always_inline]] bool skip_int() {
        bool negative = false;
        std::uint64_t digits = 0;
        return next_token() && integer_token(negative, digits);
    }

    // %d scans into each of `values`: their tokens looked at together where they lie within
    // 64 bytes and are unsigned, one at a time otherwise.
    template <std::same_as<std::int32_t>... Values>
    [[gnu::always_inline]] bool scan_ints(Values&... values) {
        constexpr std::size_t count = sizeof...(Values);
        const std::size_t base = base_;
        const std::uint64_t transitions = transitions_;
        std::array<std::size_t, count> starts;
        std::array<std::size_t, count> ends;
        for (std::size_t k = 0; k < count; ++k) {
            if (!next_start(starts[k])) {
                return false;
            }
            ends[k] = next_end();
        }
        if (digit_runs_between(starts.front(), ends.back())) {
            end_ = ends.back();
            std::size_t k = 0;
            ((values = static_cast<std::int32_t>(
                  number_of(digit_values(buffer_ + starts[k], ends[k] - starts[k]))),
              ++k),
             ...);
            return true;
        }
        base_ = base;
        transitions_ = transitions;
        return (scan_int(values) && ...);
    }

    // `count` %d scans, the values not kept: their tokens looked at together where they lie
    // within 64 bytes and are unsigned, one at a time otherwise.
    template <int count> [[gnu::always_inline]] bool skip_ints() {
        const std::size_t base = base_;
        const std::uint64_t transitions = transitions_;
        // Locals, not members, so that the positions not used are not worked out.
        std::size_t first = 0;
        if (!next_start(first)) {
            return false;
        }
        std::size_t end = next_end();
        for (int k = 1; k < count; ++k) {
            std::size_t start = 0;
            if (!next_start(start)) {
                return false;
            }
            end = next_end();
        }
        if (digit_runs_between(first, end)) {
            end_ = end;
            return true;
        }
        base_ = base;
        transitions_ = transitions;
        for (int k = 0; k < count; ++k) {
            if (!skip_int()) {
                return false;
            }
        }
        return true;
    }

    // The decimal forms, on which from_chars and the C library agree where from_chars reads
    // the whole token: an optional minus, digits with at most one point, an optional
    // exponent. "inf", "nan", hexadecimal and a leading plus take the long way.
    [[gnu::always_inline]] bool scan_real(double& value) {
        if (!next_token()) {
            return false;
        }
        // One to eight digits, as the coordinates of a mesh on a grid are written: a value
        // every double holds exactly.
        std::uint64_t digits = 0;
        if (unsigned_token(digits)) {
            value = static_cast<double>(number_of(digits));
            return true;
        }
        const char* const first = buffer_ + start_;
        const char* const last = buffer_ + end_;
        // The buffer's margins hold the bytes before the first token and after the last.
        if (exact_decimal(first, last, value)) {
            return true;
        }
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
    // Whether the token found is an optional minus and one to eight digits, whose values it
    // gives (see digit_values). A plus sign, rare, takes the long way: it is no digit.
    [[gnu::always_inline]] bool integer_token(bool& negative, std::uint64_t& digits) const {
        negative = buffer_[start_] == '-';
        const std::size_t count = end_ - start_ - negative;
        if (count - 1 >= 8) {
            return false;
        }
        digits = digit_values(buffer_ + end_ - count, count);
        return all_digits(digits);
    }

    // Whether the token found is one to eight digits, whose values it gives.
    [[gnu::always_inline]] bool unsigned_token(std::uint64_t& digits) const {
        const std::size_t count = end_ - start_;
        if (count - 1 >= 8) {
            return false;
        }
        digits = digit_values(buffer_ + start_, count);
        return all_digits(digits);
    }

    // Takes the whitespace bits of the word at base_, the byte before being whitespace
    // (`before` 1) or not (0): bit i of transitions_ tells where a token starts or ends at
    // byte base_ + i.
    [[gnu::always_inline]] void take_word(std::uint64_t spaces, std::uint64_t before) {
        transitions_ = spaces ^ ((spaces << 1) | before);
    }

    // Finds the next token, [start_, end_); false when there is none in the buffer. Tokens
    // start and end in turn, the first after whitespace, so a word whose transitions are all
    // taken ends in whitespace before a start and inside a token before an end.
    [[gnu::always_inline]] bool next_token() {
        return next_start(start_) && (end_ = next_end(), true);
    }

    [[gnu::always_inline]] bool next_start(std::size_t& start) {
        while (transitions_ == 0) {
            if (base_ + 64 >= filled_) {
                return false;
            }
            base_ += 64;
            take_word(bits_[base_ / 64], 1);
        }
        start = base_ + lowest_bit(transitions_);
        transitions_ &= transitions_ - 1;
        return true;
    }

    // A token ends at the end of the bytes read at the latest: the bits after are set.
    [[gnu::always_inline]] std::size_t next_end() {
        while (transitions_ == 0) {
            base_ += 64;
            take_word(bits_[base_ / 64], 0);
        }
        const std::size_t end = base_ + lowest_bit(transitions_);
        transitions_ &= transitions_ - 1;
        return end;
    }

    // Whether [first, end), which starts and ends with a token, is within 64 bytes and holds
    // nothing but whitespace and runs of one to eight digits.
    [[gnu::always_inline]] bool digit_runs_between(std::size_t first, std::size_t end) const {
        return end - first <= 64 && digit_runs_only(buffer_ + first, end - first, spaces_at(first));
    }

    // The whitespace bits of the 64 bytes from `at`, which lies among the bytes read.
    std::uint64_t spaces_at(std::size_t at) const {
        const std::uint64_t* word = bits_ + at / 64;
        // Shifted twice, the next word's bits go wholly where `at` starts a word.
        return (word[0] >> at % 64) | ((word[1] << 1) << (63 - at % 64));
    }

    static std::size_t lowest_bit(std::uint64_t bits) {
        return static_cast<std::size_t>(std::countr_zero(bits));
    }

    TokenScanner& scanner_;
    const char* buffer_ = nullptr;
    const std::uint64_t* bits_ = nullptr;
    std::size_t filled_ = 0;
    std::size_t base_ = 0;          // the first byte of the word of bits being looked at
    std::uint64_t transitions_ = 0; // those of its transitions not yet taken
    std::size_t start_ = 0;
    std::size_t end_ = 0;
};
