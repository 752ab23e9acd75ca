#include "mesh_reader.h"

#include "token_run.h"
#include "token_scanner.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <thread>

namespace {

// A file whose records are scanned; the first failure ends the whole read.
struct FileScan {
    TokenScanner& scanner;
    const std::string& path;
    std::optional<ReadError> error;

    bool failed() {
        if (!error && scanner.label_too_long()) {
            error = ReadError{ReadFailure::label_too_long, path};
        }
        return error.has_value();
    }
};

// Zero-filled records beyond the data are allowed up to this many, or up to as many as the
// data holds where that is more: enough for any file cut short, too few for a count meant to
// exhaust memory.
constexpr std::uint64_t allowed_tail = std::uint64_t{1} << 20;

// Scans the leading count. A count that cannot be read keeps the previous one. A record that
// holds data takes at least one byte, so a count beyond both the file's size and the allowed
// tail cannot be met, and is refused before anything is allocated for it.
std::int32_t scan_count(FileScan& file, std::int32_t previous, std::uint64_t file_size) {
    std::int32_t count = previous;
    file.scanner.scan_int(count);
    if (count < 0) {
        file.error = ReadError{ReadFailure::negative_count, file.path};
    } else if (static_cast<std::uint64_t>(count) > std::max(allowed_tail, file_size)) {
        file.error = ReadError{ReadFailure::count_too_large, file.path};
    }
    return count;
}

// The fields of each record, scanned by TokenScanner or by its fast path, TokenRun. A record
// stops at its first field that cannot be scanned; the fields after it keep their zeros.
constexpr auto scan_node = [](auto& s, MeshNode& node) {
    return s.scan_label() && s.scan_real(node.x) && s.scan_real(node.y) && s.scan_int(node.mark);
};

constexpr auto scan_element = [](auto& s, MeshElement& element) {
    return s.scan_label() && s.scan_int(element.node_a) && s.scan_int(element.node_b) &&
           s.scan_int(element.node_c) && s.skip_int() && s.skip_int() && s.skip_int() &&
           s.skip_int() && s.skip_int() && s.skip_int() && s.scan_real(element.px) &&
           s.scan_real(element.py) && s.scan_int(element.mark);
};

constexpr auto scan_side = [](auto& s, MeshSide& side) {
    return s.scan_label() && s.scan_int(side.node_a) && s.scan_int(side.node_b) &&
           s.scan_int(side.elem_a) && s.scan_int(side.elem_b) && s.scan_int(side.mark);
};

// Elements and sides are kept as scanned.
constexpr auto read_as_is = [](const TokenScanner&, const auto&, std::size_t) {};

// The comparisons and their order decide ties and NaNs: a NaN never widens anything.
void widen_extents(MeshModel& model, double x, double y) {
    if (x >= model.x_max) {
        model.x_max = x;
    }
    if (y >= model.y_max) {
        model.y_max = y;
    }
    if (x <= model.x_min) {
        model.x_min = x;
    }
    if (y <= model.y_min) {
        model.y_min = y;
    }
}

// One less, without wrapping below INT32_MIN (a saturated token).
std::int32_t one_less(std::int32_t index) {
    return index == std::numeric_limits<std::int32_t>::min() ? index : index - 1;
}

// In a 1-based set "no element" is written 0 or -1; both end as -1.
std::int32_t one_less_element(std::int32_t element) {
    const std::int32_t index = one_less(element);
    return index == -2 ? -1 : index;
}

void convert_to_zero_based(MeshModel& model) {
    for (MeshElement& element : model.elements) {
        element.node_a = one_less(element.node_a);
        element.node_b = one_less(element.node_b);
        element.node_c = one_less(element.node_c);
    }
    for (MeshSide& side : model.sides) {
        side.node_a = one_less(side.node_a);
        side.node_b = one_less(side.node_b);
        side.elem_a = one_less_element(side.elem_a);
        side.elem_b = one_less_element(side.elem_b);
    }
}

// Reads one file of the set: its count, the array, then every record with `scan`, by the
// fast path where it holds and token by token otherwise. Each record is written whole or
// zero-filled before its scan, and the records past the data are zero-filled. `read` sees
// each record once it has been scanned.
template <typename Record, typename Scan, typename Read>
std::optional<ReadError> read_records(ByteSource& source, const std::string& path,
                                      RecordArray<Record>& records, Scan scan, Read read) {
    TokenScanner scanner(source);
    FileScan file{scanner, path, std::nullopt};
    const std::int32_t count =
        scan_count(file, static_cast<std::int32_t>(records.size()), source.size());
    if (file.failed()) {
        return file.error;
    }
    if (!records.assign_for_overwrite(static_cast<std::size_t>(count))) {
        return ReadError{ReadFailure::cannot_allocate, path};
    }
    // The first record token by token, which keeps its label.
    TokenRun run(scanner);
    for (std::size_t i = 0; i < records.size(); ++i) {
        Record& record = records[i];
        if (i == 0 || !scan(run, record) || !run.finish()) {
            record = Record{};
            (void)scan(scanner, record);
            if (file.failed()) {
                records.zero_from(i + 1);
                return file.error;
            }
            run.restart();
        }
        read(scanner, record, i);
        // Past the end of the data every scan fails and the rest stay zero. A node at the
        // origin can still turn an extent of -0 into +0 (0 >= -0), so the first of them is
        // read like any other; the others, all alike, cannot change what it left.
        if (scanner.exhausted()) {
            const std::uint64_t done = i + 1;
            records.zero_from(done);
            if (records.size() - done > std::max(allowed_tail, done)) {
                return ReadError{ReadFailure::count_too_large, path};
            }
            if (done < records.size()) {
                (void)scan(scanner, records[done]);
                read(scanner, records[done], done);
            }
            break;
        }
    }
    return std::nullopt;
}

// Reads the element file into the model, once it is open.
std::optional<ReadError> read_elements(MeshModel& model, ByteSource* source,
                                       const std::string& path) {
    if (source == nullptr) {
        return ReadError{ReadFailure::cannot_open_file, path};
    }
    return read_records(*source, path, model.elements, scan_element, read_as_is);
}

// The element file on a thread of its own, where it is large enough to be worth one and a
// thread can be had; the thread is joined when the reader is destroyed.
std::jthread start_element_reader(MeshModel& model, ByteSource* source, const std::string& path,
                                  std::uint64_t thread_least, std::optional<ReadError>& error) {
    if (source == nullptr || source->size() == ByteSource::unknown_size ||
        source->size() < thread_least) {
        return {};
    }
    try {
        return std::jthread(
            [&model, source, &path, &error] { error = read_elements(model, source, path); });
    } catch (const std::system_error&) {
        return {};
    }
}

} // namespace

