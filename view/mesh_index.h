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
#include <optional>
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
    // An array of this many records has the boxes of its two halves worked out on two threads.
    static constexpr std::size_t thread_least = std::size_t{1} << 19;

    // The index of `mesh` as it is now; it is of no use once the mesh changes. The sides' boxes
    // are worked out the first time they are asked for: a picture whose numbers cover it
    // wholly, as at the fit of a dense mesh, shows no line and needs none of them. As that
    // first call changes the index, one index is not to be used from two threads at once.
    // An array of `threaded_least` records or more is worked out in two halves.
    explicit MeshIndex(const MeshModel& mesh, std::size_t threaded_least = thread_least);

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
    // The blocks of sides of `mesh`, the mesh the index was made of, in order, whose boxes may
    // meet `x` by `y`, but not those whose every side lies where `hidden(x, y)` tells nothing
    // shows. Sides that are not drawn (marked -1, a node outside the array) leave a block's box
    // as it is.
    template <typename Hidden>
    ScratchVector<RecordBlock> sides_within(const MeshModel& mesh, MeshInterval x, MeshInterval y,
                                            Hidden&& hidden) const {
        return within(side_blocks(mesh), x, y, hidden);
    }
    ScratchVector<RecordBlock> sides_within(const MeshModel& mesh, MeshInterval x,
                                            MeshInterval y) const {
        return within(side_blocks(mesh), x, y, [](MeshInterval, MeshInterval) { return false; });
    }

    // Whether the sides' boxes of the mesh are worked out; work_out_sides(mesh) works them out
    // ahead of the first picture that needs them.
    bool sides_worked_out() const { return side_blocks_.has_value(); }
    void work_out_sides(const MeshModel& mesh) const { side_blocks(mesh); }

    // The box of every node of the mesh, empty where it has none, and everything where a
    // coordinate is not finite: every side drawn lies in it.
    const RecordBlock& nodes_box() const { return nodes_box_; }

    // The memory the index keeps, in bytes: the sides' boxes too, once they are worked out.
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
    const std::vector<RecordBlock>& side_blocks(const MeshModel& mesh) const;
    static bool meets_box(const RecordBlock& block, MeshInterval x, MeshInterval y) {
        return block.x.lo <= x.hi && block.x.hi >= x.lo && block.y.lo <= y.hi && block.y.hi >= y.lo;
    }

    std::size_t threaded_least_;
    std::size_t node_count_;
    std::size_t element_count_;
    std::size_t side_count_;
    std::vector<ElementBlock> element_blocks_;
    RecordBlock nodes_box_;
    mutable std::optional<std::vector<RecordBlock>> side_blocks_; // once worked out
};
