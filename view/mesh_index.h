// Where the numbers and the sides of a mesh lie, a block of consecutive records at a time: the
// box of the number centres of every 64 elements and of the lines of every 64 sides. A mesh
// numbers neighbours near each other, so a block's box is small, and a view of a part of the
// mesh looks only at the blocks that can show in that part, not at the whole mesh. (Numbered at
// random, every box is the whole mesh and every block is looked at: slow, not wrong.)
#pragma once

#include "mesh_model.h"
#include "scratch_memory.h"
#include "view_transform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

// Records `first` to `end` (exclusive) of an array, and a closed box of mesh coordinates
// holding what they draw; empty where lo > hi, everything where a record's coordinates are not
// finite.
struct RecordBlock {
    std::int32_t first;
    std::int32_t end;
    MeshInterval x;
    MeshInterval y;
};

// A block of elements, with the largest sum of the magnitudes of an element's corners drawn, in
// x and in y, which bounds how far the steps to its number's point can have rounded (infinite
// where the box is everything).
struct ElementBlock : RecordBlock {
    double corners_x;
    double corners_y;
};

class MeshIndex {
public:
    static constexpr std::int32_t block_size = 64;
    // A mesh of this many elements and sides has its elements' boxes worked out on a second
    // thread beside its sides' boxes.
    static constexpr std::size_t thread_least = std::size_t{1} << 20;

    // The index of `mesh` as it is now; it is of no use once the mesh changes.
    explicit MeshIndex(const MeshModel& mesh);

    // Whether the index can be of `mesh`: the counts of its arrays are those it was made of.
    // An index of another mesh would name records that are not there.
    bool fits(const MeshModel& mesh) const {
        return mesh.nodes.size() == node_count_ && mesh.elements.size() == element_count_ &&
               mesh.sides.size() == side_count_;
    }

    // The blocks of elements, in order, whose numbers may be centred in `x` by `y`, each with
    // the box of its numbers' centres (0.333 of the sum of the corners, in any precision).
    // Elements with a corner outside the node array are never drawn and leave a box as it is.
    ScratchVector<ElementBlock> elements_within(MeshInterval x, MeshInterval y) const {
        // Counted first: a vector grown to hold them would leave every smaller block it held
        // waiting in the scratch memory beside it.
        const auto meets = [&](const ElementBlock& block) { return meets_box(block, x, y); };
        ScratchVector<ElementBlock> found;
        found.reserve(static_cast<std::size_t>(
            std::count_if(element_blocks_.begin(), element_blocks_.end(), meets)));
        std::copy_if(element_blocks_.begin(), element_blocks_.end(), std::back_inserter(found),
                     meets);
        return found;
    }
    // The blocks of sides, in order, whose boxes may meet `x` by `y`, but not those whose every
    // side lies where `hidden(x, y)` tells nothing shows. Sides that are not drawn (marked -1, a
    // node outside the array) leave a block's box as it is.
    template <typename Hidden>
    ScratchVector<RecordBlock> sides_within(MeshInterval x, MeshInterval y, Hidden&& hidden) const {
        return within(side_blocks_, x, y, hidden);
    }
    ScratchVector<RecordBlock> sides_within(MeshInterval x, MeshInterval y) const {
        return within(side_blocks_, x, y, [](MeshInterval, MeshInterval) { return false; });
    }

    // The memory the index keeps, in bytes.
    std::size_t kept_bytes() const;

private:
    template <typename Hidden>
    static ScratchVector<RecordBlock> within(const std::vector<RecordBlock>& blocks, MeshInterval x,
                                             MeshInterval y, Hidden&& hidden) {
        ScratchVector<RecordBlock> found;
        for (const RecordBlock& block : blocks) {
            if (meets_box(block, x, y) && !hidden(block.x, block.y)) {
                found.push_back(block);
            }
        }
        return found;
    }
    static bool meets_box(const RecordBlock& block, MeshInterval x, MeshInterval y) {
        return block.x.lo <= x.hi && block.x.hi >= x.lo && block.y.lo <= y.hi && block.y.hi >= y.lo;
    }

    std::size_t node_count_;
    std::size_t element_count_;
    std::size_t side_count_;
    std::vector<ElementBlock> element_blocks_;
    std::vector<RecordBlock> side_blocks_;
};
