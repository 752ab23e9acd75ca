// The index of a mesh leaves out nothing that can show: every coordinate that lands in a device
// range lies in that range's preimage, every element and side whose point or box lies in a
// device box is selected for it, and the painter draws the same with the index as without.
#include "busy_second_thread.h"
#include "mesh_index.h"
#include "mesh_painter.h"
#include "recording_canvas.h"
#include "records_of.h"
#include "zoom_view.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr auto int_max = std::numeric_limits<std::int32_t>::max();
constexpr auto int_min = std::numeric_limits<std::int32_t>::min();

struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    }
    double unit() { return static_cast<double>(next()) / 0x1p53; }
    std::int32_t between(std::int32_t lo, std::int32_t hi) {
        return lo + static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
};

template <typename Blocks> bool holds(const Blocks& ranges, std::size_t record) {
    const auto index = static_cast<std::int32_t>(record);
    return std::any_of(ranges.begin(), ranges.end(), [index](const RecordBlock& range) {
        return index >= range.first && index < range.end;
    });
}

// The device coordinate the painter gives u, in extended precision.
std::int32_t device_of(double scale, double offset, double lift, std::int32_t pan, double u) {
    const long double value = static_cast<long double>(scale) * u + offset;
    return add_pan(truncate_to_int32(value - lift), pan);
}

TEST(DevicePreimage, HoldsEveryCoordinateThatLandsInTheRange) {
    const struct {
        const char* name;
        double scale;
        double offset;
        double lift;
        std::int32_t pan;
        std::int64_t lo;
        std::int64_t hi;
    } cases[] = {
        {"the worked fit", 36.0, 18.0, 0.0, 0, 0, 440},
        {"upside down, lifted", -36.0, 191.0, 8.0, 0, -20, 240},
        {"zoomed and panned", 36.0 * 65536, -1.5e7, 0.0, -30000, 100, 300},
        {"tiny scale", 1e-250, 3.0, 0.0, 0, -5, 5},
        {"huge offset", 1e-3, 1.0e15, 0.0, 0, 0, 1000},
        {"panned to the top of the range", 1.0, 0.0, 0.0, int_min + 50, 0, 100},
        {"panned to the bottom of the range", 1.0, 0.0, 0.0, int_max - 50, -100, 0},
        {"the whole range", 1.0, 0.0, 0.0, 0, int_min, int_max},
    };
    Random random{7};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshInterval interval = device_preimage(c.scale, c.offset, c.lift, c.pan, c.lo, c.hi);
        int landed = 0;
        for (int k = 0; k < 20000; ++k) {
            // Around the preimage's ends and far beyond them.
            const double end = k % 2 == 0 ? interval.lo : interval.hi;
            const double near = std::isfinite(end) ? end : 0.0;
            const double spread = std::pow(10.0, random.between(-12, 300));
            const double u = near + (random.unit() - 0.5) * spread;
            const std::int32_t device = device_of(c.scale, c.offset, c.lift, c.pan, u);
            if (device >= c.lo && device <= c.hi) {
                ++landed;
                ASSERT_GE(u, interval.lo) << u;
                ASSERT_LE(u, interval.hi) << u;
            }
        }
        EXPECT_GT(landed, 0);
    }
    // Saturated coordinates land in a range at an end of the 32-bit range.
    EXPECT_EQ(device_preimage(1.0, 0.0, 0.0, int_min + 50, 0, 100).hi, inf);
    EXPECT_EQ(device_preimage(1.0, 0.0, 0.0, int_max - 50, -100, 0).lo, -inf);
    // An ordinary range has an ordinary preimage, a few pixels wider.
    const MeshInterval worked = device_preimage(36.0, 18.0, 0.0, 0, 0, 440);
    EXPECT_NEAR(worked.lo, -20.0 / 36.0, 1e-9);
    EXPECT_NEAR(worked.hi, 424.0 / 36.0, 1e-9);
    EXPECT_GT(device_preimage(1.0, 0.0, 0.0, 0, 5, 4).lo,
              device_preimage(1.0, 0.0, 0.0, 0, 5, 4).hi)
        << "an empty range has an empty preimage";
}

