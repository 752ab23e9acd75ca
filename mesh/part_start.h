// Where a large file may be split, so that its parts can be read on several threads at once.
//
// A part starts at the label of a record whose index the label tells: a file written in the
// usual shape labels each record "<index>:" from the set's numbering base, one record a line.
// The guess needs no trust: a part is kept only where the part before it ends exactly at its
// first token, as one reading of the whole file would (see the reader).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct PartStart {
    std::size_t first;      // index of the part's first record
    std::uint64_t position; // in the file, of that record's label
};

// The bytes read from where a part is wanted, enough for a line of any usual record and the
// label after it.
inline constexpr std::size_t part_window = 512;

// The first record in `window` (bytes of a file from `position` on) that begins a line with a
// label of one to nine digits and a colon, and its index in a set numbered from `base`;
// nothing where the window holds none wholly.
std::optional<PartStart> guess_part_start(std::string_view window, std::uint64_t position,
                                          std::int32_t base);
