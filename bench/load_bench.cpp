// velmora_load_bench: load time, throughput and peak memory of the product's reader and of the
// plain fscanf reader on the same file sets, and the time of one paint of the loaded mesh on a
// counting canvas; the same program, measuring the same way, natively and under Wine.
//
//   velmora_load_bench --meshes DIR [--figures FILE] [--sizes 10k,1M] [--repetitions N]
//                      [--load-seconds S] [--readers product,one_thread,reference]
//
// Each reader takes up to N samples (default 9) of the loads of each file set, the two readers
// taking turns so that a change in the machine's load falls on both alike; a sample is one
// load, or as many as take half a second where a load is shorter (harness.h). A reader stops
// once its loads of one file set have taken S seconds (default 20: under Wine the fscanf reader
// reads about 20 MB a second). The median counts. The peak memory of a load is measured in a
// fresh process, for each reader whose median load is within S. The paint is sampled alike.

#include "counting_canvas.h"
#include "harness.h"
#include "load_peak.h"
#include "mesh_painter.h"
#include "readers.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::string_view program = "velmora_load_bench";
constexpr int default_repetitions = 9;
// The client area the viewer's window is measured with.
constexpr DeviceRect window_rect{0, 0, 1024, 768};

// Times the loads of both readers, each into a model of its own, as the viewer opens one mesh
// over the last; leaves the product's model in `product_model`. False when a load failed.
bool time_loads(const BenchMesh& mesh, const std::vector<Reader>& readers, int repetitions,
                double budget_ms, MeshModel& product_model, Figures& figures) {
    MeshModel reference_model;
    std::vector<Samples> samples(std::size(all_readers), Samples(repetitions, budget_ms));
    for (bool wanted = true; wanted;) {
        wanted = false;
        for (const Reader reader : readers) {
            Samples& times = samples[static_cast<std::size_t>(reader)];
            if (!times.wanted()) {
                continue;
            }
            MeshModel& model = reader == Reader::product ? product_model : reference_model;
            if (!times.take([&] { return load_with(reader, model, mesh.node_path); })) {
                return false;
            }
            wanted = true;
        }
    }
    for (const Reader reader : readers) {
        const Samples& times = samples[static_cast<std::size_t>(reader)];
        const double ms = times.median();
        std::printf("%-11s %-9s %9.1f ms %7.0f MB/s  (median of %zu samples of %d)\n",
                    mesh.id().c_str(), std::string(reader_name(reader)).c_str(), ms,
                    static_cast<double>(mesh.bytes) / bytes_per_mb / ms * 1e3, times.count(),
                    times.runs_per_sample());
        figures.set(reader_figure(reader, figure::load_ms), mesh.id(), ms);
        figures.set(reader_figure(reader, figure::load_runs), mesh.id(),
                    static_cast<double>(times.count()));
    }
    return true;
}

// The painter's own work in a window of 1024 x 768, numbers drawn as text and composed.
void time_paint(const BenchMesh& mesh, const MeshModel& model, int repetitions, Figures& figures) {
    for (const bool composes : {false, true}) {
        CountingCanvas canvas(window_rect, composes);
        std::uint64_t paints = 0;
        Samples samples(repetitions);
        while (samples.wanted()) {
            samples.take([&] {
                paint_mesh(model, canvas, window_rect);
                ++paints;
                return true;
            });
        }
        const double ms = samples.median();
        const double lines = static_cast<double>(canvas.lines) / static_cast<double>(paints);
        const double texts = static_cast<double>(canvas.texts) / static_cast<double>(paints);
        std::printf("%-11s paint     %9.1f ms on a counting canvas, numbers %s (median of %zu"
                    " samples of %d; %.0f lines, %.0f numbers as text)\n",
                    mesh.id().c_str(), ms, composes ? "composed" : "as text", samples.count(),
                    samples.runs_per_sample(), lines, texts);
        figures.set(composes ? figure::paint_composed_ms : figure::paint_ms, mesh.id(), ms);
        if (!composes) {
            figures.set(figure::paint_lines, mesh.id(), lines);
            figures.set(figure::paint_texts, mesh.id(), texts);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::span<char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
    if (!arguments.empty() && arguments[0] == peak_load_option) {
        return run_peak_load(arguments.subspan(1));
    }
    BenchOptions options;
    double load_seconds = 20.0;
    std::vector<Reader> readers(std::begin(all_readers), std::end(all_readers));
    if (!parse_bench_options(program, arguments, options,
                             [&](std::string_view name, const char* value) {
                                 if (name == "--load-seconds") {
                                     load_seconds = std::atof(value);
                                     return true;
                                 }
                                 if (name != "--readers") {
                                     return false;
                                 }
                                 readers.clear();
                                 for (const std::string_view reader : split_list(value)) {
                                     if (const auto known = reader_named(reader)) {
                                         readers.push_back(*known);
                                     }
                                 }
                                 return !readers.empty();
                             })) {
        return 2;
    }
    const int repetitions = options.repetitions != 0 ? options.repetitions : default_repetitions;
    const double budget_ms = load_seconds * 1000.0;
    // Where the fresh process leaves its figures: beside this run's own, which are not shared
    // with other runs as the meshes may be.
    const std::string scratch_path =
        (options.figures.empty() ? options.meshes + "/velmora" : options.figures) + ".peak";

    Figures figures;
    for (const BenchMesh& mesh : meshes_to_measure(program, options)) {
        figures.set(figure::bytes, mesh.id(), static_cast<double>(mesh.bytes));
        {
            MeshModel model;
            if (!time_loads(mesh, readers, repetitions, budget_ms, model, figures)) {
                std::printf("%-11s failed\n", mesh.id().c_str());
                continue;
            }
            time_paint(mesh, model, repetitions, figures);
        }
        std::fflush(stdout);
        // A peak costs one more load: only where a load fits the time the loads are given.
        for (const Reader reader : readers) {
            const auto ms = figures.get(reader_figure(reader, figure::load_ms), mesh.id());
            if (ms && *ms <= budget_ms && !measure_load_peak(reader, mesh, scratch_path, figures)) {
                std::printf("%-11s %-9s peak not measured\n", mesh.id().c_str(),
                            std::string(reader_name(reader)).c_str());
            }
        }
        std::fflush(stdout);
    }
    if (figures.empty()) {
        return 1;
    }

#ifdef _WIN32
    std::fputs("\nWindows build (medians):\n", stdout);
#else
    std::fputs("\nNative build (medians):\n", stdout);
#endif
    print_table(stdout, figures);
    return write_figures(program, options, figures) ? 0 : 1;
}
