// A mesh file set held in memory, with the paths the reader asked for.
#pragma once

#include "byte_source.h"
#include "mesh_reader.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

struct MemoryFileSet {
    std::map<std::string, std::string> files;
    mutable std::vector<std::string> opened;

    OpenByteSource opener() const {
        return [this](const std::string& path) -> std::unique_ptr<ByteSource> {
            opened.push_back(path);
            const auto found = files.find(path);
            if (found == files.end()) {
                return nullptr;
            }
            return std::make_unique<MemorySource>(found->second);
        };
    }
};

// mesh.n, mesh.e and mesh.s with the given contents.
inline MemoryFileSet mesh_files(std::string nodes, std::string elements, std::string sides) {
    return {{{"mesh.n", std::move(nodes)},
             {"mesh.e", std::move(elements)},
             {"mesh.s", std::move(sides)}},
            {}};
}

inline std::optional<ReadError> read_into(MeshModel& model, const MemoryFileSet& set,
                                          std::string_view node_path = "mesh.n") {
    return read_mesh_file_set(model, node_path, set.opener());
}
