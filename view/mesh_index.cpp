#include "mesh_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// The number of an element sits at 0.333 of the sum of its corners.
constexpr double centre_factor = 0.333;
// A centre computed in double precision lies within this much of the extended-precision one,
// relative to the sum of the corners' magnitudes (far more than the few roundings it takes).
constexpr double centre_error = 0x1p-48;

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

const MeshNode& node_at(const MeshModel& mesh, std::int32_t index) {
    return mesh.nodes[static_cast<std::size_t>(index)];
}

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

MeshIndex::MeshIndex(const MeshModel& mesh)
    : node_count_(mesh.nodes.size()), element_count_(mesh.elements.size()),
      side_count_(mesh.sides.size()) {
    const auto blocks_of = [](std::size_t count) { return (count + block_size - 1) / block_size; };
    element_boxes_.reserve(blocks_of(element_count_));
    for (std::size_t first = 0; first < element_count_; first += block_size) {
        Bounds bounds;
        const std::size_t end = std::min(first + block_size, element_count_);
        for (std::size_t i = first; i < end; ++i) {
            const MeshElement& element = mesh.elements[i];
            if (!valid_node(mesh, element.node_a) || !valid_node(mesh, element.node_b) ||
                !valid_node(mesh, element.node_c)) {
                continue;
            }
            const MeshNode& a = node_at(mesh, element.node_a);
            const MeshNode& b = node_at(mesh, element.node_b);
            const MeshNode& c = node_at(mesh, element.node_c);
            const double x = centre_factor * (b.x + a.x + c.x);
            const double y = centre_factor * (b.y + a.y + c.y);
            const double error_x = (std::abs(a.x) + std::abs(b.x) + std::abs(c.x)) * centre_error;
            const double error_y = (std::abs(a.y) + std::abs(b.y) + std::abs(c.y)) * centre_error;
            bounds.take(x - error_x, x + error_x, y - error_y, y + error_y);
        }
        element_boxes_.push_back({{bounds.x_lo, bounds.x_hi}, {bounds.y_lo, bounds.y_hi}});
    }
    side_boxes_.reserve(blocks_of(side_count_));
    for (std::size_t first = 0; first < side_count_; first += block_size) {
        Bounds bounds;
        const std::size_t end = std::min(first + block_size, side_count_);
        for (std::size_t i = first; i < end; ++i) {
            const MeshSide& side = mesh.sides[i];
            if (side.mark == -1 || !valid_node(mesh, side.node_a) ||
                !valid_node(mesh, side.node_b)) {
                continue;
            }
            const MeshNode& a = node_at(mesh, side.node_a);
            const MeshNode& b = node_at(mesh, side.node_b);
            // std::min and std::max would drop a NaN.
            if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) &&
                  std::isfinite(b.y))) {
                bounds.take_everything();
                continue;
            }
            bounds.take(std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y),
                        std::max(a.y, b.y));
        }
        side_boxes_.push_back({{bounds.x_lo, bounds.x_hi}, {bounds.y_lo, bounds.y_hi}});
    }
}

bool MeshIndex::meets(const Box& box, MeshInterval x, MeshInterval y) {
    return box.x.lo <= x.hi && box.x.hi >= x.lo && box.y.lo <= y.hi && box.y.hi >= y.lo;
}

void MeshIndex::add_block(std::size_t block, std::size_t count, std::vector<RecordRange>& ranges) {
    const auto first = static_cast<std::int32_t>(block * block_size);
    const auto end = static_cast<std::int32_t>(std::min((block + 1) * block_size, count));
    if (!ranges.empty() && ranges.back().end == first) {
        ranges.back().end = end;
    } else {
        ranges.push_back({first, end});
    }
}

std::vector<RecordRange> MeshIndex::elements_within(MeshInterval x, MeshInterval y) const {
    std::vector<RecordRange> ranges;
    for (std::size_t block = 0; block < element_boxes_.size(); ++block) {
        if (meets(element_boxes_[block], x, y)) {
            add_block(block, element_count_, ranges);
        }
    }
    return ranges;
}

std::size_t MeshIndex::kept_bytes() const {
    return sizeof(*this) + (element_boxes_.capacity() + side_boxes_.capacity()) * sizeof(Box);
}
