#include "load_peak.h"

#include "process_memory.h"

#include <cstdio>

std::optional<LoadPeak> measure_load_peak(Reader reader, const std::string& node_path,
                                          const std::string& scratch_path) {
    std::remove(scratch_path.c_str());
    const int exit_code = run_this_program(
        {std::string(peak_load_option), std::string(reader_name(reader)), node_path, scratch_path});
    std::FILE* scratch = exit_code == 0 ? std::fopen(scratch_path.c_str(), "r") : nullptr;
    if (scratch == nullptr) {
        return std::nullopt;
    }
    unsigned long long before = 0;
    unsigned long long peak = 0;
    unsigned long long model = 0;
    const int read = std::fscanf(scratch, "%llu %llu %llu", &before, &peak, &model);
    std::fclose(scratch);
    std::remove(scratch_path.c_str());
    if (read != 3) {
        return std::nullopt;
    }
    return LoadPeak{before, peak, model};
}

int run_peak_load(std::span<char* const> arguments) {
    const auto reader = arguments.size() == 3 ? reader_named(arguments[0]) : std::nullopt;
    if (!reader) {
        std::fputs("expected: product|reference <node path> <scratch path>\n", stderr);
        return 2;
    }
    MeshModel model;
    reset_peak_resident();
    const ProcessMemory before = process_memory();
    if (!load_with(*reader, model, arguments[1])) {
        return 1;
    }
    const ProcessMemory after = process_memory();
    std::FILE* scratch = std::fopen(arguments[2], "w");
    if (scratch == nullptr) {
        return 1;
    }
    std::fprintf(scratch, "%llu %llu %llu\n", static_cast<unsigned long long>(before.resident),
                 static_cast<unsigned long long>(after.peak_resident),
                 static_cast<unsigned long long>(model_bytes(model)));
    return std::fclose(scratch) == 0 ? 0 : 1;
}
