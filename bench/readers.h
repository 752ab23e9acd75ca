// The readers the benchmarks compare on the same files: the product's reader with all the
// machine's threads and with the calling thread alone, and the plain fscanf reader it is
// checked against.
#pragma once

#include "mesh_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class Reader : std::uint8_t { product, one_thread, reference };

inline constexpr Reader all_readers[] = {Reader::product, Reader::one_thread, Reader::reference};

std::string_view reader_name(Reader reader);
std::optional<Reader> reader_named(std::string_view name);

// Reads the file set into `model`; on failure writes the reader's message to standard error
// and returns false.
bool load_with(Reader reader, MeshModel& model, const std::string& node_path);

// The bytes of the model's own arrays.
std::uint64_t model_bytes(const MeshModel& model);
