// velmora_repaint_bench: repaints of the viewer's own main window with a client area of
// 1024 x 768, through GDI, measured the way the user meets them:
//
//   full     the picture of the fit drawn afresh and shown: from Home, zoomed in a step, to the
//            end of GdiFlush
//   resize   the same as the window's border is dragged: from a change of the client area's
//            size by a pixel
//   partial  a 200 x 150 part of the client area invalidated and repainted, nothing changed
//   open     the mesh read with load_mesh_file_set and its first picture shown: what the user
//            waits for once the Open dialog has gone; and the same through the real dialog,
//            from its OK to the first picture
//   plain    the plain drawing on the window's paint DC, every side with MoveToEx and LineTo
//            and every number with TextOutA, measured in the same run for the ratio
//   direct   the painter on the paint DC itself, leaving out what cannot show but composing
//            nothing: how the window painted before it kept a picture, and how it paints where
//            no picture can be had
//   zoom     a wheel step into zoom step 8 and into step 24 about the centre of the client area,
//            until the picture of the new view is shown; with the plain drawing of each view
//   drag     a drag of 10 pixels at step 8, until the moved picture is shown
//
// and checks that the window shows the plain drawing's pixels, at the fit and in every view. It
// also tells the memory a repaint takes besides the mesh: what stays (the picture) and the most it
// needs at once. Medians of N runs after one that is not counted (N: 5, 3 from a million triangles,
// 1 at four million for the slow plain and direct drawings); partial repaints are repeated into
// samples of half a second.
//
//   velmora_repaint_bench --meshes DIR [--figures FILE] [--sizes 100k,1M,4M] [--base 0|1]
//                         [--repetitions N]

#include "app_main.h"
#include "dib_picture.h"
#include "gdi_canvas.h"
#include "harness.h"
#include "main_window.h"
#include "mesh_index.h"
#include "mesh_painter.h"
#include "mesh_reader.h"
#include "plain_canvas.h"
#include "process_memory.h"
#include "resource_ids.h"
#include "scratch_memory.h"
#include "shell_state.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <utility>
#include <vector>
#include <windows.h>
// dlgs.h needs windows.h first.
#include <dlgs.h>

namespace {

constexpr std::string_view program = "velmora_repaint_bench";
constexpr int client_width = 1024;
constexpr int client_height = 768;
constexpr RECT partial_area{412, 309, 612, 459}; // 200 x 150 in the middle
constexpr std::int64_t large_triangles = 1'000'000;
constexpr std::int64_t huge_triangles = 4'000'000;

// How the window paints while a drawing is timed.
enum class Painting { product, plain, direct };
Painting painting = Painting::product;
WNDPROC product_proc = nullptr;

LRESULT CALLBACK bench_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT || painting == Painting::product) {
        return CallWindowProcA(product_proc, window, message, wParam, lParam);
    }
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    if (painting == Painting::plain) {
        PlainCanvas canvas(paint.hdc);
        paint_mesh(current_mesh(), canvas, main_window_view());
    } else {
        GdiCanvas canvas(paint.hdc);
        paint_mesh(current_mesh(), canvas, main_window_view());
    }
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

// Gives the main window a client area of `width` x `height`.
void set_client_size(int width, int height) {
    RECT outer{};
    RECT client{};
    GetWindowRect(main_window, &outer);
    GetClientRect(main_window, &client);
    SetWindowPos(main_window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                 height + (outer.bottom - outer.top) - client.bottom,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

// The viewer's main window, its client area 1024 x 768.
bool start_window() {
    if (!start_main_window(GetModuleHandleA(nullptr))) {
        return false;
    }
    set_client_size(client_width, client_height);
    product_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&bench_proc)));
    pump_messages();
    return true;
}

// Repaints `part` of the client area (all of it when null), the picture drawn afresh first
// when `afresh`; the milliseconds until GDI has finished.
double repaint_ms(const RECT* part, bool afresh) {
    const Clock::time_point start = Clock::now();
    if (afresh) {
        // As after a load: the window's picture is made of the mesh anew.
        ++current_mesh().load_count;
    }
    InvalidateRect(main_window, afresh ? nullptr : part, TRUE);
    UpdateWindow(main_window);
    GdiFlush();
    const double ms = milliseconds_since(start);
    pump_messages();
    return ms;
}

