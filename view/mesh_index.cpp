#include "mesh_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A mesh of this many elements (or twice as many sides) gets a cell: a cell holds a few numbers
// and lines, and the grid a few bytes for each of them.
constexpr double records_per_cell = 8.0;
constexpr double most_cells = 1 << 22;

// What a record's cell is, where it has none of its own.
constexpr std::uint32_t not_drawn = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t anywhere = not_drawn - 1;

// The centre of a number is 0.333 of the sum of the corners; 0.999 of it stays inside the
// nodes' box stretched toward the origin by a thousandth.
constexpr double centre_factor = 0.333;
constexpr double toward_origin = 0.999;

// A centre computed in double precision lies within this much of the extended-precision one,
// relative to the sum of the corners' magnitudes (far more than the few roundings it takes).
constexpr double centre_error = 0x1p-48;
// Selections reach this much of a cell beyond their interval; a centre less certain than that
// goes with every selection.
constexpr double cell_slack = 0x1p-20;

bool valid_node(const MeshModel& mesh, std::int32_t index) {
    return index >= 0 && index < mesh.node_count();
}

const MeshNode& node_at(const MeshModel& mesh, std::int32_t index) {
    return mesh.nodes[static_cast<std::size_t>(index)];
}

struct Box {
    double x_lo = 0.0;
    double x_hi = 0.0;
    double y_lo = 0.0;
    double y_hi = 0.0;
};

// The box of every finite node coordinate and of every number's centre.
Box grid_box(const MeshModel& mesh) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    Box box{inf, -inf, inf, -inf};
    for (const MeshNode& node : mesh.nodes) {
        if (std::isfinite(node.x)) {
            box.x_lo = std::min(box.x_lo, node.x);
            box.x_hi = std::max(box.x_hi, node.x);
        }
        if (std::isfinite(node.y)) {
            box.y_lo = std::min(box.y_lo, node.y);
            box.y_hi = std::max(box.y_hi, node.y);
        }
    }
    if (box.x_lo > box.x_hi) {
        box.x_lo = box.x_hi = 0.0;
    }
    if (box.y_lo > box.y_hi) {
        box.y_lo = box.y_hi = 0.0;
    }
    return {
        std::min(box.x_lo, toward_origin * box.x_lo), std::max(box.x_hi, toward_origin * box.x_hi),
        std::min(box.y_lo, toward_origin * box.y_lo), std::max(box.y_hi, toward_origin * box.y_hi)};
}

} // namespace

MeshIndex::Axis MeshIndex::Axis::spanning(double lo, double hi, std::int32_t cells) {
    Axis axis;
    axis.origin = lo;
    const double width = hi - lo;
    if (cells <= 1 || !(width > 0.0) || !std::isfinite(width)) {
        return axis;
    }
    axis.cells = cells;
    axis.size = width / cells;
    axis.per_unit = cells / width;
    return axis;
}

std::int32_t MeshIndex::Axis::cell_of(double u) const {
    const double cell = (u - origin) * per_unit;
    if (!(cell > 0.0)) {
        return 0;
    }
    return cell >= cells ? cells - 1 : static_cast<std::int32_t>(cell);
}

void MeshIndex::CellLists::fill(const std::vector<std::uint32_t>& cell_of_record,
                                std::size_t cells) {
    starts.assign(cells + 1, 0);
    everywhere.clear();
    for (const std::uint32_t cell : cell_of_record) {
        if (cell < cells) {
            ++starts[cell + 1];
        }
    }
    for (std::size_t cell = 0; cell < cells; ++cell) {
        starts[cell + 1] += starts[cell];
    }
    records.resize(starts[cells]);
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    for (std::size_t record = 0; record < cell_of_record.size(); ++record) {
        const std::uint32_t cell = cell_of_record[record];
        if (cell < cells) {
            records[next[cell]++] = static_cast<std::int32_t>(record);
        } else if (cell == anywhere) {
            everywhere.push_back(static_cast<std::int32_t>(record));
        }
    }
}

void MeshIndex::CellLists::select(std::int32_t columns, std::int32_t first_column,
                                  std::int32_t last_column, std::int32_t first_row,
                                  std::int32_t last_row, IndexSet& selection) const {
    for (const std::int32_t record : everywhere) {
        selection.insert(static_cast<std::size_t>(record));
    }
    for (std::int32_t row = first_row; row <= last_row; ++row) {
        const auto first = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                           static_cast<std::size_t>(first_column);
        const auto last = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                          static_cast<std::size_t>(last_column);
        for (std::uint32_t k = starts[first]; k < starts[last + 1]; ++k) {
            selection.insert(static_cast<std::size_t>(records[k]));
        }
    }
}

MeshIndex::MeshIndex(const MeshModel& mesh)
    : node_count_(mesh.nodes.size()), element_count_(mesh.elements.size()),
      side_count_(mesh.sides.size()) {
    const Box box = grid_box(mesh);
    const double records =
        std::max({static_cast<double>(mesh.element_count()), mesh.side_count() / 2.0, 1.0});
    const double cells = std::clamp(records / records_per_cell, 1.0, most_cells);
    const double width = box.x_hi - box.x_lo;
    const double height = box.y_hi - box.y_lo;
    double columns = 1.0;
    double rows = 1.0;
    if (width > 0.0 && height > 0.0) {
        columns = std::clamp(std::round(std::sqrt(cells * (width / height))), 1.0, cells);
        rows = std::clamp(std::round(cells / columns), 1.0, cells);
    } else if (width > 0.0) {
        columns = cells;
    } else if (height > 0.0) {
        rows = cells;
    }
    x_ = Axis::spanning(box.x_lo, box.x_hi, static_cast<std::int32_t>(columns));
    y_ = Axis::spanning(box.y_lo, box.y_hi, static_cast<std::int32_t>(rows));
    index_sides(mesh);
    index_elements(mesh);
}

