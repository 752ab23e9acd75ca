// velmora_load_bench: the load figures of velmora_bench for builds without Google Benchmark
// (the Windows build): load time and throughput of the product's reader and of the plain
// fscanf reader on the same file sets, timed with the steady clock, and peak memory of a load.
//
//   velmora_load_bench --meshes DIR [--figures FILE] [--sizes 10k,1M] [--repetitions N]
//                      [--reference-seconds S]
//
// Each reader loads each file set N times (default 5); the median counts. The files are
// already in the system's cache (make bench has just made and read them), so no load is left
// out as a warm-up. The reference reader stops repeating once its loads of one file set have
// taken S seconds (default 20): under Wine it reads about 20 MB a second.

#include "bench_meshes.h"
#include "bench_options.h"
#include "figures.h"
#include "load_peak.h"
#include "readers.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string meshes = "build/bench-meshes";
    std::string figures;
    std::vector<std::string> sizes;
    int repetitions = 5;
    double reference_seconds = 20.0;
};

bool parse_options(std::span<char* const> arguments, Options& options) {
    return parse_option_pairs("velmora_load_bench", arguments,
                              [&](std::string_view name, const char* value) {
                                  if (name == "--meshes") {
                                      options.meshes = value;
                                  } else if (name == "--figures") {
                                      options.figures = value;
                                  } else if (name == "--sizes") {
                                      options.sizes = split_list(value);
                                  } else if (name == "--repetitions") {
                                      options.repetitions = std::max(1, std::atoi(value));
                                  } else if (name == "--reference-seconds") {
                                      options.reference_seconds = std::atof(value);
                                  } else {
                                      return false;
                                  }
                                  return true;
                              });
}

// Timed loads into one model, as the viewer opens one mesh over the last. Empty on failure.
std::vector<double> time_loads(Reader reader, const BenchMesh& mesh, int repetitions,
                               double budget_ms) {
    MeshModel model;
    std::vector<double> times;
    double total = 0.0;
    while (static_cast<int>(times.size()) < repetitions && (times.empty() || total < budget_ms)) {
        const Clock::time_point start = Clock::now();
        if (!load_with(reader, model, mesh.node_path)) {
            return {};
        }
        times.push_back(milliseconds_since(start));
        total += times.back();
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    const std::span<char* const> arguments(argv + 1, static_cast<std::size_t>(argc - 1));
    if (!arguments.empty() && arguments[0] == peak_load_option) {
        return run_peak_load(arguments.subspan(1));
    }
    Options options;
    if (!parse_options(arguments, options)) {
        return 2;
    }
    const std::vector<BenchMesh> meshes = find_bench_meshes(options.meshes, options.sizes);
    if (meshes.empty()) {
        std::fprintf(stderr, "velmora_load_bench: no mesh file sets in %s\n",
                     options.meshes.c_str());
        return 1;
    }

    Figures figures;
    for (const BenchMesh& mesh : meshes) {
        const std::string id = mesh.id();
        figures.set(figure::bytes, id, static_cast<double>(mesh.bytes));
        for (const Reader reader : all_readers) {
            const std::string name(reader_name(reader));
            const double budget_ms =
                reader == Reader::reference ? options.reference_seconds * 1000.0 : 1e300;
            const std::vector<double> times =
                time_loads(reader, mesh, options.repetitions, budget_ms);
            if (times.empty()) {
                std::fprintf(stdout, "%-11s %-9s failed\n", id.c_str(), name.c_str());
                continue;
            }
            const double ms = median(times);
            std::fprintf(stdout, "%-11s %-9s %9.1f ms %7.0f MB/s  (median of %zu)\n", id.c_str(),
                         name.c_str(), ms,
                         static_cast<double>(mesh.bytes) / bytes_per_mb / ms * 1e3, times.size());
            std::fflush(stdout);
            figures.set(name + std::string(figure::load_ms), id, ms);
            figures.set(name + std::string(figure::load_runs), id,
                        static_cast<double>(times.size()));
        }
        // Peak memory of the product's load only: the reference's would cost another long load.
        if (const auto peak = measure_load_peak(Reader::product, mesh.node_path,
                                                options.meshes + "/peak-load-windows.txt")) {
            std::fprintf(stdout, "%-11s product   peak %.1f MB over %.1f MB, model %.1f MB\n",
                         id.c_str(), static_cast<double>(peak->growth()) / bytes_per_mb,
                         static_cast<double>(peak->before) / bytes_per_mb,
                         static_cast<double>(peak->model) / bytes_per_mb);
            figures.set(std::string(reader_name(Reader::product)) + std::string(figure::peak_bytes),
                        id, static_cast<double>(peak->growth()));
            figures.set(figure::model_bytes, id, static_cast<double>(peak->model));
        }
    }

    std::fputs("\nLoads (medians):\n", stdout);
    print_table(stdout, figures, TableKind::windows);
    if (!options.figures.empty() && !figures.write(options.figures)) {
        std::fprintf(stderr, "velmora_load_bench: cannot write %s\n", options.figures.c_str());
        return 1;
    }
    return 0;
}
