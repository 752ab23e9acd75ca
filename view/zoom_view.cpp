#include "zoom_view.h"

#include <algorithm>
#include <array>
#include <cmath>

double zoom_factor(int step) {
    // 2^0, 2^0.25, 2^0.5 and 2^0.75 as the nearest doubles.
    constexpr std::array<double, 4> quarter_powers{1.0, 1.189207115002721, 1.4142135623730951,
                                                   1.681792830507429};
    return std::ldexp(quarter_powers[static_cast<std::size_t>(step % 4)], step / 4);
}

ViewTransform ZoomView::transform(const ViewFit& fit) const {
    if (step_ == 0) {
        return {fit.scale, fit.offset_x, fit.offset_y, pan_x_, pan_y_};
    }
    return {base_scale_ * zoom_factor(step_), offset_x_, offset_y_, pan_x_, pan_y_};
}

bool ZoomView::zoom_to(int step, DevicePoint about, const ViewFit& fit, const MeshModel& mesh) {
    if (step < 0 || step > deepest_zoom_step || step == step_) {
        return false;
    }
    if (step == 0) {
        reset();
        return true;
    }
    const double base = step_ == 0 ? fit.scale : base_scale_;
    const double scale_before = base * zoom_factor(step_);
    const double scale_after = base * zoom_factor(step);
    const double ratio = scale_after / scale_before;
    const double widest = std::max(mesh.x_max - mesh.x_min, mesh.y_max - mesh.y_min);
    if (step > step_ && (!std::isfinite(ratio) || scale_after == 0.0 ||
                         !(std::abs(scale_after) * widest <= exact_device_span))) {
        return false;
    }
    const double offset_x = step_ == 0 ? fit.offset_x : offset_x_;
    const double offset_y = step_ == 0 ? fit.offset_y : offset_y_;
    // The mesh point under `about` stays there: its distance from the origin's device point,
    // less the pan, grows with the scale.
    const double x = about.x;
    const double y = about.y;
    const double new_offset_x = x - (x - pan_x_ - offset_x) * ratio;
    const double new_offset_y = y - (y - pan_y_ - offset_y) * ratio;
    if (!std::isfinite(new_offset_x) || !std::isfinite(new_offset_y)) {
        return false;
    }
    step_ = step;
    base_scale_ = base;
    offset_x_ = new_offset_x;
    offset_y_ = new_offset_y;
    pan_x_ = 0;
    pan_y_ = 0;
    return true;
}

void ZoomView::pan_by(std::int32_t dx, std::int32_t dy) {
    pan_x_ = add_pan(pan_x_, dx);
    pan_y_ = add_pan(pan_y_, dy);
}

void ZoomView::resize(DeviceSize before, DeviceSize after) {
    if (step_ == 0) {
        pan_x_ = 0;
        pan_y_ = 0;
        return;
    }
    pan_by(after.width / 2 - before.width / 2, after.height / 2 - before.height / 2);
}
