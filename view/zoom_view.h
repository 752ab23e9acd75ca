// How far the user has zoomed into the mesh and moved it: the fit, a zoom step and a pan.
#pragma once

#include "mesh_model.h"
#include "view_fit.h"
#include "view_transform.h"

#include <cstdint>

// Zoom steps run from 0, the fit itself, to this one, 2^16 times the fit's scale.
inline constexpr int deepest_zoom_step = 64;

// How far GDI draws lines exactly, less room for the largest window: zooming in stops before
// the extents of the mesh would span more than this, so that wherever the mesh is in view,
// every point of it lies where its lines are drawn exactly.
inline constexpr double exact_device_span = double{exact_line_reach} - 0x1p14;

// The scale of step `step` over the fit's: 2^(step / 4), as 2^(step mod 4 / 4), the nearest
// double, times an exact power of two.
double zoom_factor(int step);

class ZoomView {
public:
    int step() const { return step_; }
    // Whether the view is the fit, with no pan: the picture the window shows without zooming.
    bool at_fit() const { return step_ == 0 && pan_x_ == 0 && pan_y_ == 0; }

    // The view of a mesh whose fit to the client area is `fit`.
    ViewTransform transform(const ViewFit& fit) const;

    // Zooms to `step` about client point `about`, keeping the mesh point under it where it is;
    // step 0 is the fit again, with no pan. False, changing nothing, for a step below 0 or
    // beyond the deepest, for the step the view is at, and for a step deeper in where the
    // scale would not be finite or not 0, or where `mesh`'s extents would span more than
    // exact_device_span.
    bool zoom_to(int step, DevicePoint about, const ViewFit& fit, const MeshModel& mesh);

    // Moves the picture by (dx, dy) pixels; the pan saturates at the 32-bit range.
    void pan_by(std::int32_t dx, std::int32_t dy);

    // The client area went from `before` to `after`, the sizes of successive WM_SIZE messages.
    // At the fit the mesh is fitted anew and the pan dropped; zoomed in, the scale stays and
    // the mesh point at the centre of the client area stays there.
    void resize(DeviceSize before, DeviceSize after);

    // Back to the fit, with no pan.
    void reset() { *this = ZoomView{}; }

private:
    int step_ = 0;
    double base_scale_ = 0.0; // the fit's scale when the view last left step 0
    double offset_x_ = 0.0;   // the zoomed view's offsets; the fit's own at step 0
    double offset_y_ = 0.0;
    std::int32_t pan_x_ = 0;
    std::int32_t pan_y_ = 0;
};
