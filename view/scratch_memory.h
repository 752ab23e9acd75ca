// Memory a paint needs only while it runs (the selected blocks, the rows' lists, the mask, the
// composed numbers), kept from one paint to the next.
//
// Blocks given back here wait on a shelf (block_shelf.h) for the next paint, which asks for
// blocks of the same sizes; trim_scratch() decides how much may wait.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

// A block of at least `bytes`, aligned as operator new aligns; throws std::bad_alloc.
void* allocate_scratch(std::size_t bytes);
// Gives back a block from allocate_scratch(bytes), to wait for another paint.
void release_scratch(void* block, std::size_t bytes) noexcept;
// Frees waiting blocks, the largest first, until at most `kept_bytes` wait.
void trim_scratch(std::size_t kept_bytes) noexcept;
// The bytes of the blocks waiting.
std::size_t scratch_kept_bytes() noexcept;

template <typename T> struct ScratchAllocator {
    using value_type = T;

    ScratchAllocator() = default;
    template <typename U> ScratchAllocator(const ScratchAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(allocate_scratch(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept {
        release_scratch(block, count * sizeof(T));
    }

    template <typename U> bool operator==(const ScratchAllocator<U>&) const noexcept {
        return true;
    }
};

template <typename T> using ScratchVector = std::vector<T, ScratchAllocator<T>>;
