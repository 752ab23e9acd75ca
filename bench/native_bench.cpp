// velmora_bench: load time, throughput and peak memory of the product's reader and of the
// plain fscanf reader on the same file sets, and paint time on a counting canvas, with Google
// Benchmark.
//
//   velmora_bench --meshes DIR [--figures FILE] [--sizes 10k,100k,1M,4M] [benchmark options]
//
// Prints Google Benchmark's figures (medians of several repetitions, run randomly
// interleaved), then a table with the ratio of the two readers; --figures keeps the table's
// figures for the summary of `make bench`.

#include "bench_meshes.h"
#include "bench_options.h"
#include "counting_canvas.h"
#include "figures.h"
#include "load_peak.h"
#include "mesh_painter.h"
#include "readers.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace {

// The client area the viewer's window is measured with.
constexpr DeviceRect window_rect{0, 0, 1024, 768};

// Fewer repetitions where one load takes seconds.
constexpr int repetitions = 9;
constexpr int repetitions_of_slow_loads = 5;
constexpr std::int64_t slow_load_triangles = 4'000'000;

struct Options {
    std::string meshes = "build/bench-meshes";
    std::string figures;
    std::vector<std::string> sizes;
};

bool parse_options(std::span<char* const> arguments, Options& options) {
    return parse_option_pairs("velmora_bench", arguments,
                              [&](std::string_view name, const char* value) {
                                  if (name == "--meshes") {
                                      options.meshes = value;
                                  } else if (name == "--figures") {
                                      options.figures = value;
                                  } else if (name == "--sizes") {
                                      options.sizes = split_list(value);
                                  } else {
                                      return false;
                                  }
                                  return true;
                              });
}

