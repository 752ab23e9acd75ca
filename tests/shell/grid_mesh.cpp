#include "grid_mesh.h"

#include "records_of.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

MeshModel grid_mesh(const MeshShape& shape) {
    std::vector<MeshNode> nodes;
    std::vector<MeshElement> elements;
    std::vector<MeshSide> sides;
    const auto node = [&](int i, int j) { return j * (shape.columns + 1) + i; };
    std::uint32_t random = 12345;
    const auto wobble = [&] {
        random = random * 1664525 + 1013904223;
        return shape.jitter * (static_cast<double>(random >> 8) / (1 << 24) * 2.0 - 1.0);
    };
    for (int j = 0; j <= shape.rows; ++j) {
        for (int i = 0; i <= shape.columns; ++i) {
            const bool inner = i > 0 && j > 0 && i < shape.columns && j < shape.rows;
            const double dx = inner ? wobble() : 0.0;
            const double dy = inner ? wobble() : 0.0;
            nodes.push_back({shape.x0 + i + dx, shape.y0 + j + dy, 0});
        }
    }
    for (int j = 0; j < shape.rows; ++j) {
        for (int i = 0; i < shape.columns; ++i) {
            elements.push_back({node(i, j), node(i + 1, j), node(i + 1, j + 1), 0, 0, 0});
            elements.push_back({node(i, j), node(i + 1, j + 1), node(i, j + 1), 0, 0, 0});
            sides.push_back({0, 0, node(i, j), node(i + 1, j), 0});
            sides.push_back({0, 0, node(i, j), node(i, j + 1), 0});
            sides.push_back({0, 0, node(i + 1, j + 1), node(i, j), 0});
        }
    }
    for (std::size_t k = 0; k < sides.size(); k += 7) {
        sides[k].mark = -1;
    }
    if (shape.oddities) {
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        constexpr double inf = std::numeric_limits<double>::infinity();
        const auto first_odd = static_cast<std::int32_t>(nodes.size());
        const std::int32_t missing = first_odd + 4;
        nodes.push_back({nan, nan, 0});
        nodes.push_back({inf, shape.y0 + 1.5, 0});
        nodes.push_back({-inf, -inf, 0});
        nodes.push_back({shape.x0 + 2.5, nan, 0});
        for (std::int32_t odd = first_odd; odd < missing; ++odd) {
            sides.push_back({0, 0, node(1, 1), odd, 0});
            sides.push_back({0, 0, odd, node(shape.columns / 2, shape.rows / 2), 0});
            elements.push_back({node(2, 1), odd, node(3, 2), 0, 0, 0});
        }
        sides.push_back({0, 0, node(0, 0), missing, 0});
        sides.push_back({0, 0, -1, node(1, 1), 0});
        elements.push_back({node(0, 0), node(1, 0), missing, 0, 0, 0});
        elements.push_back({-7, node(1, 0), node(1, 1), 0, 0, 0});
    }
    if (!shape.numbered) {
        elements.clear();
    }
    MeshModel mesh;
    mesh.nodes = records_of(nodes);
    mesh.elements = records_of(elements);
    mesh.sides = records_of(sides);
    mesh.numbering_base = shape.base;
    mesh.x_min = std::min(shape.x0, 0.0);
    mesh.y_min = std::min(shape.y0, 0.0);
    mesh.x_max = std::max(shape.x0 + shape.columns, 0.0);
    mesh.y_max = std::max(shape.y0 + shape.rows, 0.0);
    return mesh;
}
