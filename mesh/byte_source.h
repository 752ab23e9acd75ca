// Where the reader's bytes come from: a file on disk, or memory in tests and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `capacity` bytes into `buffer`; 0 means the end of the data.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
    // How many bytes the source holds in all, or more: a file read in text mode may end its
    // data before the end of the file. unknown_size where that cannot be told.
    virtual std::uint64_t size() const = 0;
    // Moves to `offset` bytes from the start of the data, where the next read begins; false
    // where the source cannot move.
    virtual bool seek(std::uint64_t /*offset*/) { return false; }

    static constexpr std::uint64_t unknown_size = ~std::uint64_t{0};
};

// Opens a file by path; returns null when it cannot be opened.
using OpenByteSource = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

// Opens a file on disk for reading, with the bytes the C library's fscanf reads from it when
// fopen opens it with "r" (see FileSource).
std::unique_ptr<ByteSource> open_file(const std::string& path);

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view data) : whole_(data), data_(data), size_(data.size()) {}
    std::size_t read(char* buffer, std::size_t capacity) override;
    std::uint64_t size() const override { return size_; }
    bool seek(std::uint64_t offset) override;

private:
    std::string_view whole_;
    std::string_view data_;
    std::uint64_t size_;
};
