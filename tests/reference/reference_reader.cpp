#include "reference_reader.h"

#include <cstring>

namespace {

// Room for any label a comparison cares about; longer labels are outside the reference.
constexpr int label_size = 4096;

struct StreamCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

} // namespace

std::FILE* open_stream(const std::string& path) {
    return std::fopen(path.c_str(), "r");
}

std::optional<ReadError> reference_read_mesh_file_set(MeshModel& model,
                                                      const std::string& node_path,
                                                      const OpenStream& open) {
    std::string path = node_path;
    char label[label_size] = {};
    model.numbering_base = 0;

    Stream nodes(path.empty() ? nullptr : open(path));
    if (!nodes) {
        return ReadError{ReadFailure::cannot_open_node_file, path};
    }
    int count = model.node_count();
    std::fscanf(nodes.get(), "%d", &count);
    if (count < 0) {
        return ReadError{ReadFailure::negative_count, path};
    }
    if (!model.nodes.assign_zero_filled(static_cast<std::size_t>(count))) {
        return ReadError{ReadFailure::cannot_allocate, path};
    }
    for (int i = 0; i < count; ++i) {
        MeshNode& node = model.nodes[static_cast<std::size_t>(i)];
        std::fscanf(nodes.get(), "%4095s %lf %lf %d", label, &node.x, &node.y, &node.mark);
        if (node.x >= model.x_max) {
            model.x_max = node.x;
        }
        if (node.y >= model.y_max) {
            model.y_max = node.y;
        }
        if (node.x <= model.x_min) {
            model.x_min = node.x;
        }
        if (node.y <= model.y_min) {
            model.y_min = node.y;
        }
        if (i == 0 && std::strcmp(label, "0:") != 0) {
            model.numbering_base = 1;
        }
    }
    nodes.reset();

    path.back() = 'e';
    Stream elements(open(path));
    if (!elements) {
        return ReadError{ReadFailure::cannot_open_file, path};
    }
    count = model.element_count();
    std::fscanf(elements.get(), "%d", &count);
    if (count < 0) {
        return ReadError{ReadFailure::negative_count, path};
    }
    if (!model.elements.assign_zero_filled(static_cast<std::size_t>(count))) {
        return ReadError{ReadFailure::cannot_allocate, path};
    }
    for (MeshElement& e : model.elements) {
        int unused = 0;
        std::fscanf(elements.get(), "%4095s %d %d %d %d %d %d %d %d %d %lf %lf %d", label,
                    &e.node_a, &e.node_b, &e.node_c, &unused, &unused, &unused, &unused, &unused,
                    &unused, &e.px, &e.py, &e.mark);
    }
    elements.reset();

    path.back() = 's';
    Stream sides(open(path));
    if (!sides) {
        return ReadError{ReadFailure::cannot_open_file, path};
    }
    count = model.side_count();
    std::fscanf(sides.get(), "%d", &count);
    if (count < 0) {
        return ReadError{ReadFailure::negative_count, path};
    }
    if (!model.sides.assign_zero_filled(static_cast<std::size_t>(count))) {
        return ReadError{ReadFailure::cannot_allocate, path};
    }
    for (MeshSide& s : model.sides) {
        std::fscanf(sides.get(), "%4095s %d %d %d %d %d", label, &s.node_a, &s.node_b, &s.elem_a,
                    &s.elem_b, &s.mark);
    }
    sides.reset();

    if (model.numbering_base == 1) {
        for (MeshElement& e : model.elements) {
            --e.node_a;
            --e.node_b;
            --e.node_c;
        }
        for (MeshSide& s : model.sides) {
            --s.node_a;
            --s.node_b;
            --s.elem_a;
            --s.elem_b;
            if (s.elem_a == -2) {
                s.elem_a = -1;
            }
            if (s.elem_b == -2) {
                s.elem_b = -1;
            }
        }
    }
    return std::nullopt;
}
