// Large blocks of memory kept from one use to the next: the scanners' buffers from one part of
// a load to the next and from one load to the next, a paint's scratch memory from one paint to
// the next.
//
// A large block comes fresh from the system at every allocation, and each of its pages costs a
// fault when first written: on a virtual machine, from one to ten microseconds or more a page,
// as much as scanning or painting the data in it. A block put on a shelf waits there for the
// next request of its size instead; trim() decides how much may wait.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

class BlockShelf {
public:
    BlockShelf() = default;
    BlockShelf(const BlockShelf&) = delete;
    BlockShelf& operator=(const BlockShelf&) = delete;
    ~BlockShelf() { trim(0); }

    // A block of `bytes` that waits on the shelf, or else a new one from operator new, aligned
    // as it aligns; throws std::bad_alloc.
    void* take(std::size_t bytes);
    // Puts a block of `bytes` from take() on the shelf; where it cannot be listed, frees it.
    void put(void* block, std::size_t bytes) noexcept;
    // Frees waiting blocks, the largest first, until at most `kept_bytes` wait.
    void trim(std::size_t kept_bytes) noexcept;
    // The bytes of the blocks waiting.
    std::size_t kept_bytes() const noexcept;

private:
    struct Waiting {
        std::size_t bytes;
        void* block;
    };

    mutable std::mutex mutex_;
    std::vector<Waiting> waiting_;
    std::size_t bytes_ = 0;
};

// A block taken from a shelf, or from the heap where there is no shelf, and given back there
// when it goes. Its bytes are left as they come: a block from the shelf holds what its last
// user wrote.
class ShelfBlock {
public:
    ShelfBlock(BlockShelf* shelf, std::size_t bytes)
        : shelf_(shelf), bytes_(bytes),
          block_(shelf != nullptr ? shelf->take(bytes) : ::operator new(bytes)) {}
    ~ShelfBlock() {
        if (shelf_ != nullptr) {
            shelf_->put(block_, bytes_);
        } else {
            ::operator delete(block_);
        }
    }
    ShelfBlock(const ShelfBlock&) = delete;
    ShelfBlock& operator=(const ShelfBlock&) = delete;

    void* get() const { return block_; }

private:
    BlockShelf* shelf_;
    std::size_t bytes_;
    void* block_;
};