void MeshIndex::index_sides(const MeshModel& mesh) {
    std::vector<std::uint32_t> cell_of_side(mesh.sides.size());
    // A side is listed in the cell of its box's lower left corner, so that a selection need
    // reach only one cell further left and down; a side whose box reaches further goes with
    // every selection, and where too many do, the cells are made larger.
    for (;;) {
        std::size_t long_sides = 0;
        for (std::size_t i = 0; i < mesh.sides.size(); ++i) {
            const MeshSide& side = mesh.sides[i];
            if (side.mark == -1 || !valid_node(mesh, side.node_a) ||
                !valid_node(mesh, side.node_b)) {
                cell_of_side[i] = not_drawn;
                continue;
            }
            const MeshNode& a = node_at(mesh, side.node_a);
            const MeshNode& b = node_at(mesh, side.node_b);
            if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) ||
                !std::isfinite(b.y)) {
                cell_of_side[i] = anywhere;
                continue;
            }
            const std::int32_t left = x_.cell_of(std::min(a.x, b.x));
            const std::int32_t bottom = y_.cell_of(std::min(a.y, b.y));
            if (x_.cell_of(std::max(a.x, b.x)) - left > 1 ||
                y_.cell_of(std::max(a.y, b.y)) - bottom > 1) {
                cell_of_side[i] = anywhere;
                ++long_sides;
                continue;
            }
            cell_of_side[i] = static_cast<std::uint32_t>(bottom * x_.cells + left);
        }
        if (long_sides <= mesh.sides.size() / 16 + 64 || (x_.cells == 1 && y_.cells == 1)) {
            break;
        }
        x_ = Axis::spanning(x_.origin, x_.origin + x_.size * x_.cells, std::max(1, x_.cells / 2));
        y_ = Axis::spanning(y_.origin, y_.origin + y_.size * y_.cells, std::max(1, y_.cells / 2));
    }
    sides_.fill(cell_of_side, static_cast<std::size_t>(x_.cells) * y_.cells);
}

void MeshIndex::index_elements(const MeshModel& mesh) {
    std::vector<std::uint32_t> cell_of_element(mesh.elements.size());
    for (std::size_t i = 0; i < mesh.elements.size(); ++i) {
        const MeshElement& element = mesh.elements[i];
        if (!valid_node(mesh, element.node_a) || !valid_node(mesh, element.node_b) ||
            !valid_node(mesh, element.node_c)) {
            cell_of_element[i] = not_drawn;
            continue;
        }
        const MeshNode& a = node_at(mesh, element.node_a);
        const MeshNode& b = node_at(mesh, element.node_b);
        const MeshNode& c = node_at(mesh, element.node_c);
        const double x = centre_factor * (b.x + a.x + c.x);
        const double y = centre_factor * (b.y + a.y + c.y);
        const double error_x = (std::abs(a.x) + std::abs(b.x) + std::abs(c.x)) * centre_error;
        const double error_y = (std::abs(a.y) + std::abs(b.y) + std::abs(c.y)) * centre_error;
        if (!std::isfinite(x) || !std::isfinite(y) ||
            (x_.cells > 1 && !(error_x <= x_.size * cell_slack)) ||
            (y_.cells > 1 && !(error_y <= y_.size * cell_slack))) {
            cell_of_element[i] = anywhere;
            continue;
        }
        cell_of_element[i] = static_cast<std::uint32_t>(y_.cell_of(y) * x_.cells + x_.cell_of(x));
    }
    elements_.fill(cell_of_element, static_cast<std::size_t>(x_.cells) * y_.cells);
}

namespace {

bool empty(MeshInterval interval) {
    return interval.lo > interval.hi;
}

} // namespace

void MeshIndex::select_elements(MeshInterval x, MeshInterval y, IndexSet& elements) const {
    if (empty(x) || empty(y)) {
        elements_.select(x_.cells, 0, -1, 0, -1, elements);
        return;
    }
    // A centre worked out in another precision may lie a hair outside the interval.
    const double slack_x = x_.size * cell_slack;
    const double slack_y = y_.size * cell_slack;
    elements_.select(x_.cells, x_.cell_of(x.lo - slack_x), x_.cell_of(x.hi + slack_x),
                     y_.cell_of(y.lo - slack_y), y_.cell_of(y.hi + slack_y), elements);
}

void MeshIndex::select_sides(MeshInterval x, MeshInterval y, IndexSet& sides) const {
    if (empty(x) || empty(y)) {
        sides_.select(x_.cells, 0, -1, 0, -1, sides);
        return;
    }
    // A side's box starts at most one cell left of and below any cell it reaches into.
    sides_.select(x_.cells, std::max(x_.cell_of(x.lo) - 1, 0), x_.cell_of(x.hi),
                  std::max(y_.cell_of(y.lo) - 1, 0), y_.cell_of(y.hi), sides);
}

bool MeshIndex::reaches_every_cell(MeshInterval x, MeshInterval y) const {
    return !empty(x) && !empty(y) && x_.cell_of(x.lo) == 0 && y_.cell_of(y.lo) == 0 &&
           x_.cell_of(x.hi) == x_.cells - 1 && y_.cell_of(y.hi) == y_.cells - 1;
}

std::size_t MeshIndex::kept_bytes() const {
    const auto bytes = [](const CellLists& lists) {
        return lists.starts.capacity() * sizeof(std::uint32_t) +
               (lists.records.capacity() + lists.everywhere.capacity()) * sizeof(std::int32_t);
    };
    return sizeof(*this) + bytes(elements_) + bytes(sides_);
}
