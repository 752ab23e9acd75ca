// The memory one load takes, measured in a fresh copy of this program so that nothing
// loaded or freed before can hide or inflate it.
#pragma once

#include "readers.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct LoadPeak {
    std::uint64_t before = 0; // resident bytes just before the load
    std::uint64_t peak = 0;   // the most resident bytes up to the end of the load
    std::uint64_t model = 0;  // the bytes of the model's own arrays

    std::uint64_t growth() const { return peak > before ? peak - before : 0; }
};

// The option that makes a benchmark program measure one load and nothing else.
inline constexpr std::string_view peak_load_option = "--peak-load";

// Starts this program with peak_load_option to load the file set with `reader`; the copy
// leaves its figures in the file `scratch_path`.
std::optional<LoadPeak> measure_load_peak(Reader reader, const std::string& node_path,
                                          const std::string& scratch_path);

// The copy's side, given the arguments after peak_load_option: reader, node path, scratch
// path. Returns the exit code.
int run_peak_load(std::span<char* const> arguments);
