// Device coordinates worked out in double precision where that provably gives the pixel that
// extended precision gives. Each step of either rounds its result to within its own precision,
// so the two results lie within a small, computable distance of the exact value and of each
// other; where no pixel edge (an integer) lies within that distance of the double result, both
// truncate to the same pixel. Near an edge, beyond the 32-bit range and for NaN, the caller
// takes the extended-precision steps.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

// Bound of the error of a few steps of double arithmetic relative to the sum of the
// magnitudes they pass through: each step rounds to within 2^-53 of its result, and the
// extended steps' own error, 2^-64 a step, fits in what is to spare.
inline constexpr double double_steps_error = 0x1p-48;

// Values this far from 0 or further are left to the extended-precision steps: their
// truncation may not fit in 32 bits.
inline constexpr double certain_limit = 2147483000.0;

// The truncation toward zero of every real within `error` of `value`, where they all have the
// same one; nothing where an integer lies within reach.
inline std::optional<std::int32_t> certain_truncation(double value, double error) {
    constexpr double limit = certain_limit;
    if (!(value > -limit && value < limit)) {
        return std::nullopt;
    }
    const auto whole = static_cast<std::int32_t>(value);
    // Exact: both lie within 2^31 and differ by less than one.
    const double toward_zero = std::abs(value - whole);
    if (toward_zero > error && 1.0 - toward_zero > error) {
        return whole;
    }
    return std::nullopt;
}