std::optional<ReadError> read_mesh_file_set(MeshModel& model, std::string_view node_path,
                                            const OpenByteSource& open,
                                            std::uint64_t thread_least) {
    std::string path(node_path);
    model.numbering_base = 0;
    ++model.load_count;

    auto node_source = path.empty() ? nullptr : open(path);
    if (!node_source) {
        return ReadError{ReadFailure::cannot_open_node_file, path};
    }
    // The other two names differ from the node file's in the last byte only.
    std::string element_path = path;
    element_path.back() = 'e';
    auto element_source = open(element_path);

    // A large element file is read beside the nodes and the sides, each file into arrays of
    // its own. The failures are taken in the files' order, so the first failure is the one a
    // reading of one file after the other would have met.
    std::optional<ReadError> element_error;
    std::jthread element_reader = start_element_reader(model, element_source.get(), element_path,
                                                       thread_least, element_error);

    auto error = read_records(*node_source, path, model.nodes, scan_node,
                              [&model](TokenScanner& s, const MeshNode& node, std::size_t i) {
                                  widen_extents(model, node.x, node.y);
                                  // The first label alone decides the numbering.
                                  if (i == 0 && s.label() != "0:") {
                                      model.numbering_base = 1;
                                  }
                              });
    node_source.reset();
    if (error) {
        return error;
    }
    if (!element_reader.joinable()) {
        element_error = read_elements(model, element_source.get(), element_path);
        if (element_error) {
            return element_error;
        }
        element_source.reset();
    }

    path.back() = 's';
    auto side_source = open(path);
    if (!side_source) {
        error = ReadError{ReadFailure::cannot_open_file, path};
    } else {
        error = read_records(*side_source, path, model.sides, scan_side, read_as_is);
    }
    if (element_reader.joinable()) {
        element_reader.join();
    }
    if (element_error) {
        return element_error;
    }
    if (error) {
        return error;
    }

    if (model.numbering_base == 1) {
        convert_to_zero_based(model);
    }
    return std::nullopt;
}

void load_mesh_file_set(char* path) {
    const std::string_view node_path(path);
    if (auto error = read_mesh_file_set(current_mesh(), node_path)) {
        report_read_failure(*error);
        std::exit(-1);
    }
    path[node_path.size() - 1] = 's';
}
