// The product's reader gives exactly the model of the plain fscanf reader, on every input
// where fscanf's behaviour is defined.
//
// Both readers read the first set of the input and then the second into one model each (so
// that counts a file cannot give carry over from the first set alike; the product reads the
// second set in reads of many sizes), and after each read the failures and the models must
// match: the same failure in the same file or none, records
// equal byte for byte, the same numbering base, the same extents bit for bit.
//
// The product alone reads the input, with no comparison, where the two differ by design:
// - a run of ten or more digits: an integer token may lie beyond the 32-bit range, where
//   fscanf is undefined (glibc wraps) and the product saturates;
// - a run of 80 or more non-blank bytes: a label token may be longer than 79 characters,
//   which the product refuses;
// - a count the product refuses as far beyond what its file holds; fscanf would allocate and
//   scan for it;
// - more records in all than max_compared_records, where the reference's loop of failing
//   fscanf calls over a long zero-filled tail would take most of the run's time.
// The runs are looked for in every part on its own, so they include every token the reading
// can meet, in step or out of it: a token read out of step is a suffix of a run.
#include "file_set_input.h"
#include "mesh_reader.h"
#include "reference_reader.h"
#include "token_scanner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_reader_equivalence: %s\n", what);
    std::abort();
}

void check(bool condition, const char* what) {
    if (!condition) {
        fail(what);
    }
}

constexpr std::size_t digits_beyond_int32 = 10;
constexpr std::size_t max_compared_records = std::size_t{1} << 16;

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// True when `text` holds a token on which fscanf and the product differ by design.
bool outside_reference(std::string_view text) {
    std::size_t digits = 0;
    std::size_t non_blank = 0;
    for (const char c : text) {
        digits = is_digit(c) ? digits + 1 : 0;
        non_blank = is_space(static_cast<unsigned char>(c)) ? 0 : non_blank + 1;
        if (digits >= digits_beyond_int32 || non_blank > TokenScanner::label_capacity) {
            return true;
        }
    }
    return false;
}

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

template <typename Record>
bool same_records(const RecordArray<Record>& a, const RecordArray<Record>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0);
}

bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof(double)) == 0;
}

void check_same(const std::optional<ReadError>& product_error, const MeshModel& product,
                const std::optional<ReadError>& reference_error, const MeshModel& reference) {
    check(product_error.has_value() == reference_error.has_value(),
          "one reader failed and the other did not");
    if (product_error) {
        check(product_error->failure == reference_error->failure, "different failures");
        check(product_error->path == reference_error->path, "failures in different files");
    }
    check(same_records(product.nodes, reference.nodes), "different nodes");
    check(same_records(product.elements, reference.elements), "different elements");
    check(same_records(product.sides, reference.sides), "different sides");
    check(product.numbering_base == reference.numbering_base, "different numbering bases");
    check(same_bits(product.x_min, reference.x_min) && same_bits(product.x_max, reference.x_max) &&
              same_bits(product.y_min, reference.y_min) &&
              same_bits(product.y_max, reference.y_max),
          "different extents");
}

std::size_t record_count(const MeshModel& mesh) {
    return mesh.nodes.size() + mesh.elements.size() + mesh.sides.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FuzzInput input = parse_input(data, size);
    const bool compare = !outside_reference(input.first) && !outside_reference(input.second);

    MeshModel product;
    MeshModel reference;
    for (const bool second : {false, true}) {
        const FileSetParts& set = second ? input.second : input.first;
        const auto product_error = read_mesh_file_set(
            product, node_path, second ? input.second_opener() : input.first_opener());
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
