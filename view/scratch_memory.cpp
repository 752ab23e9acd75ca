#include "scratch_memory.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <mutex>

namespace {

// Smaller blocks come from the heap's own pages, which it keeps.
constexpr std::size_t least_kept = std::size_t{64} << 10;

// Sizes are rounded up to a quarter of their leading power of two, so that a vector grown a
// little more or less than at the last paint still finds its block.
std::size_t size_class(std::size_t bytes) {
    const std::size_t granule = std::bit_floor(bytes) / 4;
    return (bytes + granule - 1) / granule * granule;
}

struct Waiting {
    std::size_t bytes;
    void* block;
};

struct Shelf {
    std::mutex mutex;
    std::vector<Waiting> blocks;
    std::size_t bytes = 0;
};

Shelf& shelf() {
    static Shelf shelf;
    return shelf;
}

} // namespace

void* allocate_scratch(std::size_t bytes) {
    if (bytes < least_kept) {
        return ::operator new(bytes);
    }
    const std::size_t size = size_class(bytes);
    {
        Shelf& waiting = shelf();
        const std::scoped_lock lock(waiting.mutex);
        const auto found =
            std::find_if(waiting.blocks.begin(), waiting.blocks.end(),
                         [size](const Waiting& block) { return block.bytes == size; });
        if (found != waiting.blocks.end()) {
            void* const block = found->block;
            waiting.bytes -= size;
            waiting.blocks.erase(found);
            return block;
        }
    }
    return ::operator new(size);
}

void release_scratch(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    if (bytes < least_kept) {
        ::operator delete(block);
        return;
    }
    const std::size_t size = size_class(bytes);
    Shelf& waiting = shelf();
    const std::scoped_lock lock(waiting.mutex);
    try {
        waiting.blocks.push_back({size, block});
        waiting.bytes += size;
    } catch (const std::bad_alloc&) {
        ::operator delete(block); // no room to list it: freed at once
    }
}

void trim_scratch(std::size_t kept_bytes) noexcept {
    Shelf& waiting = shelf();
    const std::scoped_lock lock(waiting.mutex);
    std::sort(waiting.blocks.begin(), waiting.blocks.end(),
              [](const Waiting& a, const Waiting& b) { return a.bytes < b.bytes; });
    while (waiting.bytes > kept_bytes) {
        ::operator delete(waiting.blocks.back().block);
        waiting.bytes -= waiting.blocks.back().bytes;
        waiting.blocks.pop_back();
    }
}

std::size_t scratch_kept_bytes() noexcept {
    Shelf& waiting = shelf();
    const std::scoped_lock lock(waiting.mutex);
    return waiting.bytes;
}
