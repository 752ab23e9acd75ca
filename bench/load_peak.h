// The memory one load takes, measured in a fresh copy of this program so that nothing loaded
// or freed before can hide or inflate it: the growth of the resident high-water mark over the
// resident size just before the load.
#pragma once

#include "bench_meshes.h"
#include "figures.h"
#include "readers.h"

#include <span>
#include <string>
#include <string_view>

// The option that makes a benchmark program measure one load and nothing else.
inline constexpr std::string_view peak_load_option = "--peak-load";

// Starts this program with peak_load_option to load `mesh` with `reader`, and adds the copy's
// figures, the reader's peak and the model's bytes, which it leaves in the file
// `scratch_path`. False when the copy failed.
bool measure_load_peak(Reader reader, const BenchMesh& mesh, const std::string& scratch_path,
                       Figures& figures);

// The copy's side, given the arguments after peak_load_option: reader, node path, mesh id,
// scratch path. Returns the exit code.
int run_peak_load(std::span<char* const> arguments);
