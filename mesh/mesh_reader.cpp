#include "mesh_reader.h"

#include "read_crew.h"
#include "record_parts.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <thread>

namespace {

// The fields of each record, scanned by TokenScanner or by its fast path, TokenRun. A record
// stops at its first field that cannot be scanned; the fields after it keep their zeros.
// Inlined always, so that each is compiled for the processor the scan is compiled for.
struct ScanNode {
    template <typename Scanner>
    [[gnu::always_inline]] bool operator()(Scanner& s, MeshNode& node) const {
        return s.scan_label() && s.scan_real(node.x) && s.scan_real(node.y) &&
               s.scan_int(node.mark);
    }
};

struct ScanElement {
    template <typename Scanner>
    [[gnu::always_inline]] bool operator()(Scanner& s, MeshElement& element) const {
        return s.scan_label() && s.scan_int(element.node_a) && s.scan_int(element.node_b) &&
               s.scan_int(element.node_c) && s.template skip_ints<6>() && s.scan_real(element.px) &&
               s.scan_real(element.py) && s.scan_int(element.mark);
    }
};

struct ScanSide {
    template <typename Scanner>
    [[gnu::always_inline]] bool operator()(Scanner& s, MeshSide& side) const {
        return s.scan_label() &&
               s.scan_ints(side.node_a, side.node_b, side.elem_a, side.elem_b, side.mark);
    }
};

constexpr ScanNode scan_node;
constexpr ScanElement scan_element;
constexpr ScanSide scan_side;

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

// A set numbered from 1 has its element and side records converted as they are read, and
// those past the data with them.
void convert_element(MeshElement& element) {
    element.node_a = one_less(element.node_a);
    element.node_b = one_less(element.node_b);
    element.node_c = one_less(element.node_c);
}

void convert_side(MeshSide& side) {
    side.node_a = one_less(side.node_a);
    side.node_b = one_less(side.node_b);
    side.elem_a = one_less_element(side.elem_a);
    side.elem_b = one_less_element(side.elem_b);
}

// What sees each element or side record once scanned, and each past the data after the first.
template <typename Record> struct Conversion {
    void (*convert)(Record&) = nullptr; // null: the records are kept as scanned

    void operator()(const TokenScanner&, Record& record, std::size_t) const { (*this)(record); }
    void operator()(Record& record) const {
        if (convert != nullptr) {
            convert(record);
        }
    }
};

// Enough parts for the threads to end close together, few enough that each costs little:
// under Wine a part costs some 2 ms (its file opened again, its buffer mapped and faulted in),
// and at 4M triangles on two threads 30 parts read 15% slower than 7.
constexpr std::uint64_t parts_per_thread = 4;
constexpr std::size_t max_parts_per_file = 64;
// The side file's parts are the last jobs taken: smaller, they leave a thread that ends its
// last job waiting for a small part of another at most, not for a whole one.
constexpr std::uint64_t side_part_fraction = 3;
// And the last of them is cut in a half and two quarters: the threads end within a short part
// of each other.
constexpr int side_part_halvings = 2;

// The scanners' buffers of every load: a buffer a load faulted in serves the next.
BlockShelf& scan_buffers() {
    static BlockShelf shelf;
    return shelf;
}

// A load keeps buffers of at most a sixteenth of its model's arrays for the next: a load of a
// large mesh faults in none of its buffers after the first, and one of a small mesh, quick to
// read, keeps next to nothing.
class TrimAfterLoad {
public:
    TrimAfterLoad(BlockShelf& buffers, const MeshModel& model) : buffers_(buffers), model_(model) {}
    TrimAfterLoad(const TrimAfterLoad&) = delete;
    TrimAfterLoad& operator=(const TrimAfterLoad&) = delete;
    ~TrimAfterLoad() { buffers_.trim(model_.array_bytes() / 16); }

private:
    BlockShelf& buffers_;
    const MeshModel& model_;
};

} // namespace

ReadThreads default_read_threads() {
    return {std::max(1U, std::thread::hardware_concurrency()), part_least_bytes};
}

