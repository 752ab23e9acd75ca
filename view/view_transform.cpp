#include "view_transform.h"

#include "certain_truncation.h"

#include <cmath>
#include <limits>
#include <utility>

DevicePoint quick_to_device(const ViewTransform& view, double x, double y) {
    const double across = view.scale * x;
    const double down = -view.scale * y;
    const double device_x = across + view.offset_x;
    const double device_y = down + view.offset_y;
    const auto quick_x = certain_truncation(
        device_x,
        double_steps_error * (std::abs(across) + std::abs(view.offset_x) + std::abs(device_x)));
    const auto quick_y = certain_truncation(
        device_y,
        double_steps_error * (std::abs(down) + std::abs(view.offset_y) + std::abs(device_y)));
    if (quick_x && quick_y) {
        return add_pan({*quick_x, *quick_y}, view);
    }
    return to_device(view, x, y);
}

MeshInterval device_preimage(double scale, double offset, double lift, std::int32_t pan,
                             std::int64_t device_lo, std::int64_t device_hi) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    if (device_lo > device_hi) {
        return {inf, -inf};
    }
    if (!std::isfinite(scale) || scale == 0.0 || !std::isfinite(offset) || !std::isfinite(lift)) {
        return {-inf, inf};
    }
    // The truncated values that land in the range once panned. Where the range reaches an end
    // of the 32-bit range, every value beyond saturates into it, and so does every real whose
    // truncation saturates.
    double truncated_lo = device_lo <= low ? -inf : static_cast<double>(device_lo - pan);
    double truncated_hi = device_hi >= high ? inf : static_cast<double>(device_hi - pan);
    if (truncated_lo <= static_cast<double>(low)) {
        truncated_lo = -inf;
    }
    if (truncated_hi >= static_cast<double>(high)) {
        truncated_hi = inf;
    }
    // A real truncates to t from (t - 1, t + 1); a pixel more covers the rounding of the
    // painter's steps and of these.
    double lo = (truncated_lo - 2.0 - offset + lift) / scale;
    double hi = (truncated_hi + 2.0 - offset + lift) / scale;
    if (scale < 0.0) {
        std::swap(lo, hi);
    }
    // Far more than the rounding of either side's steps, even where the offset cancels most of
    // scale * u.
    const double magnitude = (std::isfinite(lo) ? std::abs(lo) : 0.0) +
                             (std::isfinite(hi) ? std::abs(hi) : 0.0) +
                             (std::abs(offset) + std::abs(lift) + 2.0) / std::abs(scale);
    const double slack = magnitude * 0x1p-40;
    if (!std::isfinite(slack)) {
        return {-inf, inf};
    }
    return {lo - slack, hi + slack};
}
