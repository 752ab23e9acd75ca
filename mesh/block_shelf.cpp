#include "block_shelf.h"

#include <algorithm>
#include <new>

void* BlockShelf::take(std::size_t bytes) {
    {
        const std::scoped_lock lock(mutex_);
        const auto found = std::find_if(waiting_.begin(), waiting_.end(),
                                        [bytes](const Waiting& w) { return w.bytes == bytes; });
        if (found != waiting_.end()) {
            void* const block = found->block;
            bytes_ -= bytes;
            waiting_.erase(found);
            return block;
        }
    }
    return ::operator new(bytes);
}

void BlockShelf::put(void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    const std::scoped_lock lock(mutex_);
    try {
        waiting_.push_back({bytes, block});
        bytes_ += bytes;
    } catch (const std::bad_alloc&) {
        ::operator delete(block); // no room to list it: freed at once
    }
}

void BlockShelf::trim(std::size_t kept_bytes) noexcept {
    const std::scoped_lock lock(mutex_);
    std::sort(waiting_.begin(), waiting_.end(),
              [](const Waiting& a, const Waiting& b) { return a.bytes < b.bytes; });
    while (bytes_ > kept_bytes) {
        ::operator delete(waiting_.back().block);
        bytes_ -= waiting_.back().bytes;
        waiting_.pop_back();
    }
}

std::size_t BlockShelf::kept_bytes() const noexcept {
    const std::scoped_lock lock(mutex_);
    return bytes_;
}