// Turns the wheel by `notches` with the cursor at the centre of the client area; the
// milliseconds until the picture of the new view is shown.
double wheel_ms(int notches) {
    POINT centre{client_width / 2, client_height / 2};
    ClientToScreen(main_window, &centre);
    const Clock::time_point start = Clock::now();
    SendMessageA(main_window, WM_MOUSEWHEEL,
                 MAKEWPARAM(0, static_cast<WORD>(static_cast<SHORT>(notches * WHEEL_DELTA))),
                 MAKELPARAM(centre.x, centre.y));
    UpdateWindow(main_window);
    GdiFlush();
    const double ms = milliseconds_since(start);
    pump_messages();
    return ms;
}

// Back to the fit with Home from a notch of the wheel in: the picture of the fit drawn afresh,
// the milliseconds from the key until GDI has finished.
double fit_again_ms() {
    wheel_ms(1);
    const Clock::time_point start = Clock::now();
    SendMessageA(main_window, WM_KEYDOWN, VK_HOME, 0);
    UpdateWindow(main_window);
    GdiFlush();
    const double ms = milliseconds_since(start);
    pump_messages();
    return ms;
}

// The window's border dragged by a pixel and back: the picture of the fit drawn afresh twice,
// at 1024 x 767 and at 1024 x 768; the milliseconds of one, until GDI has finished.
double resize_ms() {
    const Clock::time_point start = Clock::now();
    for (const int height : {client_height - 1, client_height}) {
        set_client_size(client_width, height);
        UpdateWindow(main_window);
    }
    GdiFlush();
    const double ms = milliseconds_since(start) / 2;
    pump_messages();
    return ms;
}

// Back to the fit with Home, then the wheel to `step`, its last notch timed.
double zoom_to_step_ms(int step) {
    SendMessageA(main_window, WM_KEYDOWN, VK_HOME, 0);
    wheel_ms(step - 1);
    return wheel_ms(1);
}

// Drags the picture `dx` pixels across; the milliseconds from the mouse's move until the moved
// picture is shown.
double drag_ms(int dx) {
    constexpr int x = client_width / 2;
    constexpr int y = client_height / 2;
    SendMessageA(main_window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    const Clock::time_point start = Clock::now();
    SendMessageA(main_window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx, y));
    UpdateWindow(main_window);
    GdiFlush();
    const double ms = milliseconds_since(start);
    SendMessageA(main_window, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y));
    pump_messages();
    return ms;
}

// What the client area shows, 0x00RRGGBB, top row first.
std::vector<std::uint32_t> client_pixels() {
    const HDC window_dc = GetDC(main_window);
    std::vector<std::uint32_t> pixels;
    if (const auto picture = DibPicture::create(window_dc, client_width, client_height)) {
        BitBlt(picture->dc(), 0, 0, client_width, client_height, window_dc, 0, 0, SRCCOPY);
        GdiFlush();
        const PixelPicture copied = picture->pixels();
        for (int y = 0; y < client_height; ++y) {
            for (int x = 0; x < client_width; ++x) {
                pixels.push_back(copied.at(x, y) & 0xFFFFFF);
            }
        }
    }
    ReleaseDC(main_window, window_dc);
    return pixels;
}

// Loads the file set into the program's mesh as File, Open does; false where the path does
// not fit. A failure to read ends the program, as it ends the viewer.
bool load(const std::string& node_path) {
    std::array<char, max_path_length> path{};
    if (node_path.size() >= path.size()) {
        return false;
    }
    node_path.copy(path.data(), node_path.size());
    load_mesh_file_set(path.data());
    return true;
}

std::size_t pixels_differing(const std::vector<std::uint32_t>& a,
                             const std::vector<std::uint32_t>& b) {
    std::size_t differing = a.size() == b.size() ? 0 : std::max(a.size(), b.size());
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        differing += a[i] != b[i] ? 1 : 0;
    }
    return differing;
}

// Empties the program's mesh, its arrays freed as they are when the program starts, with the
// count of loads kept going: a picture shown for a mesh loaded as many times before would
// otherwise pass for the new mesh's, and the first picture would not be drawn.
void empty_mesh() {
    MeshModel empty;
    empty.load_count = current_mesh().load_count;
    current_mesh() = std::move(empty);
}

// The Open dialog as the user meets it: File, Open, the node file's path in the file name box
// and OK pressed, from a timer once the dialog shows; the milliseconds from OK until the first
// picture of the mesh is shown.
struct DialogOpening {
    static inline std::string path;
    static inline Clock::time_point ok;
    static inline bool pressed = false;

