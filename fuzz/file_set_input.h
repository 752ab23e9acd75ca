// How a fuzzer input becomes mesh file sets.
//
// The input is cut at every separator line "\n%%\n" into parts; the separator's bytes belong
// to no part, so a part may end without a line end. The parts are, in order:
//
//   0, 1, 2   the node, element and side file of the first set (mesh.n, mesh.e, mesh.s)
//   3, 4, 5   the second set, read into the same model after the first; an input of at most
//             three parts reads the first set twice
//   6         an extra paint: as little-endian int32s, the drawing rectangle's left, top,
//             right and bottom and the text height (zeros where the part is short), then the
//             clip box's four edges (no clipping unless the part holds all four); then ten
//             bytes, the widths of the digits 0 to 9 (none unless the part holds all ten);
//             after these 46 bytes, the sizes of the reads the second set's files hand out
//   7         changes to the view, zooms, moves and resizes, painted one after the other (see
//             fuzz_read_and_paint.cpp); without the part, a fixed series of them
//
// A part that the input does not reach is a file that cannot be opened. The first set's files
// hand out all that is asked of them, as files on disk do, and where the input's size is a
// multiple of 8 its element file is read on a thread of its own, as a large one is; the second
// set's hand out their bytes in reads of the sizes given, one byte each, in turn (0: all that
// is asked), or of default_read_sizes, so that tokens straddle the reader's refills.
#pragma once

#include "byte_source.h"
#include "mesh_reader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view part_separator = "\n%%\n";
inline constexpr std::string_view node_path = "mesh.n";

inline std::vector<std::string_view> split_input(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = rest.find(part_separator);
        parts.push_back(rest.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        rest.remove_prefix(at + part_separator.size());
    }
}

// Sizes of reads that put the ends of reads around the reader's lookahead of 128 bytes.
inline constexpr std::string_view default_read_sizes = "\x01\x03\x07\x40\x7f\x80\x81";
// Where the fields after the rectangle and the text height start in part 6.
inline constexpr std::size_t clip_offset = 20;
inline constexpr std::size_t digit_widths_offset = 36;
inline constexpr std::size_t read_sizes_offset = 46;

// Hands out its data in reads of the sizes given, in turn; 0 or no sizes: all that is asked.
class ChunkedSource final : public ByteSource {
public:
    ChunkedSource(std::string_view data, std::string_view sizes) : data_(data), sizes_(sizes) {}

    std::size_t read(char* buffer, std::size_t capacity) override {
        std::size_t count = std::min(capacity, data_.size());
        if (!sizes_.empty()) {
            const auto size = static_cast<unsigned char>(sizes_[next_size_++ % sizes_.size()]);
            if (size != 0) {
                count = std::min<std::size_t>(count, size);
            }
        }
        if (count != 0) {
            std::memcpy(buffer, data_.data(), count);
        }
        data_.remove_prefix(count);
        return count;
    }

    std::uint64_t size() const override { return size_; }

private:
    std::string_view data_;
    std::string_view sizes_;
    std::uint64_t size_ = data_.size();
    std::size_t next_size_ = 0;
};

// The three files of one set; a file the input does not reach is absent.
struct FileSetParts {
    std::array<std::optional<std::string_view>, 3> files; // .n, .e, .s

    // The file named by `path`, whose last character tells which one it is.
    std::optional<std::string_view> find(const std::string& path) const {
        if (path.size() != node_path.size() ||
            path.compare(0, path.size() - 1, node_path.substr(0, node_path.size() - 1)) != 0) {
            return std::nullopt;
        }
        switch (path.back()) {
        case 'n':
            return files[0];
        case 'e':
            return files[1];
        case 's':
            return files[2];
        default:
            return std::nullopt;
        }
    }

    // Opens the files as memory, handing out all that is asked at once.
    OpenByteSource opener() const {
        return [this](const std::string& path) -> std::unique_ptr<ByteSource> {
            const auto file = find(path);
            if (!file) {
                return nullptr;
            }
            return std::make_unique<MemorySource>(*file);
        };
    }

    // Opens the files as memory handing out reads of `read_sizes`.
    OpenByteSource chunked_opener(std::string_view read_sizes) const {
        return [this, read_sizes](const std::string& path) -> std::unique_ptr<ByteSource> {
            const auto file = find(path);
            if (!file) {
                return nullptr;
            }
            return std::make_unique<ChunkedSource>(*file, read_sizes);
        };
    }

    friend bool operator==(const FileSetParts&, const FileSetParts&) = default;
};

struct FuzzInput {
    FileSetParts first;
    FileSetParts second;
    std::string_view extra;                       // part 6
    std::string_view read_sizes;                  // of the second set's files
    std::optional<std::string_view> view_changes; // part 7

    // The first set's element and side files are read in parts of at least `part_least`
    // bytes, as large ones are, and on two threads in one input of eight: a thread costs more
    // than the rest of a run under the sanitizers.
    bool threaded = false;
    std::uint64_t part_least = 1;

    OpenByteSource first_opener() const { return first.opener(); }
    ReadThreads first_threads() const { return {threaded ? 2U : 1U, part_least}; }
    OpenByteSource second_opener() const { return second.chunked_opener(read_sizes); }
};

inline FuzzInput parse_input(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string_view> parts = split_input(data, size);
    const auto part = [&parts](std::size_t i) -> std::optional<std::string_view> {
        if (i < parts.size()) {
            return parts[i];
        }
        return std::nullopt;
    };
    FuzzInput input;
    input.first.files = {part(0), part(1), part(2)};
    input.second = parts.size() <= 3 ? input.first : FileSetParts{{part(3), part(4), part(5)}};
    input.threaded = size % 8 == 0;
    input.part_least = 1 + size % 61;
    input.extra = part(6).value_or(std::string_view());
    input.read_sizes = input.extra.size() > read_sizes_offset
                           ? input.extra.substr(read_sizes_offset)
                           : default_read_sizes;
    input.view_changes = part(7);
    return input;
}

// A little-endian int32 from `bytes` at `offset`, zero bytes where `bytes` ends.
inline std::int32_t int32_at(std::string_view bytes, std::size_t offset) {
    std::array<unsigned char, 4> raw{};
    for (std::size_t i = 0; i < raw.size() && offset + i < bytes.size(); ++i) {
        raw[i] = static_cast<unsigned char>(bytes[offset + i]);
    }
    const std::uint32_t value = raw[0] | (std::uint32_t{raw[1]} << 8) |
                                (std::uint32_t{raw[2]} << 16) | (std::uint32_t{raw[3]} << 24);
    return static_cast<std::int32_t>(value);
}
