#include "mesh_index.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <thread>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// The number of an element sits at 0.333 of the sum of its corners.
constexpr double centre_factor = 0.333;
// A centre computed in double precision lies within this much of the extended-precision one,
// relative to the sum of the corners' magnitudes (far more than the few roundings it takes).
constexpr double centre_error = 0x1p-48;

// The box of the points put into it so far.
struct Bounds {
    double x_lo = inf;
    double x_hi = -inf;
    double y_lo = inf;
    double y_hi = -inf;

    // A point that may land anywhere: its coordinates are not finite.
    void take_everything() {
        x_lo = y_lo = -inf;
        x_hi = y_hi = inf;
    }
    // Takes in [x_lo, x_hi] by [y_lo, y_hi]; where a coordinate is not finite (NaN included),
    // the bounds become everything.
    void take(double x_low, double x_high, double y_low, double y_high) {
        if (!(std::isfinite(x_low) && std::isfinite(x_high) && std::isfinite(y_low) &&
              std::isfinite(y_high))) {
            take_everything();
            return;
        }
        x_lo = std::min(x_lo, x_low);
        x_hi = std::max(x_hi, x_high);
        y_lo = std::min(y_lo, y_low);
        y_hi = std::max(y_hi, y_high);
    }
};

} // namespace

namespace {

// The blocks of `count` records, the bounds of each taken in by `take(record, bounds)`.
template <typename Take> std::vector<RecordBlock> blocks_of(std::size_t count, Take&& take) {
    std::vector<RecordBlock> blocks;
    blocks.reserve((count + MeshIndex::block_size - 1) / MeshIndex::block_size);
    for (std::size_t first = 0; first < count; first += MeshIndex::block_size) {
        Bounds bounds;
        const std::size_t end = std::min(first + MeshIndex::block_size, count);
        for (std::size_t record = first; record < end; ++record) {
            take(record, bounds);
        }
        blocks.push_back({static_cast<std::int32_t>(first),
                          static_cast<std::int32_t>(end),
                          {bounds.x_lo, bounds.x_hi},
                          {bounds.y_lo, bounds.y_hi}});
    }
    return blocks;
}

std::vector<RecordBlock> element_blocks(const MeshModel& mesh) {
    return blocks_of(mesh.elements.size(), [&mesh](std::size_t record, Bounds& bounds) {
        const MeshElement& element = mesh.elements[record];
        if (!mesh.has_node(element.node_a) || !mesh.has_node(element.node_b) ||
            !mesh.has_node(element.node_c)) {
            return;
        }
        const MeshNode& a = mesh.node(element.node_a);
        const MeshNode& b = mesh.node(element.node_b);
        const MeshNode& c = mesh.node(element.node_c);
        const double x = centre_factor * (b.x + a.x + c.x);
        const double y = centre_factor * (b.y + a.y + c.y);
        const double error_x = (std::abs(a.x) + std::abs(b.x) + std::abs(c.x)) * centre_error;
        const double error_y = (std::abs(a.y) + std::abs(b.y) + std::abs(c.y)) * centre_error;
        bounds.take(x - error_x, x + error_x, y - error_y, y + error_y);
    });
}

std::vector<RecordBlock> side_blocks(const MeshModel& mesh) {
    return blocks_of(mesh.sides.size(), [&mesh](std::size_t record, Bounds& bounds) {
        const MeshSide& side = mesh.sides[record];
        if (side.mark == -1 || !mesh.has_node(side.node_a) || !mesh.has_node(side.node_b)) {
            return;
        }
        const MeshNode& a = mesh.node(side.node_a);
        const MeshNode& b = mesh.node(side.node_b);
        // std::min and std::max would drop a NaN.
        if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) &&
              std::isfinite(b.y))) {
            bounds.take_everything();
            return;
        }
        bounds.take(std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y));
    });
}

} // namespace

MeshIndex::MeshIndex(const MeshModel& mesh)
    : node_count_(mesh.nodes.size()), element_count_(mesh.elements.size()),
      side_count_(mesh.sides.size()) {
    // Both only read the mesh.
    std::jthread elements;
    if (element_count_ + side_count_ >= thread_least) {
        try {
            elements = std::jthread([this, &mesh] { element_blocks_ = element_blocks(mesh); });
        } catch (const std::system_error&) {
            // Without a second thread, one after the other.
        }
    }
    side_blocks_ = side_blocks(mesh);
    if (elements.joinable()) {
        elements.join();
    } else {
        element_blocks_ = element_blocks(mesh);
    }
}

std::size_t MeshIndex::kept_bytes() const {
    return sizeof(*this) +
           (element_blocks_.capacity() + side_blocks_.capacity()) * sizeof(RecordBlock);
}
