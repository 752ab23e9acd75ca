#include "token_scanner.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

constexpr bool is_hex_digit(int c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr int to_lower(int c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// "-inf" and "-nan" take the long way with the rest of the words.
bool is_alpha_after_sign(const char* p) {
    return *p == '-' && (to_lower(static_cast<unsigned char>(p[1])) == 'i' ||
                         to_lower(static_cast<unsigned char>(p[1])) == 'n');
}

// The bits start after the bytes and their margins, on a word's boundary.
constexpr std::size_t bits_offset(std::size_t capacity, std::size_t margin) {
    constexpr std::size_t word = sizeof(std::uint64_t);
    return (margin + capacity + margin + word - 1) / word * word;
}
// A word for every byte, and words for the whitespace marked past the last one.
constexpr std::size_t bits_bytes(std::size_t capacity) {
    return (capacity / 64 + 4) * sizeof(std::uint64_t);
}

} // namespace

// A file is read in blocks of block_size, or in one block just larger than the file where the
// file is smaller, so that a small file costs no large buffer. Twice the lookahead is the
// least: there is always room to top up a token.
std::size_t TokenScanner::buffer_size(std::uint64_t source_size) {
    constexpr std::uint64_t least = 2 * lookahead;
    if (source_size >= block_size) {
        return block_size;
    }
    return static_cast<std::size_t>(std::max(source_size + 1, least));
}

TokenScanner::TokenScanner(ByteSource& source, std::uint64_t start, BlockShelf* shelf)
    : source_(source), capacity_(buffer_size(source.size())),
      storage_(shelf, bits_offset(capacity_, margin) + bits_bytes(capacity_)),
      buffer_position_(start) {
    auto* const storage = static_cast<char*>(storage_.get());
    buffer_ = storage + margin;
    space_bits_ = reinterpret_cast<std::uint64_t*>(storage + bits_offset(capacity_, margin));
    next_ = end_ = buffer_;
    mark_buffered_spaces();
}

void TokenScanner::mark_buffered_spaces() {
    const auto filled = static_cast<std::size_t>(end_ - buffer_);
    mark_spaces(buffer_, 0, (filled + 63) / 64, space_bits_);
    std::uint64_t* word = space_bits_ + filled / 64;
    word[0] |= ~std::uint64_t{0} << (filled % 64);
    word[1] = word[2] = word[3] = ~std::uint64_t{0};
}

bool TokenScanner::refill() {
    if (at_end_) {
        return false;
    }
    const std::size_t count = source_.read(buffer_, capacity_);
    if (count == 0) {
        at_end_ = true;
        return false;
    }
    buffer_position_ += static_cast<std::uint64_t>(end_ - buffer_);
    next_ = buffer_;
    end_ = next_ + count;
    mark_buffered_spaces();
    return true;
}

// Moves the unread bytes to the front and tops the buffer up, so that any token shorter than
// `lookahead` lies wholly in the buffer unless the data ends first.
void TokenScanner::ensure_lookahead() {
    if (at_end_ || end_ - next_ >= lookahead) {
        return;
    }
    const std::size_t kept = static_cast<std::size_t>(end_ - next_);
    buffer_position_ += static_cast<std::uint64_t>(next_ - buffer_);
    if (kept != 0) {
        std::memmove(buffer_, next_, kept);
    }
    next_ = buffer_;
    end_ = next_ + kept;
    while (end_ - next_ < lookahead) {
        const auto filled = static_cast<std::size_t>(end_ - next_);
        const std::size_t count = source_.read(buffer_ + filled, capacity_ - filled);
        if (count == 0) {
            at_end_ = true;
            break;
        }
        end_ += count;
    }
    mark_buffered_spaces();
}

bool TokenScanner::start_token_near_end() {
    for (;;) {
        while (next_ != end_ && is_space(static_cast<unsigned char>(*next_))) {
            ++next_;
        }
        if (next_ != end_) {
            ensure_lookahead();
            return true;
        }
        if (!refill()) {
            return false;
        }
    }
}

std::string_view TokenScanner::label() const {
    const auto* zero = std::find(label_.data(), label_.data() + label_length_, '\0');
    return {label_.data(), static_cast<std::size_t>(zero - label_.data())};
}

bool TokenScanner::scan_label() {
    if (!start_token()) {
        return false;
    }
    std::size_t length = 0;
    int c = get();
    do {
        if (length == label_capacity) {
            label_too_long_ = true;
            return false;
        }
        label_[length++] = static_cast<char>(c);
        c = get();
    } while (c != end_of_data && !is_space(c));
    unget(c);
    label_length_ = length;
    return true;
}

bool TokenScanner::scan_int(std::int32_t& value) {
    if (!start_token()) {
        return false;
    }
    // Up to nine digits cannot overflow and convert in place; the rest goes the long way.
    const char* p = next_;
    const bool negative = *p == '-';
    p += negative || *p == '+';
    const char* const digits = p;
    std::int32_t magnitude = 0;
    while (p != end_ && p - digits < 9 && is_digit(static_cast<unsigned char>(*p))) {
        magnitude = magnitude * 10 + (*p++ - '0');
    }
    if (p != digits && (p != end_ ? !is_digit(static_cast<unsigned char>(*p)) : at_end_)) {
        value = negative ? -magnitude : magnitude;
        next_ = p;
        return true;
    }
    return scan_int_by_character(value);
}

bool TokenScanner::scan_int_by_character(std::int32_t& value) {
    int c = get();
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = get();
    }
    if (!is_digit(c)) {
        unget(c);
        return false;
    }
    // Digits beyond 2^31 cannot change the saturated result, so the magnitude stops there.
    constexpr std::int64_t limit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    do {
        magnitude = std::min(magnitude * 10 + (c - '0'), limit);
        c = get();
    } while (is_digit(c));
    unget(c);
    constexpr std::int64_t max = std::numeric_limits<std::int32_t>::max();
    value = static_cast<std::int32_t>(negative ? -magnitude : std::min(magnitude, max));
    return true;
}

