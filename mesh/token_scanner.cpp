#include "token_scanner.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

// The C locale's isspace, without the locale lookup.
constexpr bool is_space(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
constexpr bool is_digit(int c) {
    return c >= '0' && c <= '9';
}
constexpr bool is_hex_digit(int c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr int to_lower(int c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

} // namespace

TokenScanner::TokenScanner(ByteSource& source) : source_(source), buffer_(block_size) {}

bool TokenScanner::refill() {
    if (at_end_) {
        return false;
    }
    const std::size_t count = source_.read(buffer_.data(), buffer_.size());
    if (count == 0) {
        at_end_ = true;
        return false;
    }
    next_ = buffer_.data();
    end_ = next_ + count;
    return true;
}

int TokenScanner::skip_space() {
    int c = get();
    while (is_space(c)) {
        c = get();
    }
    return c;
}

std::string_view TokenScanner::label() const {
    const auto* zero = std::find(label_.data(), label_.data() + label_length_, '\0');
    return {label_.data(), static_cast<std::size_t>(zero - label_.data())};
}

bool TokenScanner::scan_label() {
    int c = skip_space();
    if (c == end_of_data) {
        return false;
    }
    std::size_t length = 0;
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
    int c = skip_space();
    if (c == end_of_data) {
        return false;
    }
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
    int c = skip_space();
    if (c == end_of_data) {
        return false;
    }
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
