// velmora_repaint_bench: the time of one full repaint of a mesh in a 1024 x 768 window through
// GDI, painted as the viewer's main window paints (BeginPaint, the painter on a GdiCanvas over
// the whole client area, EndPaint), and of the same paint into a 1024 x 768 bitmap compatible
// with the screen.
//
//   velmora_repaint_bench --meshes DIR [--figures FILE] [--sizes 100k,1M] [--base 0|1]
//                         [--repetitions N] [--pictures DIR]
//
// Each repaint is timed from the invalidation of the whole client area to the end of
// GdiFlush: background erase, every line and every number. One untimed repaint first, then N
// timed (default 5, 3 from a million triangles); the median counts. --pictures keeps the
// bitmap's last picture of each mesh as <mesh>.ppm.

#include "gdi_canvas.h"
#include "harness.h"
#include "mesh_painter.h"
#include "readers.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>
#include <windows.h>

namespace {

constexpr std::string_view program = "velmora_repaint_bench";
constexpr int client_width = 1024;
constexpr int client_height = 768;
constexpr const char* window_class_name = "VelmoraRepaintBenchmark";
constexpr std::int64_t large_triangles = 1'000'000;

// The mesh the window paints; none before the first load.
const MeshModel* painted_mesh = nullptr;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window, &paint);
    if (painted_mesh != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        GdiCanvas canvas(dc);
        paint_mesh(*painted_mesh, canvas, to_device_rect(client));
    }
    GdiFlush();
    EndPaint(window, &paint);
    return 0;
}

void pump_messages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A top-level window with a client area of 1024 x 768 and the viewer's window colour behind.
class BenchWindow {
public:
    BenchWindow() {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA window_class{};
        window_class.style = CS_HREDRAW | CS_VREDRAW;
        window_class.lpfnWndProc = window_proc;
        window_class.hInstance = instance;
        window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        window_class.lpszClassName = window_class_name;
        RegisterClassA(&window_class);
        RECT frame{0, 0, client_width, client_height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        window_ = CreateWindowExA(0, window_class_name, "Velmora repaint benchmark",
                                  WS_OVERLAPPEDWINDOW, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
        if (window_ != nullptr) {
            ShowWindow(window_, SW_SHOWNORMAL);
            UpdateWindow(window_);
            pump_messages();
        }
    }
    ~BenchWindow() {
        if (window_ != nullptr) {
            DestroyWindow(window_);
            pump_messages();
        }
        UnregisterClassA(window_class_name, GetModuleHandleA(nullptr));
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    HWND handle() const { return window_; }

    RECT client() const {
        RECT client{};
        GetClientRect(window_, &client);
        return client;
    }

    // One full repaint: the whole client area invalidated, painted at once, flushed.
    double repaint_ms() const {
        InvalidateRect(window_, nullptr, TRUE);
        const Clock::time_point start = Clock::now();
        UpdateWindow(window_);
        GdiFlush();
        const double ms = milliseconds_since(start);
        pump_messages();
        return ms;
    }

private:
    HWND window_ = nullptr;
};

// A 1024 x 768 bitmap compatible with the screen, selected into a memory device context.
class ScreenBitmap {
public:
    ScreenBitmap() {
        const HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, client_width, client_height);
        ReleaseDC(nullptr, screen);
        if (dc_ != nullptr && bitmap_ != nullptr) {
            previous_ = SelectObject(dc_, bitmap_);
        }
    }
    ~ScreenBitmap() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    ScreenBitmap(const ScreenBitmap&) = delete;
    ScreenBitmap& operator=(const ScreenBitmap&) = delete;

    bool valid() const { return previous_ != nullptr; }

    double paint_ms(const MeshModel& mesh) const {
        const Clock::time_point start = Clock::now();
        PatBlt(dc_, 0, 0, client_width, client_height, WHITENESS);
        GdiCanvas canvas(dc_);
        paint_mesh(mesh, canvas, DeviceRect{0, 0, client_width, client_height});
        GdiFlush();
        return milliseconds_since(start);
    }

    // The bitmap's pixels, top row first, as 32-bit 0x00RRGGBB; empty on failure.
    std::vector<std::uint32_t> pixels() const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client_width;
        info.bmiHeader.biHeight = -client_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<std::uint32_t> pixels(std::size_t{client_width} * client_height);
        if (GetDIBits(dc_, bitmap_, 0, client_height, pixels.data(), &info, DIB_RGB_COLORS) !=
            client_height) {
            return {};
        }
        return pixels;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// The share of the pixels that are not white: proof that something was drawn.
double inked_share(const std::vector<std::uint32_t>& pixels) {
    const auto inked = std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t pixel) {
        return (pixel & 0xFFFFFF) != 0xFFFFFF;
    });
    return pixels.empty() ? 0.0 : static_cast<double>(inked) / static_cast<double>(pixels.size());
}

// Writes the pixels as a binary PPM picture.
bool save_picture(const std::vector<std::uint32_t>& pixels, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", client_width, client_height);
    for (const std::uint32_t pixel : pixels) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16),
                                      static_cast<unsigned char>(pixel >> 8),
                                      static_cast<unsigned char>(pixel)};
        std::fwrite(rgb, 1, sizeof rgb, file);
    }
    return std::fclose(file) == 0;
}

