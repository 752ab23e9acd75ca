#include "byte_classes.h"
#include "decimal_real.h"
#include "token_run.h"
#include "token_scanner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// Hands out its data a few bytes at a time, so that tokens straddle the scanner's refills.
class TrickleSource final : public ByteSource {
public:
    TrickleSource(std::string_view data, std::size_t step) : data_(data), step_(step) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        MemorySource rest(data_.substr(0, std::min({capacity, step_, data_.size()})));
        const std::size_t count = rest.read(buffer, capacity);
        data_.remove_prefix(count);
        return count;
    }
    std::uint64_t size() const override { return unknown_size; }

private:
    std::string_view data_;
    std::size_t step_;
};

// Hands out its data in reads of the given sizes, then whatever is asked for, and cannot tell
// its size: the scanner must never ask for more than its buffer holds.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string_view data, std::vector<std::size_t> chunks)
        : data_(data), chunks_(std::move(chunks)) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        std::size_t count = std::min(capacity, data_.size());
        if (next_chunk_ < chunks_.size()) {
            count = std::min(count, chunks_[next_chunk_++]);
        }
        MemorySource rest(data_.substr(0, count));
        rest.read(buffer, capacity);
        data_.remove_prefix(count);
        return count;
    }
    std::uint64_t size() const override { return unknown_size; }

private:
    std::string_view data_;
    std::vector<std::size_t> chunks_;
    std::size_t next_chunk_ = 0;
};

// What the next label scan sees after a conversion; "" when nothing is left.
std::string rest_after(TokenScanner& scanner) {
    return scanner.scan_label() ? std::string(scanner.label()) : std::string();
}

struct RealCase {
    const char* input;
    bool assigned;
    double value; // when assigned
    const char* rest;
};

constexpr double inf = std::numeric_limits<double>::infinity();

const RealCase real_cases[] = {
    {"1e5", true, 1e5, ""},
    {".5", true, 0.5, ""},
    {"-0", true, -0.0, ""},
    {"+7", true, 7.0, ""},
    {"0.1", true, 0.1, ""},
    {"  \t\r\n 42", true, 42.0, ""},
    {"inf", true, inf, ""},
    {"-Infinity", true, -inf, ""},
    {"infx", true, inf, "x"},
    {"0x1p3", true, 8.0, ""},
    {"-0X1.8P1", true, -3.0, ""},
    {"0x.8", true, 0.5, ""},
    {"0x.", true, 0.0, ""},
    {"1e", true, 1.0, ""},
    {"1e+", true, 1.0, ""},
    {"1ex", true, 1.0, "x"},
    {"3.x", true, 3.0, "x"},
    {"12abc", true, 12.0, "abc"},
    {"1.5.3", true, 1.5, ".3"},
    {"1e5e3", true, 1e5, "e3"},
    {"1e400", true, inf, ""},
    {"-1e400", true, -inf, ""},
    {"1e-400", true, 0.0, ""},
    {"4.9406564584124654e-324", true, std::numeric_limits<double>::denorm_min(), ""},
    {"179769313486231570814527423731704356798070567525844996598917476803157260780028538760589"
     "558632766878171540458953514382464234321326889464182768467546703537516986049910576551282"
     "076245490090389328944075868508455133942304583236903222948165808559332123348274797826204"
     "144723168738177180919299881250404026184124858368",
     true, std::numeric_limits<double>::max(), ""},
    // Failures consume what they looked at; the next scan starts after it.
    {".", false, 0, ""},
    {"-x", false, 0, "x"},
    {"+", false, 0, ""},
    {"0x", false, 0, ""},
    {"0xg", false, 0, "g"},
    {"nax 5", false, 0, "5"},
    {"infinix y", false, 0, "y"},
    {"e5", false, 0, "e5"},
    {"abc", false, 0, "abc"},
    {"", false, 0, ""},
};

TEST(TokenScannerReal, ConvertsLikeTheCLibrary) {
    // Each case's scanner takes the buffer of the case before, its bytes and bits still there,
    // as the scanner of a part takes the buffer of a part done.
    BlockShelf buffers;
    for (const RealCase& c : real_cases) {
        SCOPED_TRACE(c.input);
        MemorySource source(c.input);
        TokenScanner scanner(source, 0, &buffers);
        double value = 12345.0;
        EXPECT_EQ(scanner.scan_real(value), c.assigned);
        if (c.assigned) {
            EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(c.value));
        } else {
            EXPECT_EQ(value, 12345.0) << "a failed scan leaves the field alone";
        }
        EXPECT_EQ(rest_after(scanner), c.rest);
    }
}