// A jittered grid of `columns` x `rows` unit cells from (x0, y0), two triangles a cell, with
// every seventh side marked -1; where `odd`, nodes at NaN, infinities and 1e300, sides and
// elements of missing nodes, and long sides across the mesh.
MeshModel random_mesh(Random& random, int columns, int rows, double x0, double y0, bool odd) {
    std::vector<MeshNode> nodes;
    std::vector<MeshElement> elements;
    std::vector<MeshSide> sides;
    if (columns == 0) {
        // A lone side from a node without an x, which lands at device x 0 (the odd meshes have
        // sides to such nodes).
        nodes = {{x0, y0, 0}, {nan, y0 + 4, 0}, {x0 + 1, y0, 0}};
        sides = {{0, 0, 1, 0, 0}};
        elements = {{0, 1, 2, 0, 0, 0}};
    }
    const auto node = [&](int i, int j) { return j * (columns + 1) + i; };
    for (int j = 0; j <= rows; ++j) {
        for (int i = 0; i <= columns; ++i) {
            nodes.push_back(
                {x0 + i + (random.unit() - 0.5) * 0.8, y0 + j + (random.unit() - 0.5) * 0.8, 0});
        }
    }
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            elements.push_back({node(i, j), node(i + 1, j), node(i + 1, j + 1), 0, 0, 0});
            elements.push_back({node(i, j), node(i + 1, j + 1), node(i, j + 1), 0, 0, 0});
            sides.push_back({0, 0, node(i, j), node(i + 1, j), sides.size() % 7 == 0 ? -1 : 0});
            sides.push_back({0, 0, node(i, j), node(i, j + 1), 0});
            sides.push_back({0, 0, node(i + 1, j + 1), node(i, j), 0});
        }
    }
    if (odd) {
        const auto first_odd = static_cast<std::int32_t>(nodes.size());
        for (const MeshNode& strange : std::vector<MeshNode>{{nan, 1.0, 0},
                                                             {inf, 2.0, 0},
                                                             {-inf, -inf, 0},
                                                             {1e300, 3.0, 0},
                                                             {4.0, -1e300, 0}}) {
            nodes.push_back(strange);
        }
        const auto count = static_cast<std::int32_t>(nodes.size());
        for (std::int32_t k = first_odd; k < count; ++k) {
            sides.push_back({0, 0, node(1, 1), k, 0});
            elements.push_back({node(2, 1), k, node(3, 2), 0, 0, 0});
        }
        sides.push_back({0, 0, node(0, 0), count, 0});
        elements.push_back({node(0, 0), -3, node(1, 1), 0, 0, 0});
        for (int k = 0; k < 20; ++k) {
            sides.push_back(
                {0, 0, random.between(0, first_odd - 1), random.between(0, first_odd - 1), 0});
        }
    }
    MeshModel mesh;
    mesh.nodes = records_of(nodes);
    mesh.elements = records_of(elements);
    mesh.sides = records_of(sides);
    for (const MeshNode& n : nodes) {
        if (n.x >= mesh.x_max)
            mesh.x_max = n.x;
        if (n.y >= mesh.y_max)
            mesh.y_max = n.y;
        if (n.x <= mesh.x_min)
            mesh.x_min = n.x;
        if (n.y <= mesh.y_min)
            mesh.y_min = n.y;
    }
    return mesh;
}

struct MeshCase {
    const char* name;
    int columns;
    int rows;
    double x0;
    double y0;
    bool odd;
};

const MeshCase meshes[] = {
    {"a grid", 60, 40, 0.0, 0.0, false},
    {"around the origin", 30, 30, -15.0, -15.0, false},
    {"far from the origin", 40, 10, 1000.0, -500.0, false},
    {"one row", 200, 1, 0.0, 0.0, false},
    {"odd nodes and long sides", 25, 20, -3.0, 2.0, true},
    {"a lone side from a node without an x", 0, 0, 3.0, 1.0, false},
};

