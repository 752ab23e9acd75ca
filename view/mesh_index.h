// Where the numbers and the sides of a mesh lie, a block of consecutive records at a time: the
// box of the number centres of every 64 elements and of the lines of every 64 sides. A mesh
// numbers neighbours near each other, so a block's box is small, and a view of a part of the
// mesh looks only at the blocks that can show in that part, not at the whole mesh. (Numbered at
// random, every box is the whole mesh and every block is looked at: slow, not wrong.)
#pragma once

#include "mesh_model.h"
#include "view_transform.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Records `first` to `end` (exclusive) of an array.
struct RecordRange {
    std::int32_t first;
    std::int32_t end;
};

class MeshIndex {
public:
    static constexpr std::int32_t block_size = 64;

    // The index of `mesh` as it is now; it is of no use once the mesh changes.
    explicit MeshIndex(const MeshModel& mesh);

    // Whether the index can be of `mesh`: the counts of its arrays are those it was made of.
    // An index of another mesh would name records that are not there.
    bool fits(const MeshModel& mesh) const {
        return mesh.nodes.size() == node_count_ && mesh.elements.size() == element_count_ &&
               mesh.sides.size() == side_count_;
    }

    // The blocks of elements, in order, whose numbers may be centred in `x` by `y`, the centre
    // being 0.333 of the sum of the corners in any precision. Elements with a corner outside the
    // node array are never drawn and leave a block's box as it is.
    std::vector<RecordRange> elements_within(MeshInterval x, MeshInterval y) const;

    // Whether every side whose box lies in `x` by `y` is sure to stay unseen.
    template <typename Hidden>
    std::vector<RecordRange> sides_within(MeshInterval x, MeshInterval y, Hidden&& hidden) const;
    // The blocks of sides, in order, whose boxes may meet `x` by `y`, but not those whose every
    // side lies where `hidden(x, y)` tells nothing shows. Sides that are not drawn (marked -1, a
    // node outside the array) leave a block's box as it is.
    std::vector<RecordRange> sides_within(MeshInterval x, MeshInterval y) const {
        return sides_within(x, y, [](MeshInterval, MeshInterval) { return false; });
    }

    // The memory the index keeps, in bytes.
    std::size_t kept_bytes() const;

private:
    // A closed box of mesh coordinates; empty where lo > hi, everything where a record's
    // coordinates are not finite.
    struct Box {
        MeshInterval x;
        MeshInterval y;
    };

    static bool meets(const Box& box, MeshInterval x, MeshInterval y);
    // Adds block `block` of an array of `count` records to `ranges`, joined to the last range
    // where they touch.
    static void add_block(std::size_t block, std::size_t count, std::vector<RecordRange>& ranges);

    std::size_t node_count_;
    std::size_t element_count_;
    std::size_t side_count_;
    std::vector<Box> element_boxes_;
    std::vector<Box> side_boxes_;
};

template <typename Hidden>
std::vector<RecordRange> MeshIndex::sides_within(MeshInterval x, MeshInterval y,
                                                 Hidden&& hidden) const {
    std::vector<RecordRange> ranges;
    for (std::size_t block = 0; block < side_boxes_.size(); ++block) {
        const Box& box = side_boxes_[block];
        if (meets(box, x, y) && !hidden(box.x, box.y)) {
            add_block(block, side_count_, ranges);
        }
    }
    return ranges;
}
