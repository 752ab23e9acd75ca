// The straightforward reader the product's reader is measured and checked against: the C
// library's fscanf with the record formats, one record at a time, exactly as the file set's
// rules describe it. Tests, fuzzing and benchmarks only.
//
// Where fscanf's own behaviour is undefined (an integer beyond the 32-bit range, a label
// longer than the buffer) this reader is no reference; callers compare only other inputs.
#pragma once

#include "mesh_model.h"
#include "mesh_reader.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// Opens one file of the set as a C stream; null when it cannot be opened.
using OpenStream = std::function<std::FILE*(const std::string& path)>;

std::FILE* open_stream(const std::string& path);

std::optional<ReadError> reference_read_mesh_file_set(MeshModel& model,
                                                      const std::string& node_path,
                                                      const OpenStream& open = open_stream);
