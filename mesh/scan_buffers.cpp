#include "scan_buffers.h"

#include <algorithm>
#include <new>

ScanStorage ScanBuffers::take(std::size_t capacity) {
    const std::scoped_lock lock(mutex_);
    const auto found = std::find_if(kept_.begin(), kept_.end(), [capacity](const ScanStorage& s) {
        return s.capacity == capacity;
    });
    if (found == kept_.end()) {
        return {};
    }
    ScanStorage storage = std::move(*found);
    kept_.erase(found);
    return storage;
}

void ScanBuffers::give_back(ScanStorage storage) noexcept {
    if (!storage.bytes) {
        return;
    }
    const std::scoped_lock lock(mutex_);
    try {
        kept_.push_back(std::move(storage));
    } catch (const std::bad_alloc&) {
        // Freed with `storage`: the next part allocates its own.
    }
}

void ScanBuffers::trim(std::size_t kept_capacity) noexcept {
    const std::scoped_lock lock(mutex_);
    std::sort(kept_.begin(), kept_.end(),
              [](const ScanStorage& a, const ScanStorage& b) { return a.capacity < b.capacity; });
    std::size_t capacity = 0;
    for (const ScanStorage& storage : kept_) {
        capacity += storage.capacity;
    }
    while (capacity > kept_capacity) {
        capacity -= kept_.back().capacity;
        kept_.pop_back();
    }
}
