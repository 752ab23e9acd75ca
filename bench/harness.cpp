#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

bool parse_bench_options(std::string_view program, std::span<char* const> arguments,
                         BenchOptions& options,
                         const std::function<bool(std::string_view name, const char* value)>& own) {
    for (std::size_t k = 0; k < arguments.size(); k += 2) {
        const std::string_view name = arguments[k];
        const char* value = k + 1 < arguments.size() ? arguments[k + 1] : nullptr;
        if (value != nullptr && name == "--meshes") {
            options.meshes = value;
        } else if (value != nullptr && name == "--figures") {
            options.figures = value;
        } else if (value != nullptr && name == "--sizes") {
            options.sizes = split_list(value);
        } else if (value != nullptr && name == "--repetitions") {
            options.repetitions = std::max(1, std::atoi(value));
        } else if (value == nullptr || !own || !own(name, value)) {
            std::fprintf(stderr, "%.*s: unknown or incomplete option '%s'\n",
                         static_cast<int>(program.size()), program.data(), arguments[k]);
            return false;
        }
    }
    return true;
}

std::vector<BenchMesh> meshes_to_measure(std::string_view program, const BenchOptions& options) {
    std::vector<BenchMesh> meshes = find_bench_meshes(options.meshes, options.sizes);
    if (meshes.empty()) {
        std::fprintf(stderr, "%.*s: no mesh file sets in %s (make them with make_mesh)\n",
                     static_cast<int>(program.size()), program.data(), options.meshes.c_str());
    }
    return meshes;
}

bool write_figures(std::string_view program, const BenchOptions& options, const Figures& figures) {
    if (options.figures.empty() || figures.write(options.figures)) {
        return true;
    }
    std::fprintf(stderr, "%.*s: cannot write %s\n", static_cast<int>(program.size()),
                 program.data(), options.figures.c_str());
    return false;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}