TEST(TokenScannerReal, NanKeepsItsSign) {
    MemorySource source("nan -NaN");
    TokenScanner scanner(source);
    double value = 0;
    ASSERT_TRUE(scanner.scan_real(value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_FALSE(std::signbit(value));
    ASSERT_TRUE(scanner.scan_real(value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_TRUE(std::signbit(value));
}

struct IntCase {
    const char* input;
    bool assigned;
    std::int32_t value;
    const char* rest;
};

constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();

const IntCase int_cases[] = {
    {"42", true, 42, ""},
    {"+5", true, 5, ""},
    {"-5", true, -5, ""},
    {"007", true, 7, ""},
    {"12abc", true, 12, "abc"},
    {"1.5", true, 1, ".5"},
    {"0x10", true, 0, "x10"},
    {"2147483647", true, int_max, ""},
    {"-2147483648", true, int_min, ""},
    // Beyond the 32-bit range the value saturates and the whole token is consumed.
    {"2147483648", true, int_max, ""},
    {"99999999999999999999999 7", true, int_max, "7"},
    {"-2147483649", true, int_min, ""},
    {"-99999999999999999999999", true, int_min, ""},
    {"-", false, 0, ""},
    {"-x", false, 0, "x"},
    {"x", false, 0, "x"},
    {"", false, 0, ""},
};

TEST(TokenScannerInt, ConvertsAndSaturates) {
    for (const IntCase& c : int_cases) {
        SCOPED_TRACE(c.input);
        MemorySource source(c.input);
        TokenScanner scanner(source);
        std::int32_t value = 12345;
        EXPECT_EQ(scanner.scan_int(value), c.assigned);
        EXPECT_EQ(value, c.assigned ? c.value : 12345);
        EXPECT_EQ(rest_after(scanner), c.rest);
    }
}

TEST(TokenScannerLabel, TakesUpToSeventyNineCharacters) {
    const std::string longest(79, 'a');
    const std::string too_long(80, 'b');
    const std::string input = longest + "\n" + too_long + " c";
    MemorySource source(input);
    TokenScanner scanner(source);
    ASSERT_TRUE(scanner.scan_label());
    EXPECT_EQ(scanner.label(), longest);
    EXPECT_FALSE(scanner.label_too_long());
    EXPECT_FALSE(scanner.scan_label());
    EXPECT_TRUE(scanner.label_too_long());
}

TEST(TokenScannerLabel, ReadsUpToAZeroCharacterLikeACString) {
    const std::string input("0:\0x 5", 6);
    MemorySource source(input);
    TokenScanner scanner(source);
    ASSERT_TRUE(scanner.scan_label());
    EXPECT_EQ(scanner.label(), "0:");
    std::int32_t value = 0;
    ASSERT_TRUE(scanner.scan_int(value));
    EXPECT_EQ(value, 5);
}

TEST(TokenScanner, TokensAcrossBlockBoundariesReadTheSame) {
    const std::string input = "3\n0: -1.25e-3 0x1p-2 -7\n1: inf 3.x 12abc .5e1 +0 2147483648\n";
    for (std::size_t step : {1u, 2u, 3u, 5u, 7u, 1024u}) {
        SCOPED_TRACE(step);
        TrickleSource source(input, step);
        TokenScanner scanner(source);
        std::int32_t count = 0, mark = 0;
        double x = 0, y = 0;
        ASSERT_TRUE(scanner.scan_int(count));
        EXPECT_EQ(count, 3);
        ASSERT_TRUE(scanner.scan_label());
        EXPECT_EQ(scanner.label(), "0:");
        ASSERT_TRUE(scanner.scan_real(x) && scanner.scan_real(y) && scanner.scan_int(mark));
        EXPECT_EQ(x, -1.25e-3);
        EXPECT_EQ(y, 0.25);
        EXPECT_EQ(mark, -7);
        ASSERT_TRUE(scanner.scan_label() && scanner.scan_real(x) && scanner.scan_real(y));
        EXPECT_EQ(x, inf);
        EXPECT_EQ(y, 3.0);
        EXPECT_FALSE(scanner.scan_int(mark)) << "the x of 3.x is no integer";
        ASSERT_TRUE(scanner.scan_label());
        EXPECT_EQ(scanner.label(), "x");
        ASSERT_TRUE(scanner.scan_int(mark));
        EXPECT_EQ(mark, 12);
        ASSERT_TRUE(scanner.scan_label());
        EXPECT_EQ(scanner.label(), "abc");
        ASSERT_TRUE(scanner.scan_real(x) && scanner.scan_real(y) && scanner.scan_int(mark));
        EXPECT_EQ(x, 5.0);
        EXPECT_EQ(y, 0.0);
        EXPECT_EQ(mark, int_max);
        EXPECT_FALSE(scanner.scan_label());
        EXPECT_TRUE(scanner.exhausted());
    }
}

TEST(TokenScanner, ShortReadsFollowedByALongOneStayInsideTheBuffer) {
    // A token near the end of the buffer is topped up by several reads; the last one may
    // fill all the room that is left, and no more.
    const std::string input = "1" + std::string(std::size_t{3} << 20, ' ') + "5 6";
    ChunkedSource source(input, {1, 1});
    TokenScanner scanner(source);
    std::int32_t value = 0;
    ASSERT_TRUE(scanner.scan_int(value));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(scanner.scan_int(value));
    EXPECT_EQ(value, 5);
    ASSERT_TRUE(scanner.scan_int(value));
    EXPECT_EQ(value, 6);
    EXPECT_FALSE(scanner.scan_int(value));
    EXPECT_TRUE(scanner.exhausted());
}

enum class Scan { label, integer, real };

struct FastCase {
    const char* token;
    Scan scan;
    bool fast; // whether the fast path takes it, rather than the scan token by token
};

const FastCase fast_cases[] = {
    {"42", Scan::integer, true},
    {"-5", Scan::integer, true},
    {"+5", Scan::integer, false},
    {"-0", Scan::integer, true},
    {"00000007", Scan::integer, true},
    {"99999999", Scan::integer, true},
    {"123456789", Scan::integer, false},
    {"2147483648", Scan::integer, false},
    {"12abc", Scan::integer, false},
    {"1:", Scan::integer, false},
    {"1.5", Scan::integer, false},
    {"-", Scan::integer, false},
    {"7", Scan::real, true},
    {"12345678", Scan::real, true},
    {"123456789", Scan::real, true},
    {"12a", Scan::real, false},
    {"0.6666666666666666", Scan::real, true},
    {"1.6666666666666667", Scan::real, true},
    {"2.3333333333333335", Scan::real, true},
    {"-123456789.01234567", Scan::real, true},
    {"9007199254740993.0", Scan::real, true},
    {"12345678901234567890", Scan::real, true},
    {"-12.5e-3", Scan::real, true},
    {".5", Scan::real, true},
    {"3.", Scan::real, true},
    {"-0", Scan::real, true},
    {"1E5", Scan::real, true},
    {"4.9406564584124654e-324", Scan::real, true},
    {"+7", Scan::real, false},
    {"inf", Scan::real, false},
    {"-nan", Scan::real, false},
    {"0x1p3", Scan::real, false},
    {"1e", Scan::real, false},
    {"1.5.3", Scan::real, false},
    {".", Scan::real, false},
    {"1:", Scan::label, true},
    {"a-label-of-seventy-nine-characters-............................................", Scan::label,
     true},
    {"a-label-of-eighty-characters-...................................................",
     Scan::label, false},
    {"0.00000000000000000000000000000000000000000000000000000000000000000000000000000001",
     Scan::real, true},
};

// Takes one token with `scanner`, as `c` says; the value's bits, or 0 for a label.
template <typename Scanner> std::optional<std::uint64_t> take(Scanner& scanner, Scan scan) {
    std::int32_t integer = 0;
    double real = 0;
    switch (scan) {
    case Scan::label:
        return scanner.scan_label() ? std::optional<std::uint64_t>(0) : std::nullopt;
    case Scan::integer:
        return scanner.scan_int(integer) ? std::optional(static_cast<std::uint64_t>(integer))
                                         : std::nullopt;
    case Scan::real:
        return scanner.scan_real(real) ? std::optional(std::bit_cast<std::uint64_t>(real))
                                       : std::nullopt;
    }
    return std::nullopt;
}

TEST(TokenRun, TakesTheUsualShapesWithTheValuesOfTheScanTokenByToken) {
    for (const FastCase& c : fast_cases) {
        SCOPED_TRACE(c.token);
        // A count first, as in a file, so that the token is in the buffer; then the token
        // and one after it.
        const std::string input = std::string("1\n") + c.token + " next";
        MemorySource exact_source(input);
        TokenScanner exact(exact_source);
        MemorySource fast_source(input);
        TokenScanner scanner(fast_source);
        std::int32_t count = 0;
        ASSERT_TRUE(exact.scan_int(count) && scanner.scan_int(count));
        const auto expected = take(exact, c.scan);

        if (c.scan == Scan::integer) {
            MemorySource skip_source(input);
            TokenScanner skipper(skip_source);
            ASSERT_TRUE(skipper.scan_int(count));
            TokenRun skip(skipper);
            EXPECT_EQ(skip.skip_int() && skip.finish(), c.fast) << "skipped";
            // Last of six, skipped or scanned: looked at together within 64 bytes and one by
            // one beyond.
            for (const std::string gap : {" ", "  ", " \t                   "}) {
                const std::string six = "1\n1" + gap + "2" + gap + "3" + gap + "4" + gap + "5" +
                                        gap + c.token + " next";
                MemorySource six_source(six);
                TokenScanner six_scanner(six_source);
                ASSERT_TRUE(six_scanner.scan_int(count));
                TokenRun six_run(six_scanner);
                EXPECT_EQ(six_run.skip_ints<6>() && six_run.finish(), c.fast) << "six skipped";
                MemorySource scan_source(six);
                TokenScanner scan_scanner(scan_source);
                ASSERT_TRUE(scan_scanner.scan_int(count));
                TokenRun scan_run(scan_scanner);
                std::array<std::int32_t, 6> values{};
                const bool scanned = scan_run.scan_ints(values[0], values[1], values[2], values[3],
                                                        values[4], values[5]) &&
                                     scan_run.finish();
                EXPECT_EQ(scanned, c.fast) << "six scanned";
                if (c.fast) {
                    EXPECT_EQ(rest_after(six_scanner), "next");
                    EXPECT_EQ(rest_after(scan_scanner), "next");
                    const std::array<std::int32_t, 6> taken = {
                        1, 2, 3, 4, 5, static_cast<std::int32_t>(*expected)};
                    EXPECT_EQ(values, taken);
                }
            }
        }
        TokenRun run(scanner);
        const auto value = take(run, c.scan);
        ASSERT_EQ(value.has_value() && run.finish(), c.fast);
        if (c.fast) {
            EXPECT_EQ(value, expected);
            EXPECT_EQ(rest_after(scanner), "next");
        } else {
            // Nothing consumed: the scan token by token starts where the run did.
            EXPECT_EQ(take(scanner, c.scan), expected);
            EXPECT_EQ(rest_after(scanner), rest_after(exact));
        }
    }
}

// The token's value as exact_decimal decides it, where it does.
std::optional<std::uint64_t> decided(std::string_view token) {
    // Bytes before and after the token are read, and of no weight.
    const std::string padded = std::string(16, '9') + std::string(token) + std::string(8, '9');
    const char* const first = padded.data() + 16;
    double value = 0;
    if (!exact_decimal(first, first + token.size(), value)) {
        return std::nullopt;
    }
    return std::bit_cast<std::uint64_t>(value);
}

TEST(ExactDecimal, DecidesWhatFromCharsGivesOrGivesUp) {
    for (const char* token :
         {"1e5", "+1", "1.5.3", "1-2", "inf", ".", "-", "", "1 2", "0x10", "12345678901234567890",
          "1.2345678901234567890", "1,5", "1.2345678901e5", "0.123456789.5", "0.1234e5678"}) {
        EXPECT_EQ(decided(token), std::nullopt) << token;
    }
    // Where exact_decimal decides, from_chars gives the same bits; and the usual reals of 16
    // to 19 digits, below 2^53 or above, are nearly all decided. Values exactly between two
    // doubles or on one with more than 2^53 in their digits are among the hand-picked ones.
    std::vector<std::string> tokens = {"9007199254740993.0",
                                       "9007199254740995.0",
                                       "9007199254740992.5",
                                       "4503599627370497.5",
                                       "0.50000000000000000",
                                       "1.0000000000000000",
                                       "-0.0",
                                       "0.30000000000000004",
                                       "2.2250738585072014",
                                       "179769313486231570",
                                       "0.1",
                                       "-7.",
                                       ".5",
                                       "00000000000000000.1",
                                       "9999999999999999999",
                                       "999999999999999999.9"};
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200000; ++i) {
        const std::size_t digits = 1 + random() % 19;
        std::string token = random() % 2 == 0 ? "-" : "";
        const std::size_t point = random() % (digits + 2); // digits + 1: none
        for (std::size_t d = 0; d < digits; ++d) {
            token += point == d ? "." : "";
            token += static_cast<char>('0' + random() % 10);
        }
        token += point == digits ? "." : "";
        tokens.push_back(token);
    }
    std::size_t long_ones = 0;
    std::size_t long_ones_decided = 0;
    for (const std::string& token : tokens) {
        double expected = 0;
        const auto [end, error] =
            std::from_chars(token.data(), token.data() + token.size(), expected);
        ASSERT_TRUE(error == std::errc{} && end == token.data() + token.size()) << token;
        const auto bits = decided(token);
        if (bits) {
            ASSERT_EQ(*bits, std::bit_cast<std::uint64_t>(expected)) << token;
        }
        if (std::count_if(token.begin(), token.end(),
                          [](char c) { return c != '-' && c != '.'; }) >= 16) {
            ++long_ones;
            long_ones_decided += bits ? 1 : 0;
        }
    }
    EXPECT_GT(long_ones_decided, long_ones * 99 / 100);
}

TEST(TokenRun, GivesUpOnATokenThatMayGoOnInBytesNotYetRead) {
    // The first read ends inside "456789", far enough from the count that the scanner does
    // not read on: the run must not take "456" for the whole token.
    std::string input = "1";
    for (int i = 0; i < 64; ++i) {
        input += " 23";
    }
    input += " 456789 7";
    ChunkedSource source(input, {input.find("789")});
    TokenScanner scanner(source);
    std::int32_t value = 0;
    ASSERT_TRUE(scanner.scan_int(value));
    TokenRun run(scanner);
    for (int i = 0; i < 65; ++i) {
        ASSERT_TRUE(run.scan_int(value));
    }
    EXPECT_EQ(value, 456);
    EXPECT_FALSE(run.finish());
    for (int i = 0; i < 65; ++i) {
        ASSERT_TRUE(scanner.scan_int(value));
    }
    EXPECT_EQ(value, 456789);
}

TEST(ByteClasses, MarkTheWhitespaceAndFindBytesAsThePlainDefinitionsDo) {
    // Every byte value, at a different place in a word in each of four rounds.
    std::string data(1024, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>((i * 7 + i / 256 * 5) % 256);
    }
    const std::size_t words = data.size() / 64;
    std::vector<std::uint64_t> marked(words);
    std::vector<std::uint64_t> marked_sse2(words);
    mark_spaces(data.data(), 0, words, marked.data());
    mark_spaces_sse2(data.data(), 0, words, marked_sse2.data());
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool space = (marked[i / 64] >> (i % 64) & 1) != 0;
        ASSERT_EQ(space, is_space(static_cast<unsigned char>(data[i]))) << "byte " << i;
    }
    EXPECT_EQ(marked, marked_sse2);

    for (int byte = 0; byte < 256; ++byte) {
        for (std::size_t first = 0; first < 64; first += 9) {
            for (std::size_t size : {0u, 1u, 15u, 16u, 63u, 64u, 65u, 200u, 900u}) {
                const void* expected = std::memchr(data.data() + first, byte, size);
                ASSERT_EQ(find_byte(data.data() + first, size, static_cast<char>(byte)), expected)
                    << byte << " from " << first << ", " << size << " bytes";
            }
        }
    }
}

} // namespace

TEST(BlockShelf, HandsOnABlockOfTheSizeAskedOnceAndTrimsTheLargestFirst) {
    BlockShelf shelf;
    std::vector<void*> blocks;
    for (const std::size_t bytes : {256, 1024, 4096}) {
        blocks.push_back(shelf.take(bytes)); // none waits: new ones
        shelf.put(blocks.back(), bytes);
    }
    EXPECT_EQ(shelf.kept_bytes(), 256U + 1024 + 4096);
    void* const other = shelf.take(512);
    EXPECT_TRUE(std::find(blocks.begin(), blocks.end(), other) == blocks.end());
    ::operator delete(other);
    shelf.trim(256 + 1024);
    EXPECT_EQ(shelf.kept_bytes(), 256U + 1024);
    void* const kept = shelf.take(1024);
    EXPECT_EQ(kept, blocks[1]);
    void* const again = shelf.take(1024);
    EXPECT_NE(again, kept) << "each block is handed on once";
    shelf.put(again, 1024);
    shelf.put(kept, 1024);
    EXPECT_EQ(shelf.kept_bytes(), 256U + 2 * 1024);
}
