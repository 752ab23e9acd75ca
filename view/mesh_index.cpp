#include "mesh_index.h"

#include "number_centre.h"
#include "second_thread.h"

#include <algorithm>
#include <array>
#include <emmintrin.h>
#include <limits>

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// A centre computed in double precision lies within this much of the extended-precision one,
// relative to the sum of the corners' magnitudes (far more than the few roundings it takes).
constexpr double centre_error = 0x1p-48;

// The box of the points put into it so far, x and y side by side in SSE2 as every x86-64
// processor has it: a block's records are taken in without a branch on their values.
class Bounds {
public:
    // Takes in the box from `low` to `high` (x low, y low and x high, y high), worked out from
    // the points `p` and `q`. Where a coordinate of either is not finite (NaN included), the
    // block's bounds are everything, whatever `low` and `high` are.
    void take(__m128d low, __m128d high, __m128d p, __m128d q) {
        lo_ = _mm_min_pd(lo_, low);
        hi_ = _mm_max_pd(hi_, high);
        // p - p is 0 for a finite p and NaN otherwise, and a NaN stays in the sum.
        finite_ = _mm_add_pd(finite_, _mm_add_pd(_mm_sub_pd(p, p), _mm_sub_pd(q, q)));
    }
    // Takes in the box of another's points.
    void take(const Bounds& other) {
        lo_ = _mm_min_pd(lo_, other.lo_);
        hi_ = _mm_max_pd(hi_, other.hi_);
        finite_ = _mm_add_pd(finite_, other.finite_);
    }
    // Takes in an element's sum of corner magnitudes.
    void take_corners(__m128d magnitude) { corners_ = _mm_max_pd(corners_, magnitude); }
    RecordBlock block(std::size_t first, std::size_t end) const {
        const auto begin_at = static_cast<std::int32_t>(first);
        const auto end_at = static_cast<std::int32_t>(end);
        if (!finite()) {
            return {begin_at, end_at, {-inf, inf}, {-inf, inf}};
        }
        return {begin_at, end_at, {low(lo_), low(hi_)}, {high(lo_), high(hi_)}};
    }
    ElementBlock element_block(std::size_t first, std::size_t end) const {
        if (!finite()) {
            return {block(first, end), inf, inf};
        }
        return {block(first, end), low(corners_), high(corners_)};
    }

private:
    bool finite() const { return _mm_movemask_pd(_mm_cmpunord_pd(finite_, finite_)) == 0; }
    static double low(__m128d pair) { return _mm_cvtsd_f64(pair); }
    static double high(__m128d pair) { return _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair)); }

    __m128d lo_ = _mm_set1_pd(inf);
    __m128d hi_ = _mm_set1_pd(-inf);
    __m128d finite_ = _mm_setzero_pd();
    __m128d corners_ = _mm_setzero_pd();
};

// Calls `work(first, end, k)` for the halves k = 0 and 1 of [0, count), the first on the view's
// second thread where `split` and the thread is free, otherwise one after the other; where not
// `split`, work(0, count, 1) alone.
template <typename Work> void in_halves(std::size_t count, bool split, Work&& work) {
    if (!split) {
        work(std::size_t{0}, count, 1);
        return;
    }
    const std::size_t half = count / 2;
    bool first_done = false;
    view_second_thread().run_beside(
        [&] {
            work(std::size_t{0}, half, 0);
            first_done = true;
        },
        [&] { work(half, count, 1); });
    if (!first_done) {
        work(std::size_t{0}, half, 0);
    }
}

// The blocks of `count` records, the bounds of each taken in by `take(record, bounds)` and made
// a block by `make(bounds, first, end)`; in two halves from `threaded_least` records on.
template <typename Take, typename Make>
auto blocks_of(std::size_t count, std::size_t threaded_least, Take&& take, Make&& make) {
    using Block = decltype(make(Bounds{}, std::size_t{}, std::size_t{}));
    std::vector<Block> blocks((count + MeshIndex::block_size - 1) / MeshIndex::block_size);
    in_halves(blocks.size(), count >= threaded_least,
              [&](std::size_t first_block, std::size_t end_block, int) {
                  for (std::size_t k = first_block; k < end_block; ++k) {
                      Bounds bounds;
                      const std::size_t first = k * MeshIndex::block_size;
                      const std::size_t end = std::min(first + MeshIndex::block_size, count);
                      for (std::size_t record = first; record < end; ++record) {
                          take(record, bounds);
                      }
                      blocks[k] = make(bounds, first, end);
                  }
              });
    return blocks;
}

