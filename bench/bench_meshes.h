// The mesh file sets the benchmarks measure: structured rectangles written by make_mesh, four
// sizes in both numberings, named <directory>/<size>-base<0|1>.n (.e, .s).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct BenchSize {
    std::string_view name; // "10k", "100k", "1M", "4M"
    std::int64_t triangles;
};

inline constexpr std::array<BenchSize, 4> bench_sizes = {{
    {"10k", 10'000},
    {"100k", 100'000},
    {"1M", 1'000'000},
    {"4M", 4'000'000},
}};

struct BenchMesh {
    BenchSize size;
    std::int32_t numbering_base;
    std::string node_path;
    std::uint64_t bytes; // the three files together

    // "1M-base1": the mesh's name in figures and tables.
    std::string id() const;
};

// The file sets of the given sizes (all sizes when `sizes` is empty) that exist in
// `directory`, smallest first, numbered from 0 before numbered from 1.
std::vector<BenchMesh> find_bench_meshes(const std::string& directory,
                                         const std::vector<std::string>& sizes);

// Splits "10k,1M" (or "10k 1M") into its names.
std::vector<std::string> split_list(std::string_view list);

inline constexpr double bytes_per_mb = 1e6;
