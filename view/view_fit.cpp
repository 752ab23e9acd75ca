#include "view_fit.h"

#include <cmath>
#include <limits>

namespace {

// Room left around the picture: 40 pixels across, 20 down.
constexpr std::int32_t width_reserve = 40;
constexpr std::int32_t height_reserve = 20;
// The mesh fills 90 % of the usable size and sits 5 % of its span inside the margins.
constexpr double fill = 0.9;
constexpr double margin = 0.05;
// Keeps a zero extent from dividing by zero.
constexpr double tiny = 1e-30;

// Everything before a truncation is carried in extended precision; the constants are the
// doubles they would be in double arithmetic.
using Extended = long double;

} // namespace

ViewFit compute_view_fit(const MeshModel& mesh, DeviceRect rect) {
    ViewFit fit;
    // In 64 bits, so that a rectangle spanning the whole 32-bit range cannot overflow.
    const auto width = std::int64_t{rect.right} - rect.left - width_reserve;
    const auto height = std::int64_t{rect.bottom} - rect.top - height_reserve;
    fit.usable_width = truncate_to_int32(static_cast<Extended>(width));
    fit.usable_height = truncate_to_int32(static_cast<Extended>(height));

    const Extended extent_x = Extended{mesh.x_max} - mesh.x_min;
    const Extended extent_y = Extended{mesh.y_max} - mesh.y_min;
    const Extended ratio_y = Extended{fill} * fit.usable_height / (extent_y + Extended{tiny});
    const Extended ratio_x = Extended{fill} * fit.usable_width / (extent_x + Extended{tiny});
    // The smaller ratio fits both ways; a tie takes ratio_x.
    fit.scale = static_cast<double>(ratio_x > ratio_y ? ratio_y : ratio_x);

    // Whole units only: the fraction of an extent does not enter the margins.
    const std::int32_t span_x = truncate_to_int32(extent_x);
    const std::int32_t span_y = truncate_to_int32(extent_y);
    const Extended scale = fit.scale;
    // The lower-left corner of the extents sits at the margin point, so that a mesh reaching
    // into negative coordinates fits as well as one in the positive quadrant. There x_min
    // and y_min are 0 and the corner is the origin.
    fit.offset_x = static_cast<double>(Extended{margin} * (scale * span_x) - scale * mesh.x_min);
    fit.offset_y = static_cast<double>(fit.usable_height - Extended{margin} * (scale * span_y) +
                                       scale * mesh.y_min);
    return fit;
}
