// Where the numbers and the sides of a mesh lie: a grid of cells over the mesh, each listing
// the elements whose number is centred in it and the sides whose box starts in it. A view of a
// part of the mesh then looks only at the elements and sides that can show in that part, not at
// the whole mesh.
#pragma once

#include "index_set.h"
#include "mesh_model.h"
#include "view_transform.h"

#include <cstdint>
#include <vector>

class MeshIndex {
public:
    // The index of `mesh` as it is now; it is of no use once the mesh changes.
    explicit MeshIndex(const MeshModel& mesh);

    // Adds to `elements` every element whose number may be centred in `x` by `y`, the centre
    // being 0.333 of the sum of its corners in any precision, and every element whose centre is
    // not finite. Elements with a corner outside the node array are never drawn and never
    // added.
    void select_elements(MeshInterval x, MeshInterval y, IndexSet& elements) const;
    // Adds to `sides` every side that is drawn (not marked -1, both nodes in the node array)
    // whose box may meet `x` by `y`, and every such side with a coordinate that is not finite.
    void select_sides(MeshInterval x, MeshInterval y, IndexSet& sides) const;
    // Whether `x` by `y` reaches over every cell: a selection would then hold everything.
    bool reaches_every_cell(MeshInterval x, MeshInterval y) const;

    // Whether the index can be of `mesh`: the counts of its arrays are those it was made of.
    // An index of another mesh would name records that are not there.
    bool fits(const MeshModel& mesh) const {
        return mesh.nodes.size() == node_count_ && mesh.elements.size() == element_count_ &&
               mesh.sides.size() == side_count_;
    }

    // The memory the index keeps, in bytes.
    std::size_t kept_bytes() const;

private:
    // One axis of the grid: `cells` cells of `size` mesh units from `origin`.
    struct Axis {
        double origin = 0.0;
        double size = 1.0;
        double per_unit = 0.0; // cells per mesh unit
        std::int32_t cells = 1;

        static Axis spanning(double lo, double hi, std::int32_t cells);
        // The cell of coordinate u, which must not be NaN; outside the grid, the nearest cell.
        // Never decreasing in u, so that an interval's ends give the cells of everything in it.
        std::int32_t cell_of(double u) const;
    };
    // Records listed cell by cell, cells row by row: the records of a run of cells in one row
    // lie side by side.
    struct CellLists {
        std::vector<std::uint32_t> starts; // one more than there are cells
        std::vector<std::int32_t> records;
        std::vector<std::int32_t> everywhere; // records that go with every selection

        void fill(const std::vector<std::uint32_t>& cell_of_record, std::size_t cells);
        // Adds the records of every cell from `first_column` to `last_column` in every row from
        // `first_row` to `last_row` of a grid `columns` wide, and those that go everywhere.
        void select(std::int32_t columns, std::int32_t first_column, std::int32_t last_column,
                    std::int32_t first_row, std::int32_t last_row, IndexSet& selection) const;
    };

    void index_elements(const MeshModel& mesh);
    void index_sides(const MeshModel& mesh);

    std::size_t node_count_;
    std::size_t element_count_;
    std::size_t side_count_;
    Axis x_;
    Axis y_;
    CellLists elements_;
    CellLists sides_;
};