__m128d corner(const MeshModel& mesh, std::int32_t index) {
    return _mm_loadu_pd(&mesh.node(index).x);
}

std::vector<ElementBlock> element_blocks_of(const MeshModel& mesh, std::size_t threaded_least) {
    return blocks_of(
        mesh.elements.size(), threaded_least,
        [&mesh](std::size_t record, Bounds& bounds) {
            const MeshElement& element = mesh.elements[record];
            if (!has_corners(mesh, element)) {
                return;
            }
            const CornerSums corners = corner_sums(
                mesh.node(element.node_a), mesh.node(element.node_b), mesh.node(element.node_c));
            // The painter's centre, exactly: the same steps in the same order.
            const __m128d centre = centre_of(corners.sum);
            const __m128d error = _mm_mul_pd(corners.magnitude, _mm_set1_pd(centre_error));
            // A corner that is not finite makes the centre, or its error, not finite.
            const __m128d low = _mm_sub_pd(centre, error);
            const __m128d high = _mm_add_pd(centre, error);
            bounds.take(low, high, low, high);
            bounds.take_corners(corners.magnitude);
        },
        [](const Bounds& bounds, std::size_t first, std::size_t end) {
            return bounds.element_block(first, end);
        });
}

std::vector<RecordBlock> side_blocks_of(const MeshModel& mesh, std::size_t threaded_least) {
    return blocks_of(
        mesh.sides.size(), threaded_least,
        [&mesh](std::size_t record, Bounds& bounds) {
            const MeshSide& side = mesh.sides[record];
            if (side.mark == -1 || !mesh.has_node(side.node_a) || !mesh.has_node(side.node_b)) {
                return;
            }
            const __m128d a = corner(mesh, side.node_a);
            const __m128d b = corner(mesh, side.node_b);
            // min and max pass over a NaN: the corners themselves tell.
            bounds.take(_mm_min_pd(a, b), _mm_max_pd(a, b), a, b);
        },
        [](const Bounds& bounds, std::size_t first, std::size_t end) {
            return bounds.block(first, end);
        });
}

RecordBlock nodes_box_of(const MeshModel& mesh, std::size_t threaded_least) {
    std::array<Bounds, 2> halves;
    in_halves(mesh.nodes.size(), mesh.nodes.size() >= threaded_least,
              [&](std::size_t first, std::size_t end, int k) {
                  Bounds& bounds = halves[static_cast<std::size_t>(k)];
                  for (std::size_t node = first; node < end; ++node) {
                      const __m128d p = _mm_loadu_pd(&mesh.nodes[node].x);
                      bounds.take(p, p, p, p);
                  }
              });
    halves[0].take(halves[1]);
    return halves[0].block(0, mesh.nodes.size());
}

} // namespace

MeshIndex::MeshIndex(const MeshModel& mesh, std::size_t threaded_least)
    : threaded_least_(threaded_least), node_count_(mesh.nodes.size()),
      element_count_(mesh.elements.size()), side_count_(mesh.sides.size()),
      element_blocks_(element_blocks_of(mesh, threaded_least)),
      nodes_box_(nodes_box_of(mesh, threaded_least)) {}

const std::vector<RecordBlock>& MeshIndex::side_blocks(const MeshModel& mesh) const {
    if (!side_blocks_) {
        side_blocks_ = side_blocks_of(mesh, threaded_least_);
    }
    return *side_blocks_;
}

std::size_t MeshIndex::kept_bytes() const {
    return sizeof(*this) + element_blocks_.capacity() * sizeof(ElementBlock) +
           (side_blocks_ ? side_blocks_->capacity() * sizeof(RecordBlock) : 0);
}
