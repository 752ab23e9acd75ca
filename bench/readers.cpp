#include "readers.h"

#include "mesh_reader.h"
#include "reference_reader.h"

#include <cstdio>

std::string_view reader_name(Reader reader) {
    switch (reader) {
    case Reader::product:
        return "product";
    case Reader::one_thread:
        return "one_thread";
    case Reader::reference:
        break;
    }
    return "reference";
}

std::optional<Reader> reader_named(std::string_view name) {
    for (const Reader reader : all_readers) {
        if (reader_name(reader) == name) {
            return reader;
        }
    }
    return std::nullopt;
}

bool load_with(Reader reader, MeshModel& model, const std::string& node_path) {
    const auto error = reader == Reader::product ? read_mesh_file_set(model, node_path)
                       : reader == Reader::one_thread
                           ? read_mesh_file_set(model, node_path, open_file, {1, part_least_bytes})
                           : reference_read_mesh_file_set(model, node_path);
    if (error) {
        std::fputs(read_failure_message(*error).c_str(), stderr);
        return false;
    }
    return true;
}

std::uint64_t model_bytes(const MeshModel& model) {
    return model.nodes.size() * sizeof(MeshNode) + model.elements.size() * sizeof(MeshElement) +
           model.sides.size() * sizeof(MeshSide);
}