// A zoomed and panned view of `mesh` in a 640 x 480 client area: at a random step, mostly of
// the first few, about a random point or a random node.
ViewTransform random_view(Random& random, const MeshModel& mesh) {
    const ViewFit fit = compute_view_fit(mesh, {0, 0, 640, 480});
    const MeshNode& node = mesh.nodes[random.next() % mesh.nodes.size()];
    const DevicePoint about =
        random.next() % 2 == 0 ? to_device(fitted_view(fit), node.x, node.y)
                               : DevicePoint{random.between(-100, 740), random.between(-100, 580)};
    ZoomView view;
    view.zoom_to(random.between(0, random.next() % 4 == 0 ? deepest_zoom_step : 24), about, fit,
                 mesh);
    if (random.next() % 4 == 0) {
        view.pan_by(random.between(-2000, 2000), random.between(-2000, 2000));
    }
    if (random.next() % 16 == 0) {
        view.pan_by(random.next() % 2 == 0 ? int_max : int_min, random.between(-50, 50));
    }
    return view.transform(fit);
}

DeviceRect random_box(Random& random) {
    const std::int32_t left = random.between(-200, 700);
    const std::int32_t top = random.between(-200, 600);
    return {left, top, left + random.between(0, 400), top + random.between(0, 300)};
}

TEST(MeshIndex, SelectsEveryElementAndSideInTheBox) {
    Random random{11};
    for (const MeshCase& c : meshes) {
        SCOPED_TRACE(c.name);
        const MeshModel mesh = random_mesh(random, c.columns, c.rows, c.x0, c.y0, c.odd);
        // Worked out in two halves, as a large mesh's is.
        const MeshIndex index(mesh, 1);
        int found = 0;
        for (int trial = 0; trial < 60; ++trial) {
            const ViewTransform view = random_view(random, mesh);
            const DeviceRect box = random_box(random);
            const std::int32_t lift = 8;
            const auto elements = index.elements_within(
                device_preimage(view.scale, view.offset_x, 0.0, view.pan_x, box.left, box.right),
                device_preimage(-view.scale, view.offset_y, lift, view.pan_y, box.top, box.bottom));
            const auto sides = index.sides_within(
                mesh,
                device_preimage(view.scale, view.offset_x, 0.0, view.pan_x, box.left, box.right),
                device_preimage(-view.scale, view.offset_y, 0.0, view.pan_y, box.top, box.bottom));
            for (std::size_t e = 0; e < mesh.elements.size(); ++e) {
                const MeshElement& element = mesh.elements[e];
                if (element.node_a < 0 || element.node_b < 0 || element.node_c < 0 ||
                    element.node_a >= mesh.node_count() || element.node_b >= mesh.node_count() ||
                    element.node_c >= mesh.node_count()) {
                    continue;
                }
                const MeshNode& a = mesh.nodes[static_cast<std::size_t>(element.node_a)];
                const MeshNode& b = mesh.nodes[static_cast<std::size_t>(element.node_b)];
                const MeshNode& n = mesh.nodes[static_cast<std::size_t>(element.node_c)];
                using Extended = long double;
                const Extended cx = Extended{0.333} * (Extended{b.x} + a.x + n.x);
                const Extended cy = Extended{0.333} * (Extended{b.y} + a.y + n.y);
                const Extended scale = view.scale;
                const DevicePoint point =
                    add_pan({truncate_to_int32(scale * cx + view.offset_x),
                             truncate_to_int32((-scale * cy + view.offset_y) - lift)},
                            view);
                if (point.x >= box.left && point.x <= box.right && point.y >= box.top &&
                    point.y <= box.bottom) {
                    ++found;
                    ASSERT_TRUE(holds(elements, e)) << "element " << e << " at trial " << trial;
                }
            }
            for (std::size_t s = 0; s < mesh.sides.size(); ++s) {
                const MeshSide& side = mesh.sides[s];
                if (side.mark == -1 || side.node_a < 0 || side.node_b < 0 ||
                    side.node_a >= mesh.node_count() || side.node_b >= mesh.node_count()) {
                    continue;
                }
                const MeshNode& a = mesh.nodes[static_cast<std::size_t>(side.node_a)];
                const MeshNode& b = mesh.nodes[static_cast<std::size_t>(side.node_b)];
                const DevicePoint from = to_device(view, a.x, a.y);
                const DevicePoint to = to_device(view, b.x, b.y);
                if (std::max(from.x, to.x) >= box.left && std::min(from.x, to.x) <= box.right &&
                    std::max(from.y, to.y) >= box.top && std::min(from.y, to.y) <= box.bottom) {
                    ++found;
                    ASSERT_TRUE(holds(sides, s)) << "side " << s << " at trial " << trial;
                }
            }
        }
        EXPECT_GT(found, c.columns == 0 ? 5 : 100);
    }
}

