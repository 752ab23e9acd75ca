#include "bench_meshes.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

std::string BenchMesh::id() const {
    return std::string(size.name) + "-base" + std::to_string(numbering_base);
}

std::vector<BenchMesh> find_bench_meshes(const std::string& directory,
                                         const std::vector<std::string>& sizes) {
    std::vector<BenchMesh> meshes;
    for (const BenchSize& size : bench_sizes) {
        if (!sizes.empty() && std::find(sizes.begin(), sizes.end(), size.name) == sizes.end()) {
            continue;
        }
        for (const std::int32_t base : {0, 1}) {
            BenchMesh mesh{size, base, {}, 0};
            mesh.node_path = directory + "/" + mesh.id() + ".n";
            std::string path = mesh.node_path;
            bool complete = true;
            for (const char last : {'n', 'e', 's'}) {
                path.back() = last;
                std::error_code error;
                const auto bytes = std::filesystem::file_size(path, error);
                complete = complete && !error;
                mesh.bytes += error ? 0 : bytes;
            }
            if (complete) {
                meshes.push_back(std::move(mesh));
            }
        }
    }
    return meshes;
}

std::vector<std::string> split_list(std::string_view list) {
    std::vector<std::string> names;
    while (!list.empty()) {
        const auto end = list.find_first_of(", ");
        if (end != 0) {
            names.emplace_back(list.substr(0, end));
        }
        if (end == std::string_view::npos) {
            break;
        }
        list.remove_prefix(end + 1);
    }
    return names;
}