// Loads the file set again and again into one model, as the viewer does when a mesh is
// opened over the last: each load releases the previous arrays before it allocates.
void load_benchmark(benchmark::State& state, Reader reader, const BenchMesh& mesh) {
    MeshModel model;
    for (auto _ : state) {
        if (!load_with(reader, model, mesh.node_path)) {
            state.SkipWithError("the file set could not be read");
            break;
        }
        benchmark::DoNotOptimize(model.nodes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(mesh.bytes));
}

// The model of the last painted file set; one at a time, loaded outside the timing.
const MeshModel* painted_model(const BenchMesh& mesh) {
    static std::string loaded_path;
    static MeshModel model;
    if (loaded_path != mesh.node_path) {
        loaded_path.clear();
        model = MeshModel();
        if (!load_with(Reader::product, model, mesh.node_path)) {
            return nullptr;
        }
        loaded_path = mesh.node_path;
    }
    return &model;
}

void paint_benchmark(benchmark::State& state, const BenchMesh& mesh) {
    const MeshModel* model = painted_model(mesh);
    if (model == nullptr) {
        state.SkipWithError("the file set could not be read");
        return;
    }
    CountingCanvas canvas(window_rect);
    for (auto _ : state) {
        paint_mesh(*model, canvas, window_rect);
    }
    benchmark::DoNotOptimize(canvas.checksum);
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["lines"] = static_cast<double>(canvas.lines) / iterations;
    state.counters["texts"] = static_cast<double>(canvas.texts) / iterations;
}

std::string load_name(Reader reader, const BenchMesh& mesh) {
    return "load/" + std::string(reader_name(reader)) + "/" + mesh.id();
}

std::string paint_name(const BenchMesh& mesh) {
    return "paint/" + mesh.id();
}

struct Median {
    double ms = 0.0;
    std::int64_t repetitions = 0;
    std::map<std::string, double> counters;
};

// The console's report, keeping the median of every benchmark's repetitions.
class MedianReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
                !run.error_occurred) {
                Median& median = medians[run.run_name.function_name];
                median.ms = run.GetAdjustedRealTime();
                median.repetitions = run.repetitions;
                for (const auto& [name, counter] : run.counters) {
                    median.counters[name] = counter.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Median> medians;
};

void register_benchmarks(const std::vector<BenchMesh>& meshes) {
    for (const BenchMesh& mesh : meshes) {
        for (const Reader reader : all_readers) {
            const bool slow = mesh.size.triangles >= slow_load_triangles;
            benchmark::RegisterBenchmark(load_name(reader, mesh).c_str(), load_benchmark, reader,
                                         mesh)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Repetitions(slow && reader == Reader::reference ? repetitions_of_slow_loads
                                                                  : repetitions)
                ->DisplayAggregatesOnly(true);
        }
    }
    for (const BenchMesh& mesh : meshes) {
        benchmark::RegisterBenchmark(paint_name(mesh).c_str(), paint_benchmark, mesh)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(repetitions)
            ->DisplayAggregatesOnly(true);
    }
}

Figures collect_figures(const std::vector<BenchMesh>& meshes, const MedianReporter& reporter,
                        const std::string& scratch_path) {
    Figures figures;
    for (const BenchMesh& mesh : meshes) {
        const std::string id = mesh.id();
        figures.set(figure::bytes, id, static_cast<double>(mesh.bytes));
        for (const Reader reader : all_readers) {
            const std::string name(reader_name(reader));
            if (const auto found = reporter.medians.find(load_name(reader, mesh));
                found != reporter.medians.end()) {
                figures.set(name + std::string(figure::load_ms), id, found->second.ms);
                figures.set(name + std::string(figure::load_runs), id,
                            static_cast<double>(found->second.repetitions));
            }
        }
        if (const auto found = reporter.medians.find(paint_name(mesh));
            found != reporter.medians.end()) {
            figures.set(figure::paint_ms, id, found->second.ms);
            figures.set(figure::paint_lines, id, found->second.counters.at("lines"));
            figures.set(figure::paint_texts, id, found->second.counters.at("texts"));
        }
    }
    // Memory last, one fresh process per load, after the timings have all been taken.
    for (const BenchMesh& mesh : meshes) {
        for (const Reader reader : all_readers) {
            std::fprintf(stdout, "peak memory: %s %s ... ",
                         std::string(reader_name(reader)).c_str(), mesh.id().c_str());
            std::fflush(stdout);
            const auto peak = measure_load_peak(reader, mesh.node_path, scratch_path);
            if (!peak) {
                std::fputs("failed\n", stdout);
                continue;
            }
            std::fprintf(stdout, "%.1f MB over %.1f MB before the load, model %.1f MB\n",
                         static_cast<double>(peak->growth()) / bytes_per_mb,
                         static_cast<double>(peak->before) / bytes_per_mb,
                         static_cast<double>(peak->model) / bytes_per_mb);
            figures.set(std::string(reader_name(reader)) + std::string(figure::peak_bytes),
                        mesh.id(), static_cast<double>(peak->growth()));
            figures.set(figure::model_bytes, mesh.id(), static_cast<double>(peak->model));
        }
    }
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && argv[1] == peak_load_option) {
        return run_peak_load(std::span<char* const>(argv + 2, static_cast<std::size_t>(argc - 2)));
    }
    // Repetitions of all benchmarks run interleaved, so that a change in the machine's load
    // falls on both readers alike; an option given on the command line still wins.
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.insert(arguments.begin() + 1, interleave.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    Options options;
    if (!parse_options(
            std::span<char* const>(arguments.data() + 1, static_cast<std::size_t>(count - 1)),
            options)) {
        return 2;
    }
    const std::vector<BenchMesh> meshes = find_bench_meshes(options.meshes, options.sizes);
    if (meshes.empty()) {
        std::fprintf(stderr, "velmora_bench: no mesh file sets in %s (make them with make_mesh)\n",
                     options.meshes.c_str());
        return 1;
    }
    register_benchmarks(meshes);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const Figures figures = collect_figures(meshes, reporter, options.meshes + "/peak-load.txt");
    std::fputs("\nNative build (medians):\n", stdout);
    print_table(stdout, figures, TableKind::native);
    if (!options.figures.empty() && !figures.write(options.figures)) {
        std::fprintf(stderr, "velmora_bench: cannot write %s\n", options.figures.c_str());
        return 1;
    }
    return 0;
}