std::optional<ReadError> read_mesh_file_set(MeshModel& model, std::string_view node_path,
                                            const OpenByteSource& open, ReadThreads threads) {
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
    std::string side_path = path;
    side_path.back() = 's';
    auto side_source = open(side_path);

    // The element and the side file, the largest, are read in parts, several for each thread
    // so that the threads end together; the node file whole, as its extents are found in the
    // order of its records.
    const auto size_of = [](const std::unique_ptr<ByteSource>& source) -> std::uint64_t {
        if (!source || source->size() == ByteSource::unknown_size) {
            return 0;
        }
        return source->size();
    };
    const std::uint64_t total =
        size_of(node_source) + size_of(element_source) + size_of(side_source);
    const std::uint64_t thread_count = std::max(1U, threads.count);
    const std::uint64_t part_bytes =
        std::max<std::uint64_t>({1, threads.part_least, total / (parts_per_thread * thread_count)});
    const auto parts_of = [&](std::uint64_t size, std::uint64_t bytes) {
        return static_cast<std::size_t>(
            std::clamp<std::uint64_t>(size / bytes, 1, max_parts_per_file));
    };
    const std::size_t element_parts = parts_of(size_of(element_source), part_bytes);
    const std::size_t side_parts =
        parts_of(size_of(side_source),
                 std::max<std::uint64_t>({1, threads.part_least, part_bytes / side_part_fraction}));
    const std::uint64_t jobs = 1 + element_parts + side_parts;
    // Started now, the threads get going while the counts are read and the parts found.
    ReadCrew crew(
        total >= threads.part_least ? static_cast<unsigned>(std::min(thread_count, jobs) - 1) : 0);

    // Each file's count, and the node file's first record, whose label alone decides the
    // numbering. A failure here is reported once the files before it are read.
    BlockShelf& buffers = scan_buffers();
    // Once every scanner has given its buffer back: what the next load may find.
    const TrimAfterLoad trim{buffers, model};
    RecordFile<MeshNode> nodes(path, std::move(node_source), model.nodes, buffers);
    if (nodes.error()) {
        return nodes.error();
    }
    const auto read_node = [&model](const TokenScanner& s, const MeshNode& node, std::size_t i) {
        widen_extents(model, node.x, node.y);
        if (i == 0 && s.label() != "0:") {
            model.numbering_base = 1;
        }
    };
    FilePart& first_nodes = nodes.part(0);
    if (!model.nodes.empty()) {
        first_nodes.scan =
            scan_range(*first_nodes.scanner, path, model.nodes, 0, 1, true, scan_node, read_node);
        first_nodes.first = 1;
    }
    const bool nodes_to_scan = first_nodes.scan.end == RangeEnd::reached;

    RecordFile<MeshElement> elements(element_path, std::move(element_source), model.elements,
                                     buffers);
    std::optional<RecordFile<MeshSide>> sides;
    if (!elements.error()) {
        sides.emplace(side_path, std::move(side_source), model.sides, buffers);
    }
    const bool whole = sides && !sides->error();
    Conversion<MeshElement> element_conversion;
    Conversion<MeshSide> side_conversion;
    if (whole) {
        elements.split(open, element_parts, model.numbering_base);
        sides->split(open, side_parts, model.numbering_base, side_part_halvings);
        if (model.numbering_base == 1) {
            element_conversion.convert = convert_element;
            side_conversion.convert = convert_side;
        }
    }

    // The jobs: the node file whole, which may be the largest, then the parts of the element
    // file and of the side file; the threads end within about a side part of each other.
    const std::size_t node_jobs = nodes_to_scan ? 1 : 0;
    const std::size_t element_jobs = elements.error() ? 0 : elements.part_count();
    const std::size_t side_jobs = whole ? sides->part_count() : 0;
    crew.run(node_jobs + element_jobs + side_jobs, [&](std::size_t job) {
        if (job < node_jobs) {
            nodes.scan_part(0, scan_node, read_node);
        } else if (job < node_jobs + element_jobs) {
            elements.scan_part(job - node_jobs, scan_element, element_conversion);
        } else {
            sides->scan_part(job - node_jobs - element_jobs, scan_side, side_conversion);
        }
    });

    // The failures in the files' order: the first is the one a reading of one file after the
    // other would have met.
    if (auto error = nodes.finish(scan_node, read_node, [](MeshNode&) {})) {
        return error;
    }
    if (elements.error()) {
        return elements.error();
    }
    if (auto error = elements.finish(scan_element, element_conversion, element_conversion)) {
        return error;
    }
    if (sides->error()) {
        return sides->error();
    }
    return sides->finish(scan_side, side_conversion, side_conversion);
}

void load_mesh_file_set(char* path) {
    const std::string_view node_path(path);
    if (auto error = read_mesh_file_set(current_mesh(), node_path)) {
        report_read_failure(*error);
        std::exit(-1);
    }
    path[node_path.size() - 1] = 's';
}
