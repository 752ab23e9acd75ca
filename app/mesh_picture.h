// The main window's picture of its whole client area: drawn once, then copied to the window at
// every paint until something that shapes it changes. A repaint then costs the pixels it
// shows, not the size of the mesh, and the user sees the finished picture at once.
#pragma once

#include "dib_picture.h"
#include "digit_atlas_capture.h"

#include <optional>
#include <windows.h>

class MeshPicture {
public:
    // Copies the part `update` of the picture of `window`'s client area to `paint_dc`, drawing
    // the picture first where it is out of date or not the client area's size. False, having
    // drawn nothing, where no picture can be had: the window is then painted directly.
    bool paint(HWND window, HDC paint_dc, const RECT& update);
    // The mesh has changed: the next paint draws the picture afresh.
    void invalidate() { up_to_date_ = false; }
    // What the picture is drawn with may have changed (colours, fonts, font smoothing, the
    // display): the next paint makes everything afresh. Gives the picture's memory back.
    void release();

private:
    bool redraw(HWND window, HDC paint_dc, const RECT& client);

    std::optional<DibPicture> picture_;
    DigitAtlasCache digits_;
    bool up_to_date_ = false;
};
