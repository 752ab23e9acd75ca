// Whitespace-separated token scanning with the rules of the C library's %s, %d and %lf
// conversions, over a byte source read in large blocks.
//
// Each scan skips leading whitespace, converts the longest prefix the conversion accepts and
// leaves the first character after it unread. A scan that fails has still consumed what it
// looked at (the C library can push back only one character), so the next scan starts after
// it, as a chain of fscanf calls would. Where the C library leaves a result undefined, these
// rules hold instead: an integer beyond the 32-bit range saturates to INT32_MIN or
// INT32_MAX, and a label longer than label_capacity is reported, not overrun.
#pragma once

#include "block_shelf.h"
#include "byte_classes.h"
#include "byte_source.h"

#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TokenScanner {
public:
    static constexpr std::size_t label_capacity = 79;

    // `start`: the position of the source's next byte in its file, where the source has
    // been moved into it. With `shelf`, the buffer is taken from there where one of its size
    // waits, and put back there in the end.
    explicit TokenScanner(ByteSource& source, std::uint64_t start = 0, BlockShelf* shelf = nullptr);
    TokenScanner(const TokenScanner&) = delete;
    TokenScanner& operator=(const TokenScanner&) = delete;

    // %s: a run of non-whitespace characters. Fails at the end of the data, and when the
    // run is longer than label_capacity (then label_too_long() is set).
    bool scan_label();
    // %d: an optional sign and decimal digits.
    bool scan_int(std::int32_t& value);
    // %d with the value not kept.
    bool skip_int() {
        std::int32_t unused = 0;
        return scan_int(unused);
    }
    // %d into each of `values`, in order.
    template <std::same_as<std::int32_t>... Values> bool scan_ints(Values&... values) {
        return (scan_int(values) && ...);
    }
    // `count` times %d with the values not kept.
    template <int count> bool skip_ints() {
        for (int k = 0; k < count; ++k) {
            if (!skip_int()) {
                return false;
            }
        }
        return true;
    }
    // %lf: a decimal or hexadecimal real, "inf", "infinity" or "nan", with an optional sign.
    bool scan_real(double& value);

    // The last label scanned, up to its first zero character as a C string would be.
    std::string_view label() const;
    bool label_too_long() const { return label_too_long_; }
    // True once the end of the data has been reached: every further scan fails.
    bool exhausted() const { return at_end_ && next_ == end_; }
    // Skips whitespace, as every scan does first, and returns the position in the file of
    // the byte the next scan starts at (of the end of the data where there is none). The
    // scanner is wholly described by that position: one started there scans on alike.
    std::uint64_t next_token_position() {
        (void)start_token();
        return buffer_position_ + static_cast<std::uint64_t>(next_ - buffer_);
    }

private:
    friend class TokenRun; // the fast path, which reads the buffer and its whitespace bits

    static constexpr int end_of_data = -1;
    // Tokens shorter than this are converted in place, without copying.
    static constexpr std::ptrdiff_t lookahead = 128;

    int get() {
        if (next_ == end_ && !refill()) {
            return end_of_data;
        }
        return static_cast<unsigned char>(*next_++);
    }
    // Pushes back the character get() just returned.
    void unget(int c) {
        if (c != end_of_data) {
            --next_;
        }
    }
    static std::size_t buffer_size(std::uint64_t source_size);
    bool refill();
    // Marks the whitespace among the buffered bytes, and past them.
    void mark_buffered_spaces();
    void ensure_lookahead();
    // Skips whitespace and makes sure the token that follows is in the buffer, unless it is
    // longer than the lookahead; false at the end of the data.
    bool start_token() {
        while (next_ != end_ && is_space(static_cast<unsigned char>(*next_))) {
            ++next_;
        }
        return end_ - next_ >= lookahead || start_token_near_end();
    }
    bool start_token_near_end();
    // True when a number ending at `p` ends its token, so that the C library would have
    // stopped exactly there too.
    bool ends_token(const char* p) const {
        return p != end_ ? is_space(static_cast<unsigned char>(*p)) : at_end_;
    }
    bool scan_int_by_character(std::int32_t& value);
    bool scan_real_by_character(double& value);
    bool scan_word(int c, std::string_view rest);
    bool convert_real(double& value) const;

    ByteSource& source_;
    // The buffer's bytes lie between two margins that wide loads may read. The bytes, and
    // the bits, are left as they come: every one is written before it counts.
    static constexpr std::size_t margin = 64;
    std::size_t capacity_;
    // The bytes with their margins, then the whitespace bits: one block, so that the two are
    // kept, handed on and freed together.
    ShelfBlock storage_;
    char* buffer_ = nullptr;
    // Bit i of word i / 64: buffer_[i] is whitespace. Past the buffered bytes every bit is
    // set, so a token that reaches their end is seen to end there.
    std::uint64_t* space_bits_ = nullptr;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    std::uint64_t buffer_position_; // in the file, of buffer_[0]
    bool at_end_ = false;
    std::string real_; // characters of the real being converted
    std::array<char, label_capacity> label_{};
    std::size_t label_length_ = 0;
    bool label_too_long_ = false;
};
