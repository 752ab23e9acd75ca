// Whether two mesh models are the same bit for bit, and if not, where they first differ: the
// one comparison of the tests and the fuzz targets.
#pragma once

#include "mesh_model.h"

#include <cstring>
#include <string>

namespace model_difference_detail {

// Records compare byte for byte: a load fills zeroed memory, so even the padding is defined.
template <typename Record>
std::string records_difference(const char* name, const RecordArray<Record>& a,
                               const RecordArray<Record>& b) {
    if (a.size() != b.size()) {
        return std::string(name) + " count " + std::to_string(a.size()) + " against " +
               std::to_string(b.size());
    }
    if (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Record)) == 0) {
        return {};
    }
    std::size_t i = 0;
    while (std::memcmp(&a[i], &b[i], sizeof(Record)) == 0) {
        ++i;
    }
    return std::string(name) + "[" + std::to_string(i) + "]";
}

// Extents compare bit for bit: the sign of a zero counts.
inline bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof(double)) == 0;
}

} // namespace model_difference_detail

// The first field in which `a` and `b` differ ("nodes[3]", "sides count 5 against 4",
// "numbering_base", "x_min"), or an empty string when they are the same bit for bit. Only the
// arrays of the first `files` files (nodes, elements, sides) take part: after a failure, the
// arrays of the files after the failing one are the reader's to leave as it likes.
inline std::string model_difference(const MeshModel& a, const MeshModel& b, int files = 3) {
    using namespace model_difference_detail;
    std::string difference = records_difference("nodes", a.nodes, b.nodes);
    if (difference.empty() && files >= 2) {
        difference = records_difference("elements", a.elements, b.elements);
    }
    if (difference.empty() && files >= 3) {
        difference = records_difference("sides", a.sides, b.sides);
    }
    if (!difference.empty()) {
        return difference;
    }
    if (a.numbering_base != b.numbering_base) {
        return "numbering_base";
    }
    const struct {
        const char* name;
        double MeshModel::*extent;
    } extents[] = {{"x_min", &MeshModel::x_min},
                   {"x_max", &MeshModel::x_max},
                   {"y_min", &MeshModel::y_min},
                   {"y_max", &MeshModel::y_max}};
    for (const auto& extent : extents) {
        if (!same_bits(a.*extent.extent, b.*extent.extent)) {
            return extent.name;
        }
    }
    return {};
}
