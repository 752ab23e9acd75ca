// Reader of a mesh file set: a node file, an element file and a side file whose names differ
// only in their last byte (mesh.n, mesh.e, mesh.s). Where the node file's name ends in a
// letter of several bytes, that byte is part of the letter, and the names derived from it are
// not valid UTF-8: their files are not found.
//
// read_mesh_file_set() reads the three files into a model and returns the first failure, if
// any, in the files' order (node, element, side); on failure the model may hold part of the
// new mesh, and the arrays of the files after the failing one their old or new records.
// load_mesh_file_set() is the program's entry: it reads into the program-wide mesh and, on failure,
// reports the failure to the user and ends the process with exit code -1.
//
// Each file is a count followed by that many records of whitespace-separated tokens, scanned
// the way the C library's %s, %d and %lf conversions scan them: a malformed token stops its
// record and the following records are read out of step, a file with fewer records than its
// count leaves the rest zero-filled, and a count that cannot be read keeps the previous
// load's count. None of that is an error. A count far beyond what the file holds (more than
// 2^20 records and more than the file's size in bytes, or a tail of missing records longer
// than both 2^20 and the records read) is refused, so that no file can make the viewer
// allocate or touch memory out of proportion to its size. A set is numbered from 0 exactly
// when its first node label is "0:"; otherwise its indices are converted from 1-based to
// 0-based.
//
// The files are read as fscanf reads a file opened with "r": in the Windows build, whose C
// library reads such a file in text mode, a Ctrl+Z ends a file's data. The size the count is
// held against is the whole file's, which bounds that data too.
#pragma once

#include "byte_source.h"
#include "mesh_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The name every failure message carries.
inline constexpr std::string_view program_name = "velmora";

// The threads a file set is read with, and the least bytes of a part of a file.
//
// The three files are read at once, and the element and the side file in parts, several for
// each thread, none smaller than `part_least` bytes; the threads beside the caller start only
// for a set of at least `part_least` bytes. Under Wine a thread takes a millisecond or more to
// start running, about as long as reading a megabyte, so part_least_bytes keeps small sets on
// the calling thread and small parts from costing more than they save.
struct ReadThreads {
    unsigned count;           // the calling thread included; 1 reads on the caller alone
    std::uint64_t part_least; // 1: files split into parts of any size (for the tests)
};

inline constexpr std::uint64_t part_least_bytes = std::uint64_t{4} << 20;

// As many threads as the machine runs at once.
ReadThreads default_read_threads();

// The longest path Windows accepts, in UTF-16 units before the terminator (MAX_PATH - 1).
inline constexpr std::size_t max_path_units = 259;

// Size in bytes of the node-path buffer handed to load_mesh_file_set, terminator included:
// room for the longest path in UTF-8, the code page the Windows program asks for, where a
// UTF-16 unit takes at most three bytes (a surrogate pair takes four).
inline constexpr std::size_t max_path_length = 3 * max_path_units + 1;

enum class ReadFailure : std::uint8_t {
    cannot_open_node_file,
    cannot_open_file, // the element or the side file
    cannot_allocate,
    label_too_long,
    negative_count,
    count_too_large, // far more records than the file holds
};

struct ReadError {
    ReadFailure failure;
    std::string path; // the file being read
};

// The model is the same, bit for bit, whatever the threads and the parts.
std::optional<ReadError> read_mesh_file_set(MeshModel& model, std::string_view node_path,
                                            const OpenByteSource& open = open_file,
                                            ReadThreads threads = default_read_threads());

// The line written to standard error for a failure; the node file's failure has a message
// box instead (see report_read_failure).
std::string read_failure_message(const ReadError& error);

// Tells the user about a failure: a message box captioned "cannot open file" when the node
// file cannot be opened, a line on standard error for everything else.
void report_read_failure(const ReadError& error);

// Reads the file set named by the zero-terminated node path in `path` (a writable buffer of
// at most max_path_length bytes) into current_mesh(). On return the buffer names the side
// file: its last byte has been overwritten with 'e', then with 's'. On failure the process
// has ended with exit code -1.
void load_mesh_file_set(char* path);