// The metrics of the font numbers are drawn in: what the native counting canvas mimics.
void print_font(HWND window) {
    const HDC dc = GetDC(window);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    std::fprintf(stdout, "font: height %ld, digit widths", metrics.tmHeight);
    for (const char digit : std::string_view("0123456789")) {
        SIZE size{};
        GetTextExtentPoint32A(dc, &digit, 1, &size);
        std::fprintf(stdout, " %ld", size.cx);
    }
    std::fputc('\n', stdout);
    ReleaseDC(window, dc);
}

} // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    options.sizes = {"100k", "1M"};
    std::string pictures; // where the last paint of each mesh is saved, if anywhere
    std::int32_t numbering_base = 0;
    const bool parsed = parse_bench_options(
        program, std::span<char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), options,
        [&](std::string_view name, const char* value) {
            if (name == "--pictures") {
                pictures = value;
            } else if (name == "--base") {
                numbering_base = std::atoi(value) == 1 ? 1 : 0;
            } else {
                return false;
            }
            return true;
        });
    if (!parsed) {
        return 2;
    }
    std::vector<BenchMesh> meshes = meshes_to_measure(program, options);
    std::erase_if(meshes,
                  [&](const BenchMesh& mesh) { return mesh.numbering_base != numbering_base; });
    if (meshes.empty()) {
        return 1;
    }

    const BenchWindow window;
    const ScreenBitmap bitmap;
    if (window.handle() == nullptr || !bitmap.valid()) {
        std::fprintf(stderr, "velmora_repaint_bench: cannot make the %s (error %lu)\n",
                     window.handle() == nullptr ? "window" : "bitmap", GetLastError());
        return 1;
    }
    const RECT client = window.client();
    std::fprintf(stdout, "window client area %ld x %ld\n", client.right - client.left,
                 client.bottom - client.top);
    print_font(window.handle());

    Figures figures;
    for (const BenchMesh& mesh : meshes) {
        MeshModel model;
        if (!load_with(Reader::product, model, mesh.node_path)) {
            return 1;
        }
        painted_mesh = &model;
        const int repetitions = options.repetitions != 0                 ? options.repetitions
                                : mesh.size.triangles >= large_triangles ? 3
                                                                         : 5;
        const double window_ms = warm_median(repetitions, [&] { return window.repaint_ms(); });
        const double bitmap_ms = warm_median(repetitions, [&] { return bitmap.paint_ms(model); });
        painted_mesh = nullptr;
        const std::vector<std::uint32_t> pixels = bitmap.pixels();
        if (!pictures.empty() && !save_picture(pixels, pictures + "/" + mesh.id() + ".ppm")) {
            std::fprintf(stderr, "velmora_repaint_bench: cannot save the picture of %s\n",
                         mesh.id().c_str());
        }
        std::fprintf(stdout,
                     "%-11s repaint %9.1f ms in the window, %9.1f ms in a bitmap"
                     " (medians of %d; %.0f %% of the bitmap inked)\n",
                     mesh.id().c_str(), window_ms, bitmap_ms, repetitions,
                     100.0 * inked_share(pixels));
        std::fflush(stdout);
        figures.set(figure::gdi_window_ms, mesh.id(), window_ms);
        figures.set(figure::gdi_memory_ms, mesh.id(), bitmap_ms);
    }
    return write_figures(program, options, figures) ? 0 : 1;
}
