// The product's reader gives exactly the model of the plain fscanf reader, on every input
// where fscanf's behaviour is defined.
//
// Both readers read the first set of the input and then the second into one model each (so
// that counts a file cannot give carry over from the first set alike; the product reads the
// first set's element and side files in parts of many sizes, on two threads for some inputs (see
// file_set_input.h), with its scans in the form the processor runs fastest, and the second set
// one file after the other in reads of many sizes, with its scans in the generic form), and after
// each read the failures and the models must match: the same failure in the same file or none,
// records equal byte for byte (after a failure, those of the files up to the failing one), the
// same numbering base, the same extents bit for bit. Every token of the input is also converted
// by the fast conversion of reals, which must give from_chars' bits wherever it decides.
//
// The product alone reads the input, with no comparison, where the two differ by design:
// - an integer token beyond the 32-bit range, where fscanf is undefined (glibc wraps) and the
//   product saturates: an input is left alone where a run of digits worth more than INT32_MAX
//   may be read by %d (see may_be_read_as_integer);
// - a label token longer than 79 characters, which the product refuses (label_too_long) and
//   the reference reads into a larger buffer;
// - a count the product refuses as far beyond what its file holds; fscanf would allocate and
//   scan for it;
// - more records in all than max_compared_records, where the reference's loop of failing
//   fscanf calls over a long zero-filled tail would take most of the run's time.
#include "byte_classes.h"
#include "decimal_real.h"
#include "file_set_input.h"
#include "fuzz_check.h"
#include "mesh_reader.h"
#include "model_difference.h"
#include "record_parts.h"
#include "reference_reader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

const char* const fuzz_target_name = "fuzz_reader_equivalence";

namespace {

constexpr std::size_t max_compared_records = std::size_t{1} << 16;

constexpr bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether %d may start reading at the digits at `start`, in step or out of it. A conversion
// takes every digit it meets, so %d reads a run of digits from its first one, or not at all.
// A run that follows a decimal point is a real's fraction: %lf takes the point and the digits
// together, and nothing takes the point alone, unless it is the character that ends a failed
// "nan" or "infinity" (as in "n.5"), which is consumed with the letters before it.
constexpr bool may_be_read_as_integer(std::string_view text, std::size_t start) {
    if (start == 0 || text[start - 1] != '.') {
        return true;
    }
    return start >= 2 && is_letter(text[start - 2]);
}

// True when the digits of the run are worth more than INT32_MAX.
constexpr bool beyond_int32(std::string_view digits) {
    constexpr std::string_view int32_max = "2147483647";
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
    digits.remove_prefix(first);
    return digits.size() > int32_max.size() ||
           (digits.size() == int32_max.size() && digits > int32_max);
}

// True when `text` holds a token on which fscanf and the product differ by design.
constexpr bool outside_reference(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (!is_digit(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && is_digit(text[end])) {
            ++end;
        }
        if (may_be_read_as_integer(text, i) && beyond_int32(text.substr(i, end - i))) {
            return true;
        }
        i = end;
    }
    return false;
}

static_assert(outside_reference("2147483648") && outside_reference("-99999999999 1"));
static_assert(outside_reference("n.99999999999") && outside_reference("inf99999999999"));
static_assert(!outside_reference("2147483647 -2147483647 0000000000002147483647"));
static_assert(!outside_reference("0.66666666666666663 1.99999999999999999e-5"));

bool outside_reference(const FileSetParts& set) {
    for (const auto& file : set.files) {
        if (file && outside_reference(*file)) {
            return true;
        }
    }
    return false;
}

// A failure the product defines and fscanf does not.
bool product_only(const std::optional<ReadError>& error) {
    return error && (error->failure == ReadFailure::count_too_large ||
                     error->failure == ReadFailure::label_too_long ||
                     error->failure == ReadFailure::cannot_allocate);
}

OpenStream stream_opener(const FileSetParts& set) {
    return [&set](const std::string& path) -> std::FILE* {
        const auto file = set.find(path);
        if (!file) {
            return nullptr;
        }
        // Opened for reading only: fmemopen does not write to the buffer.
        return fmemopen(const_cast<char*>(file->data()), file->size(), "r");
    };
}

void check_same(const std::optional<ReadError>& product_error, const MeshModel& product,
                const std::optional<ReadError>& reference_error, const MeshModel& reference) {
    check(product_error.has_value() == reference_error.has_value(),
          "one reader failed and the other did not");
    // After a failure, only the files up to the failing one are compared.
    int files = 3;
    if (product_error) {
        check(product_error->failure == reference_error->failure, "different failures");
        check(product_error->path == reference_error->path, "failures in different files");
        files = product_error->path.back() == 'n' ? 1 : product_error->path.back() == 'e' ? 2 : 3;
    }
    if (const std::string difference = model_difference(product, reference, files);
        !difference.empty()) {
        fail(("different " + difference).c_str());
    }
}

// Every token the fast conversion of reals decides gets the bits from_chars gives it: a check of
// that conversion on any bytes, where the readers' comparison meets it only in records that
// scan.
void check_exact_decimals(std::string_view text) {
    std::string token;
    for (std::size_t i = 0; i < text.size();) {
        if (is_space(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !is_space(static_cast<unsigned char>(text[end]))) {
            ++end;
        }
        // The bytes before and after a token that the conversion reads.
        token.assign(16, '7');
        token.append(text.substr(i, end - i));
        token.append(8, '7');
        const char* const first = token.data() + 16;
        const char* const last = first + (end - i);
        double value = 0;
        if (exact_decimal(first, last, value)) {
            double expected = 0;
            const auto [stop, error] = std::from_chars(first, last, expected);
            check(error == std::errc{} && stop == last &&
                      std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(expected),
                  "exact_decimal and from_chars differ");
        }
        i = end;
    }
}

std::size_t record_count(const MeshModel& mesh) {
    return mesh.nodes.size() + mesh.elements.size() + mesh.sides.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_exact_decimals({reinterpret_cast<const char*>(data), size});
    const FuzzInput input = parse_input(data, size);
    const bool compare = !outside_reference(input.first) && !outside_reference(input.second);

    MeshModel product;
    MeshModel reference;
    for (const bool second : {false, true}) {
        const FileSetParts& set = second ? input.second : input.first;
        // The first set is scanned in the form the processor runs fastest, the second in the
        // generic one.
        scan_form() = !second && runs_bmi2() ? ScanForm::bmi2 : ScanForm::generic;
        const auto product_error = read_mesh_file_set(
            product, node_path, second ? input.second_opener() : input.first_opener(),
            second ? default_read_threads() : input.first_threads());
        if (!compare || product_only(product_error) ||
            record_count(product) > max_compared_records) {
            return 0;
        }
        const auto reference_error =
            reference_read_mesh_file_set(reference, std::string(node_path), stream_opener(set));
        check_same(product_error, product, reference_error, reference);
        if (product_error) {
            return 0;
        }
    }
    return 0;
}
