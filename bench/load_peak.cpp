#include "load_peak.h"

#include "process_memory.h"

#include <cstdio>

bool measure_load_peak(Reader reader, const BenchMesh& mesh, const std::string& scratch_path,
                       Figures& figures) {
    std::remove(scratch_path.c_str());
    const bool measured =
        run_this_program({std::string(peak_load_option), std::string(reader_name(reader)),
                          mesh.node_path, mesh.id(), scratch_path}) == 0 &&
        figures.read(scratch_path);
    std::remove(scratch_path.c_str());
    return measured;
}

int run_peak_load(std::span<char* const> arguments) {
    const auto reader = arguments.size() == 4 ? reader_named(arguments[0]) : std::nullopt;
    if (!reader) {
        std::fputs("expected: product|reference <node path> <mesh id> <scratch path>\n", stderr);
        return 2;
    }
    MeshModel model;
    reset_peak_resident();
    const ProcessMemory before = process_memory();
    if (!load_with(*reader, model, arguments[1])) {
        return 1;
    }
    const ProcessMemory after = process_memory();
    const auto growth = static_cast<double>(
        after.peak_resident > before.resident ? after.peak_resident - before.resident : 0);
    const auto model_size = static_cast<double>(model_bytes(model));
    std::printf("%-11s %-9s peak %.1f MB over %.1f MB before the load, model %.1f MB\n",
                arguments[2], arguments[0], growth / bytes_per_mb,
                static_cast<double>(before.resident) / bytes_per_mb, model_size / bytes_per_mb);
    Figures figures;
    figures.set(reader_figure(*reader, figure::peak_bytes), arguments[2], growth);
    figures.set(figure::model_bytes, arguments[2], model_size);
    return figures.write(arguments[3]) ? 0 : 1;
}
