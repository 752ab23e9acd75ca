// The buffers of the scanners of the loads, handed from a part whose scan has ended to the next
// part to start, and kept from one load to the next.
//
// A megabyte buffer comes fresh from the system at every allocation, and each of its pages
// costs a fault when first written: under Wine on a virtual machine, some 3 ms a buffer, as
// much as scanning a megabyte. A load in parts starts a scanner for each part; with the
// buffers handed on, it faults in about one for each thread, and a load after one of about its
// size none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// A scanner's bytes and the whitespace bits of them.
struct ScanStorage {
    std::size_t capacity = 0;
    std::unique_ptr<char[]> bytes;
    std::unique_ptr<std::uint64_t[]> bits;
};

class ScanBuffers {
public:
    // A storage given back with this capacity, or an empty one.
    ScanStorage take(std::size_t capacity);
    void give_back(ScanStorage storage) noexcept;
    // Frees storages, the largest first, until those kept buffer at most `kept_capacity` bytes
    // in all.
    void trim(std::size_t kept_capacity) noexcept;

private:
    std::mutex mutex_;
    std::vector<ScanStorage> kept_;
};
