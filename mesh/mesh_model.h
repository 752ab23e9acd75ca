// The one in-memory copy of the mesh the viewer shows.
//
// Indices are 0-based after a load, whatever numbering the file set used; `numbering_base`
// is added back when a number is displayed. The reader stores indices exactly as the files
// give them (less one for a 1-based set) and does not check that they lie inside their
// arrays: a reference to a missing node or element is kept as read, and whoever follows an
// index (the painter) must check it against the count first.
#pragma once

#include "record_array.h"

#include <cstddef>
#include <cstdint>

struct MeshNode {
    double x;
    double y; // larger y is drawn higher on the screen
    std::int32_t mark;
};

struct MeshElement {
    std::int32_t node_a;
    std::int32_t node_b;
    std::int32_t node_c;
    std::int32_t mark;
    double px; // the element record's two reals, kept as read
    double py;
};

struct MeshSide {
    std::int32_t elem_a; // -1: no element on this side of the edge
    std::int32_t elem_b;
    std::int32_t node_a;
    std::int32_t node_b;
    std::int32_t mark; // -1: the side is not drawn
};

struct MeshModel {
    RecordArray<MeshNode> nodes;
    RecordArray<MeshElement> elements;
    RecordArray<MeshSide> sides;
    std::int32_t numbering_base = 0; // 0 or 1, added to an index to display it
    // Extents of every node read since the program started. They start at the origin and are
    // only ever widened, never reset, so they always contain the origin and every earlier mesh.
    double x_min = 0.0;
    double x_max = 0.0;
    double y_min = 0.0;
    double y_max = 0.0;
    // How many loads the model has had: whatever was made of an earlier load (a picture, an
    // index of where things lie) is out of date once this changes.
    std::uint64_t load_count = 0;

    // A load never holds more than INT32_MAX records in an array, so the counts fit.
    std::int32_t node_count() const { return static_cast<std::int32_t>(nodes.size()); }
    std::int32_t element_count() const { return static_cast<std::int32_t>(elements.size()); }
    std::int32_t side_count() const { return static_cast<std::int32_t>(sides.size()); }

    // The bytes the three arrays hold.
    std::size_t array_bytes() const {
        return nodes.size() * sizeof(MeshNode) + elements.size() * sizeof(MeshElement) +
               sides.size() * sizeof(MeshSide);
    }

    // Whether `index` names a node of the array, as a record's index must before it is followed.
    bool has_node(std::int32_t index) const { return index >= 0 && index < node_count(); }
    // The node `index` names; has_node(index) must hold.
    const MeshNode& node(std::int32_t index) const {
        return nodes[static_cast<std::size_t>(index)];
    }
};

// The program-wide mesh: written only by load_mesh_file_set, read by the view.
MeshModel& current_mesh();
