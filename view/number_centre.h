// The centre an element's number is placed on, as the painter and the index both work it out:
// x and y side by side in SSE2, as every x86-64 processor has it, so that the index's boxes of
// centres follow the painter's centres step for step.
#pragma once

#include "mesh_model.h"

#include <emmintrin.h>

// The label sits at 0.333 of the corner sum, a hair toward the origin from the centroid.
inline constexpr double centre_factor = 0.333;

// Whether every corner of `element` is a node of the mesh: an element with one missing is
// never drawn.
inline bool has_corners(const MeshModel& mesh, const MeshElement& element) {
    return mesh.has_node(element.node_a) && mesh.has_node(element.node_b) &&
           mesh.has_node(element.node_c);
}

// Both lanes without their signs.
inline __m128d magnitudes(__m128d pair) {
    return _mm_and_pd(pair, _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF)));
}

// The sum of the corners a, b and c in the order every centre takes them (b + a + c), and the
// sum of their magnitudes, which bounds what the sum's roundings can have lost.
struct CornerSums {
    __m128d sum;
    __m128d magnitude;
};

inline CornerSums corner_sums(const MeshNode& a, const MeshNode& b, const MeshNode& c) {
    const __m128d corner_a = _mm_loadu_pd(&a.x);
    const __m128d corner_b = _mm_loadu_pd(&b.x);
    const __m128d corner_c = _mm_loadu_pd(&c.x);
    return {
        _mm_add_pd(_mm_add_pd(corner_b, corner_a), corner_c),
        _mm_add_pd(_mm_add_pd(magnitudes(corner_a), magnitudes(corner_b)), magnitudes(corner_c))};
}

// The centre of the corners whose sum is `corner_sum`.
inline __m128d centre_of(__m128d corner_sum) {
    return _mm_mul_pd(_mm_set1_pd(centre_factor), corner_sum);
}
