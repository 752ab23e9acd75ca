// bench_summary: the closing table of `make bench`, from the figures files of the native run
// and of the Windows runs under Wine.
//
//   bench_summary [--native FILE] [--windows FILE]...

#include "bench_meshes.h"
#include "figures.h"
#include "readers.h"

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

// The headline figures at one and four million triangles, against the goals they are
// measured for: throughput, the ratio to the fscanf reader of the same run, the same speed
// at both sizes, and the peak memory of a load.
void print_headline(const Figures& figures, std::string_view platform, double ratio_goal) {
    constexpr double goal_mb_per_s = 1200.0;
    std::optional<double> speed_1m;
    for (const std::string_view mesh : {"1M-base0", "1M-base1", "4M-base0", "4M-base1"}) {
        const auto product = figures.get("product_ms", mesh);
        const auto reference = figures.get("reference_ms", mesh);
        const auto bytes = figures.get(figure::bytes, mesh);
        const auto peak = figures.get("product_peak_bytes", mesh);
        const auto model = figures.get(figure::model_bytes, mesh);
        if (!product || !bytes) {
            continue;
        }
        const double mb_per_s = *bytes / bytes_per_mb / *product * 1e3;
        if (mesh.starts_with("1M")) {
            speed_1m = speed_1m.value_or(0.0) + mb_per_s / 2.0;
        }
        std::printf("%.*s, %.*s: product %.0f ms, %.0f MB/s (goal %.0f)",
                    static_cast<int>(platform.size()), platform.data(),
                    static_cast<int>(mesh.size()), mesh.data(), *product, mb_per_s, goal_mb_per_s);
        if (const auto one_thread = figures.get("one_thread_ms", mesh)) {
            std::printf("; %.0f ms on 1 thread", *one_thread);
        }
        if (reference) {
            std::printf("; %.1f times the fscanf reader (goal %.0f)", *reference / *product,
                        ratio_goal);
        }
        if (mesh.starts_with("4M") && speed_1m) {
            std::printf("; %.2f times the speed at 1M (goal 1)", mb_per_s / *speed_1m);
        }
        if (peak && model && *model > 0.0) {
            std::printf("; peak %.3f x model (goal 1.10)", *peak / *model);
        }
        std::putchar('\n');
    }
}

// The repaint figures against their goals: full repaints of 40, 150 and 400 ms at 100k, 1M
// and 4M triangles, partial ones of 10 ms at every size, and 450 ms from the Open dialog's end
// to the picture of the 1M mesh.
void print_repaint_goals(const Figures& windows) {
    const struct {
        std::string_view mesh;
        double full_goal;
    } goals[] = {
        {"10k-base0", 40.0}, {"100k-base0", 40.0}, {"1M-base0", 150.0}, {"4M-base0", 400.0}};
    for (const auto& goal : goals) {
        const auto full = windows.get(figure::repaint_full_ms, goal.mesh);
        const auto partial = windows.get(figure::repaint_partial_ms, goal.mesh);
        if (!full || !partial) {
            continue;
        }
        std::printf("Wine, %.*s: full repaint %.0f ms (goal %.0f), partial %.2f ms (goal 10)",
                    static_cast<int>(goal.mesh.size()), goal.mesh.data(), *full, goal.full_goal,
                    *partial);
        if (const auto open = windows.get(figure::open_ms, goal.mesh);
            open && goal.mesh == "1M-base0") {
            std::printf(", open %.0f ms (goal 450)", *open);
        }
        std::putchar('\n');
    }
}

// The zoom and drag figures against their goals: a wheel step into step 8 or 24 within 30 ms at
// 1M and 60 ms at 4M, a drag of 10 pixels within 10 ms at both.
void print_view_goals(const Figures& windows) {
    const struct {
        std::string_view mesh;
        double zoom_goal;
    } goals[] = {{"1M-base0", 30.0}, {"4M-base0", 60.0}};
    for (const auto& goal : goals) {
        const auto zoom_8 = windows.get(std::string(figure::zoom_ms) + "_step8", goal.mesh);
        const auto zoom_24 = windows.get(std::string(figure::zoom_ms) + "_step24", goal.mesh);
        const auto pan = windows.get(figure::pan_ms, goal.mesh);
        if (!zoom_8 || !zoom_24 || !pan) {
            continue;
        }
        std::printf("Wine, %.*s: zoom step into 8 %.1f ms, into 24 %.1f ms (goal %.0f), drag of 10"
                    " pixels %.1f ms (goal 10)\n",
                    static_cast<int>(goal.mesh.size()), goal.mesh.data(), *zoom_8, *zoom_24,
                    goal.zoom_goal, *pan);
    }
}

} // namespace

int main(int argc, char** argv) {
    Figures native;
    Figures windows;
    const std::span<char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
    for (std::size_t k = 0; k + 1 < arguments.size(); k += 2) {
        const std::string_view option = arguments[k];
        Figures* figures = option == "--native"    ? &native
                           : option == "--windows" ? &windows
                                                   : nullptr;
        if (figures == nullptr || !figures->read(arguments[k + 1])) {
            std::fprintf(stderr, "bench_summary: cannot use '%s %s'\n", arguments[k],
                         arguments[k + 1]);
            return 2;
        }
    }

    std::puts("== Native build (build/release, medians) ==");
    if (native.empty()) {
        std::puts("(no figures)");
    } else {
        print_table(stdout, native);
    }
    std::puts("\n== Windows build under Wine (medians) ==");
    if (windows.empty()) {
        std::puts("(no figures)");
    } else {
        print_table(stdout, windows);
        std::puts("\n== Repaints of the main window, 1024 x 768, under Wine ==");
        print_repaint_table(stdout, windows);
        std::puts("\n== Zooming and moving the view, 1024 x 768, under Wine ==");
        print_view_table(stdout, windows);
    }
    std::putchar('\n');
    print_headline(native, "native", 9.0);
    print_headline(windows, "Wine  ", 45.0);
    print_repaint_goals(windows);
    print_view_goals(windows);
    return 0;
}
