// What the shell tests share: a started main window, pictures of device contexts, and scripts
// that act on modal dialogs while their message loop runs.
#pragma once

#include "dib_picture.h"
#include "gdi_handles.h"
#include "mesh_model.h"
#include "pixel_picture.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

// Paths of the tests' own file sets and of the bundled examples, as Windows sees them: on the
// drive Wine maps to the Linux root.
std::string test_data_path(std::string_view file_name);
std::string example_path(std::string_view file_name);

// The example mesh of the tests: a 10 by 5 rectangle cut into two triangles by a diagonal whose
// side is marked -1, so it is not drawn.
void load_test_rectangle();

// Makes `mesh` the program's mesh as a load would, and has the main window show it.
void show_mesh(MeshModel mesh);

// The user's hand on the main window, as the messages it sends: the wheel turned by `delta`
// with the cursor at client point `at`; the left button pressed at `from`, the mouse moved to
// each of `to` and let go at the last; a key pressed.
void turn_wheel(int delta, POINT at);
void drag(POINT from, const std::vector<POINT>& to);
void press_key(WPARAM key);

// Removes every pending message of this thread, dispatching all but WM_QUIT.
void pump_messages();

// Destroys what start-up made (window, class, program-wide handles, mesh) so the next test
// starts from scratch in the same process.
void end_shell();

// Each test starts with the main window shown and its status bar created, as app_main leaves
// them before its message loop.
class ShellTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Gives the main window a client area of `width` by `height` pixels.
    void set_client_size(int width, int height);
};

std::string status_bar_text();

// The status bar laid out afresh for the main window's client area: on its bottom edge, across
// its width, with one part spanning the bar, showing "Ready".
void expect_status_bar_laid_out();

// GetDC and ReleaseDC as one scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A 32-bit picture behind a memory device context, white at the start.
class Picture {
public:
    Picture(int width, int height);
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    HDC dc() const { return dib_.dc(); }
    // The pixels in memory, device point (0, 0) first, for a canvas that writes them directly.
    PixelPicture pixels() const { return dib_.pixels(); }
    int width() const { return dib_.width(); }
    int height() const { return dib_.height(); }
    // 0x00RRGGBB; outside the picture, white.
    std::uint32_t pixel(int x, int y) const;
    bool same_pixels(const Picture& other) const;
    // Whether any pixel of colour `rgb` lies within `radius` of (x, y).
    bool has_near(std::uint32_t rgb, int x, int y, int radius) const;
    // Number of pixels of colour `rgb` inside the rectangle, right and bottom excluded.
    int count(std::uint32_t rgb, const RECT& area) const;
    bool save_bmp(const std::string& path) const;

private:
    DibPicture dib_;
};

inline constexpr std::uint32_t rgb_black = 0x000000;
inline constexpr std::uint32_t rgb_white = 0xFFFFFF;
inline constexpr std::uint32_t rgb_red = 0xFF0000;

// What the window shows in its client area, read back from its device context.
std::unique_ptr<Picture> capture_client_area(HWND window);

// Runs its steps, one per timer tick, while a modal loop runs on this thread, such as the one
// inside DialogBoxParamA, GetOpenFileNameA or the shell's own message loop. When the loop still
// runs after a time limit, every dialog of the thread is ended so that a failing test does not
// hang; rescued() then says so.
class ModalScript {
public:
    // A step returns false to be run again at the next tick, e.g. while its dialog is not open yet.
    using Step = std::function<bool()>;
    explicit ModalScript(std::vector<Step> steps);
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;
    ~ModalScript();

    bool finished() const { return next_ == steps_.size(); }
    bool rescued() const { return rescued_; }

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void run_next();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int ticks_ = 0;
    bool rescued_ = false;
    UINT_PTR timer_ = 0;
};

// A visible dialog of this thread whose title is `title`, or null.
HWND find_dialog(std::string_view title);
std::string window_text(HWND window);

// The manifest of `module`, or "" when it has none.
std::string manifest_of(HMODULE module);
// The manifest of the velmora.exe the tests were built with.
std::string velmora_exe_manifest();
// The text of the first element `name` in `xml`, or "" when it has none.
std::string element_text(const std::string& xml, const std::string& name);
