#include "scratch_memory.h"

#include "block_shelf.h"

#include <bit>
#include <cstdint>

namespace {

// Smaller blocks come from the heap's own pages, which it keeps.
constexpr std::size_t least_kept = std::size_t{64} << 10;

// Sizes are rounded up to a quarter of their leading power of two, so that a vector grown a
// little more or less than at the last paint still finds its block.
std::size_t size_class(std::size_t bytes) {
    const std::size_t granule = std::bit_floor(bytes) / 4;
    return (bytes + granule - 1) / granule * granule;
}

BlockShelf& shelf() {
    static BlockShelf shelf;
    return shelf;
}

} // namespace

void* allocate_scratch(std::size_t bytes) {
    return bytes < least_kept ? ::operator new(bytes) : shelf().take(size_class(bytes));
}

void release_scratch(void* block, std::size_t bytes) noexcept {
    if (bytes < least_kept) {
        ::operator delete(block);
    } else {
        shelf().put(block, size_class(bytes));
    }
}

void trim_scratch(std::size_t kept_bytes) noexcept {
    shelf().trim(kept_bytes);
}

std::size_t scratch_kept_bytes() noexcept {
    return shelf().kept_bytes();
}