// Matches the rest of "nan", "inf" or "inity" after `c`; a mismatching character is consumed
// with the rest, as the C library consumes it.
bool TokenScanner::scan_word(int c, std::string_view rest) {
    real_ += static_cast<char>(c);
    for (const char expected : rest) {
        c = get();
        if (c == end_of_data || to_lower(c) != expected) {
            return false;
        }
        real_ += static_cast<char>(c);
    }
    return true;
}

bool TokenScanner::scan_real(double& value) {
    if (!start_token()) {
        return false;
    }
    // The common decimal forms convert in place. The C library collects characters by rules
    // of its own, but where from_chars stops at the end of the token both take the whole
    // token; "inf", "nan" and everything else go the long way.
    const char first = *next_;
    if (is_digit(first) || first == '-' || first == '.') {
        double converted = 0.0;
        const auto [end, error] = std::from_chars(next_, end_, converted);
        if (error == std::errc{} && ends_token(end) && !is_alpha_after_sign(next_)) {
            value = converted;
            next_ = end;
            return true;
        }
    }
    return scan_real_by_character(value);
}

bool TokenScanner::scan_real_by_character(double& value) {
    int c = get();
    real_.clear();
    std::size_t sign_length = 0;
    if (c == '-' || c == '+') {
        real_ += static_cast<char>(c);
        sign_length = 1;
        c = get();
        if (c == end_of_data) {
            return false;
        }
    }

    if (to_lower(c) == 'n') {
        return scan_word(c, "an") && convert_real(value);
    }
    if (to_lower(c) == 'i') {
        if (!scan_word(c, "nf")) {
            return false;
        }
        c = get();
        if (to_lower(c) == 'i') {
            if (!scan_word(c, "nity")) {
                return false;
            }
        } else {
            unget(c);
        }
        return convert_real(value);
    }

    bool hex = false;
    bool got_digit = false;
    bool got_dot = false;
    bool got_exponent = false;
    if (c == '0') {
        real_ += '0';
        c = get();
        if (to_lower(c) == 'x') {
            real_ += static_cast<char>(c);
            hex = true;
            c = get();
        } else {
            got_digit = true;
        }
    }
    const char exponent_mark = hex ? 'p' : 'e';
    while (c != end_of_data) {
        if (is_digit(c) || (hex && !got_exponent && is_hex_digit(c))) {
            got_digit = true;
        } else if (got_exponent && real_.back() == exponent_mark && (c == '-' || c == '+')) {
        } else if (got_digit && !got_exponent && to_lower(c) == exponent_mark) {
            c = exponent_mark;
            got_exponent = true;
            got_dot = true;
        } else if (!got_dot && c == '.') {
            got_dot = true;
        } else {
            unget(c);
            break;
        }
        real_ += static_cast<char>(c);
        c = get();
    }
    if (real_.size() == sign_length || (hex && real_.size() == sign_length + 2)) {
        return false;
    }
    return convert_real(value);
}

// Converts the collected characters the way strtod would, assigning whatever prefix of them
// forms a number ("1e" is 1, "3." is 3); fails only when no prefix does.
bool TokenScanner::convert_real(double& value) const {
    std::string_view text = real_;
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+') {
        text.remove_prefix(1);
    }
    const bool hex = text.size() >= 2 && text[0] == '0' && to_lower(text[1]) == 'x';
    if (hex) {
        text.remove_prefix(2);
    }
    double magnitude = 0.0;
    const auto format = hex ? std::chars_format::hex : std::chars_format::general;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, format);
    if (error == std::errc::result_out_of_range) {
        // Overflow gives infinity and underflow zero or a denormal: the C library knows which.
        value = std::strtod(real_.c_str(), nullptr);
        return true;
    }
    if (error != std::errc{}) {
        if (!hex) {
            return false;
        }
        magnitude = 0.0; // "0x" followed by no hex digit reads as the leading zero
    }
    value = negative ? -magnitude : magnitude;
    return true;
}
