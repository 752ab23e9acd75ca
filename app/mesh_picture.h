// The main window's picture of its whole client area, and the view it shows: drawn once, then
// copied to the window at every paint until something that shapes it changes. A repaint then
// costs the pixels it shows, not the size of the mesh, and the user sees the finished picture at
// once. Moving the view by whole pixels moves the picture and draws only what comes into view,
// where that gives the same pixels as drawing it all.
#pragma once

#include "dib_picture.h"
#include "digit_atlas_capture.h"
#include "mesh_index.h"
#include "view_transform.h"
#include "zoom_view.h"

#include <cstdint>
#include <optional>
#include <windows.h>

class MeshPicture {
public:
    // Copies the part `update` of the picture of `window`'s client area to `paint_dc`, drawing
    // what is out of date first. False, having drawn nothing, where no picture can be had: the
    // window is then painted directly.
    bool paint(HWND window, HDC paint_dc, const RECT& update);
    // Paints the view on `paint_dc` itself, every part of the mesh that can show in `client`.
    void paint_directly(HDC paint_dc, const RECT& client);
    // What the picture is drawn with may have changed (colours, fonts, font smoothing, the
    // display): the next paint makes everything afresh. Gives the picture's memory back; the
    // view stays.
    void release();
    // Everything back as it was at the start, the view at the fit.
    void clear() { *this = MeshPicture{}; }

    // Whether the index of the current mesh has work left for later: the sides' boxes, which a
    // picture at the fit of a dense mesh needs none of. complete_index() does it.
    bool index_incomplete() const { return index_ && !index_->sides_worked_out(); }
    void complete_index();

    // The view of the current mesh in `window`'s client area as it is now.
    ViewTransform transform(HWND window);
    int zoom_step();
    // Zooms to `step` about client point `about` and has the window repainted; false where the
    // view cannot go there.
    bool zoom_to(HWND window, int step, DevicePoint about);
    // Moves the picture by (dx, dy) pixels and has the window repainted.
    void pan_by(HWND window, std::int32_t dx, std::int32_t dy);
    // Back to the fit, with no pan.
    void show_fit(HWND window);
    // The client area now has `size` (WM_SIZE): at the fit the mesh is fitted anew; zoomed in,
    // the mesh point at the centre stays there.
    void resize(DeviceSize size);

private:
    // A new mesh is shown at the fit, and nothing made of the old one is used again.
    void notice_new_mesh();
    bool redraw(HWND window, HDC paint_dc, const RECT& client, const ViewTransform& view);
    // Draws the part `area` of the picture of `view`, its background first.
    void draw(HWND window, const DeviceRect& area, const ViewTransform& view);
    // The index of the current mesh, made when it is first drawn: a view of a part of the mesh
    // looks only at that part, and a picture of all of it leaves out at once what lies under
    // the numbers.
    const MeshIndex& index();
    void invalidate(HWND window);

    std::optional<DibPicture> picture_;
    DrawingProbes probes_;
    bool up_to_date_ = false;
    ViewTransform drawn_; // the view the picture shows
    ZoomView view_;
    std::optional<DeviceSize> client_size_;  // as the last WM_SIZE gave it
    std::optional<std::uint64_t> mesh_load_; // the load of the mesh the view and index are of
    std::optional<MeshIndex> index_;
};