TEST(MeshIndex, SelectsAPartOfAZoomedMesh) {
    Random random{3};
    const MeshModel mesh = random_mesh(random, 200, 100, 0.0, 0.0, false);
    const MeshIndex index(mesh);
    const ViewFit fit = compute_view_fit(mesh, {0, 0, 640, 480});
    ZoomView view;
    ASSERT_TRUE(view.zoom_to(16, {320, 240}, fit, mesh));
    const ViewTransform zoomed = view.transform(fit);
    std::size_t selected = 0;
    for (const RecordBlock& range :
         index.elements_within(device_preimage(zoomed.scale, zoomed.offset_x, 0.0, 0, 0, 640),
                               device_preimage(-zoomed.scale, zoomed.offset_y, 8.0, 0, 0, 480))) {
        selected += static_cast<std::size_t>(range.end - range.first);
    }
    // A sixteenth of the mesh's width and height shows, and a block's worth around it.
    EXPECT_GT(selected, 0u);
    EXPECT_LT(selected, mesh.elements.size() / 10);
    // A small part of the arrays it indexes, the sides' boxes worked out too.
    EXPECT_FALSE(index
                     .sides_within(mesh,
                                   device_preimage(zoomed.scale, zoomed.offset_x, 0.0, 0, 0, 640),
                                   device_preimage(-zoomed.scale, zoomed.offset_y, 0.0, 0, 0, 480))
                     .empty());
    EXPECT_LT(index.kept_bytes(),
              (mesh.elements.size() * sizeof(MeshElement) + mesh.sides.size() * sizeof(MeshSide)) /
                  16);
}

// An index worked out in halves while another caller keeps the view's second thread busy: both
// halves on this thread, one after the other.
MeshIndex index_beside_busy_thread(const MeshModel& mesh) {
    const BusySecondThread busy(view_second_thread());
    MeshIndex index(mesh, 1);
    index.work_out_sides(mesh);
    return index;
}

// The painter's calls with the index, finding the numbers that show a row at a time on one
// thread or two, are those without it.
TEST(MeshIndex, ThePainterDrawsTheSameWithTheIndex) {
    struct NoWidths final : RecordingCanvas {
        using RecordingCanvas::RecordingCanvas;
        std::optional<std::int32_t> text_width(std::string_view) override { return std::nullopt; }
    };
    Random random{5};
    for (const MeshCase& c : meshes) {
        SCOPED_TRACE(c.name);
        const MeshModel mesh = random_mesh(random, c.columns, c.rows, c.x0, c.y0, c.odd);
        const MeshIndex whole(mesh);
        const MeshIndex halves(mesh, 1);
        const MeshIndex halves_alone = index_beside_busy_thread(mesh);
        const MeshIndex* const indices[] = {&whole, &halves, &whole, &halves_alone};
        for (int trial = 0; trial < 40; ++trial) {
            SCOPED_TRACE(trial);
            const ViewTransform view = random_view(random, mesh);
            const DeviceRect clip = random_box(random);
            const bool widths = trial % 5 != 0;
            RecordingCanvas plain(13);
            NoWidths plain_without(13);
            RecordingCanvas indexed(13);
            NoWidths indexed_without(13);
            RecordingCanvas& without_index = widths ? plain : plain_without;
            RecordingCanvas& with_index = widths ? indexed : indexed_without;
            without_index.clip = clip;
            with_index.clip = clip;
            paint_mesh(mesh, without_index, view);
            // Odd trials on two threads, with an index worked out in two halves.
            paint_mesh(mesh, with_index, view, indices[trial % 4],
                       trial % 2 != 0 ? 0 : threaded_paint_least);
            ASSERT_EQ(with_index.calls.size(), without_index.calls.size());
            for (std::size_t k = 0; k < with_index.calls.size(); ++k) {
                ASSERT_EQ(with_index.calls[k].kind, without_index.calls[k].kind) << k;
                ASSERT_EQ(with_index.calls[k].point, without_index.calls[k].point) << k;
                ASSERT_EQ(with_index.calls[k].text, without_index.calls[k].text) << k;
            }
        }
    }
}

} // namespace