    static void CALLBACK press_ok(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND dialog = FindWindowA("#32770", "Open");
        if (dialog == nullptr) {
            return;
        }
        const HWND combo = GetDlgItem(dialog, cmb13);
        SetWindowTextA(combo != nullptr ? combo : GetDlgItem(dialog, edt1), path.c_str());
        KillTimer(nullptr, timer);
        pressed = true;
        ok = Clock::now();
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
};

double dialog_open_ms(const std::string& node_path) {
    // The dialog takes a Windows path: backslashes only.
    DialogOpening::path = node_path;
    std::replace(DialogOpening::path.begin(), DialogOpening::path.end(), '/', '\\');
    DialogOpening::pressed = false;
    SetTimer(nullptr, 0, 20, DialogOpening::press_ok);
    SendMessageA(main_window, WM_COMMAND, command_open, 0);
    UpdateWindow(main_window);
    GdiFlush();
    const double ms = DialogOpening::pressed ? milliseconds_since(DialogOpening::ok) : 0.0;
    pump_messages();
    return ms;
}

// The median of `repetitions` timed runs of a slow drawing, after one warming run where
// there is time for it.
template <typename Run> double slow_median(int repetitions, bool warm, Run run) {
    if (warm) {
        run();
    }
    Samples samples(repetitions);
    while (samples.wanted()) {
        samples.add(run());
    }
    return samples.median();
}

} // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    options.sizes = {"100k", "1M", "4M"};
    std::int32_t numbering_base = 0;
    const bool parsed = parse_bench_options(
        program, std::span<char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), options,
        [&](std::string_view name, const char* value) {
            if (name == "--base") {
                numbering_base = std::atoi(value) == 1 ? 1 : 0;
                return true;
            }
            return false;
        });
    if (!parsed) {
        return 2;
    }
    std::vector<BenchMesh> meshes = meshes_to_measure(program, options);
    std::erase_if(meshes,
                  [&](const BenchMesh& mesh) { return mesh.numbering_base != numbering_base; });
    if (meshes.empty() || !start_window()) {
        std::fprintf(stderr, "%.*s: no meshes or no window\n", static_cast<int>(program.size()),
                     program.data());
        return 1;
    }

    Figures figures;
    for (const BenchMesh& mesh : meshes) {
        const bool large = mesh.size.triangles >= large_triangles;
        const bool huge = mesh.size.triangles >= huge_triangles;
        const int repetitions = options.repetitions != 0 ? options.repetitions : large ? 3 : 5;
        const int slow_repetitions = options.repetitions != 0 ? options.repetitions
                                     : huge                   ? 1
                                                              : repetitions;

        Samples opening(repetitions);
        while (opening.wanted()) {
            empty_mesh();
            const Clock::time_point start = Clock::now();
            if (!load(mesh.node_path)) {
                return 1;
            }
            opening.add(milliseconds_since(start) + repaint_ms(nullptr, true));
        }
        Samples dialog_opening(repetitions);
        while (dialog_opening.wanted()) {
            empty_mesh();
            dialog_opening.add(dialog_open_ms(mesh.node_path));
        }
        // The memory of a picture drawn from nothing, with the mesh already in memory: the
        // display "changes", which makes the window give its picture back, and the scratch
        // memory the paints before kept goes too: what the paint keeps counts with the picture.
        SendMessageA(main_window, WM_DISPLAYCHANGE, 32, MAKELPARAM(client_width, client_height));
        trim_scratch(0);
        const ProcessMemory before = process_memory();
        repaint_ms(nullptr, true);
        const ProcessMemory after = process_memory();
        const auto kept =
            static_cast<double>(after.resident) - static_cast<double>(before.resident);
        const auto peak =
            static_cast<double>(after.peak_resident) - static_cast<double>(before.resident);

        const double full_ms = warm_median(repetitions, fit_again_ms);
        const double resize = warm_median(repetitions, resize_ms);
        Samples partial(repetitions);
        while (partial.wanted()) {
            partial.take([] {
                repaint_ms(&partial_area, false);
                return true;
            });
        }
        const std::vector<std::uint32_t> shown = client_pixels();

        painting = Painting::plain;
        const double plain_ms =
            slow_median(slow_repetitions, !huge, [] { return repaint_ms(nullptr, false); });
        const std::vector<std::uint32_t> plain = client_pixels();
        painting = Painting::direct;
        const double direct_ms =
            slow_median(slow_repetitions, !huge, [] { return repaint_ms(nullptr, false); });
        painting = Painting::product;
        repaint_ms(nullptr, true);

        std::size_t differing = pixels_differing(plain, shown);
        // The window keeps an index of the mesh beside its picture, as large as this one.
        const MeshModel& model = current_mesh();
        const MeshIndex index(model);
        index.work_out_sides(model);
        const auto index_bytes = static_cast<double>(index.kept_bytes());
        const auto model_bytes = static_cast<double>(model.nodes.size() * sizeof(MeshNode) +
                                                     model.elements.size() * sizeof(MeshElement) +
                                                     model.sides.size() * sizeof(MeshSide));
        std::printf("%-11s full %7.1f ms, resize %7.1f ms, partial %6.2f ms, open %7.1f ms (from"
                    " the dialog's OK %7.1f ms) | plain %8.1f ms (%.1fx),"
                    " direct %8.1f ms | %zu pixels differ from the plain drawing | memory besides"
                    " the mesh %.1f MB kept, %.1f MB at most, and the index %.1f MB (%.3f x the"
                    " model)\n",
                    mesh.id().c_str(), full_ms, resize, partial.median(), opening.median(),
                    dialog_opening.median(), plain_ms, plain_ms / full_ms, direct_ms, differing,
                    kept / bytes_per_mb, peak / bytes_per_mb, index_bytes / bytes_per_mb,
                    index_bytes / model_bytes);
        std::fflush(stdout);
        figures.set(figure::repaint_full_ms, mesh.id(), full_ms);
        figures.set(figure::resize_ms, mesh.id(), resize);
        figures.set(figure::repaint_partial_ms, mesh.id(), partial.median());
        figures.set(figure::open_ms, mesh.id(), opening.median());
        figures.set(figure::dialog_open_ms, mesh.id(), dialog_opening.median());
        figures.set(figure::repaint_plain_ms, mesh.id(), plain_ms);
        figures.set(figure::repaint_direct_ms, mesh.id(), direct_ms);
        figures.set(figure::repaint_kept_bytes, mesh.id(), kept);
        figures.set(figure::repaint_peak_bytes, mesh.id(), peak);
        figures.set(figure::index_bytes, mesh.id(), index_bytes);

        // Zoomed views: a wheel step into step 8 and into step 24 about the centre, a drag of
        // 10 pixels at step 8, and the plain drawing of each view; the drag's picture is
        // checked after a drag there and back, moved and partly drawn twice.
        for (const int step : {8, 24}) {
            const double zoom_ms =
                warm_median(repetitions, [step] { return zoom_to_step_ms(step); });
            const std::vector<std::uint32_t> zoomed = client_pixels();
            painting = Painting::plain;
            const double zoom_plain_ms =
                slow_median(slow_repetitions, !huge, [] { return repaint_ms(nullptr, false); });
            const std::size_t zoom_differing = pixels_differing(client_pixels(), zoomed);
            painting = Painting::product;
            const std::string suffix = "_step" + std::to_string(step);
            figures.set(std::string(figure::zoom_ms) + suffix, mesh.id(), zoom_ms);
            figures.set(std::string(figure::zoom_plain_ms) + suffix, mesh.id(), zoom_plain_ms);
            differing += zoom_differing;
            std::printf("%-11s zoom step into %2d %7.2f ms | plain %8.1f ms | %zu pixels differ\n",
                        mesh.id().c_str(), step, zoom_ms, zoom_plain_ms, zoom_differing);
            std::fflush(stdout);
        }
        zoom_to_step_ms(8);
        double direction = 1;
        const double pan_ms = warm_median(repetitions, [&direction] {
            direction = -direction;
            return drag_ms(static_cast<int>(10 * direction));
        });
        drag_ms(10);
        drag_ms(-10);
        const std::vector<std::uint32_t> panned = client_pixels();
        painting = Painting::plain;
        repaint_ms(nullptr, false);
        const std::size_t pan_differing = pixels_differing(client_pixels(), panned);
        painting = Painting::product;
        differing += pan_differing;
        figures.set(figure::pan_ms, mesh.id(), pan_ms);
        std::printf("%-11s drag of 10 pixels at step 8 %6.2f ms | %zu pixels differ\n",
                    mesh.id().c_str(), pan_ms, pan_differing);
        std::fflush(stdout);
        SendMessageA(main_window, WM_KEYDOWN, VK_HOME, 0);
        pump_messages();
        figures.set(figure::pixels_differing, mesh.id(), static_cast<double>(differing));
        if (differing != 0) {
            std::fprintf(stderr, "%.*s: a picture of %s differs from the plain drawing\n",
                         static_cast<int>(program.size()), program.data(), mesh.id().c_str());
        }
    }
    DestroyWindow(main_window);
    pump_messages();
    return write_figures(program, options, figures) ? 0 : 1;
}
