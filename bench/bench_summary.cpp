// bench_summary: the closing table of `make bench`, from the figures files of the native run
// and of the Windows runs under Wine.
//
//   bench_summary [--native FILE] [--windows FILE]...

#include "figures.h"
#include "readers.h"

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace {

// The headline figures at one million triangles, against the goals they are measured for.
void print_headline(const Figures& figures, std::string_view platform, double ratio_goal) {
    for (const std::string_view mesh : {"1M-base0", "1M-base1"}) {
        const auto product = figures.get("product_ms", mesh);
        const auto reference = figures.get("reference_ms", mesh);
        const auto peak = figures.get("product_peak_bytes", mesh);
        const auto model = figures.get(figure::model_bytes, mesh);
        if (!product || !reference) {
            continue;
        }
        std::printf("%.*s, %.*s: product %.0f ms, reference %.0f ms: %.1f times as fast"
                    " (goal %.0f)",
                    static_cast<int>(platform.size()), platform.data(),
                    static_cast<int>(mesh.size()), mesh.data(), *product, *reference,
                    *reference / *product, ratio_goal);
        if (peak && model && *model > 0.0) {
            std::printf("; peak %.3f x model (goal 1.10)", *peak / *model);
        }
        std::putchar('\n');
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
        print_table(stdout, native, TableKind::native);
    }
    std::puts("\n== Windows build under Wine (medians) ==");
    if (windows.empty()) {
        std::puts("(no figures)");
    } else {
        print_table(stdout, windows, TableKind::windows);
    }
    std::putchar('\n');
    print_headline(native, "native", 5.0);
    print_headline(windows, "Wine  ", 20.0);
    for (const std::string_view mesh : {"1M-base0", "1M-base1"}) {
        if (const auto ms = windows.get(figure::gdi_window_ms, mesh)) {
            std::printf("Wine, %.*s: full GDI repaint of a 1024 x 768 window %.0f ms (goal 500)\n",
                        static_cast<int>(mesh.size()), mesh.data(), *ms);
        }
    }
    return 0;
}
