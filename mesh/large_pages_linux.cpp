#include "record_array.h"

#include <cstdint>
#include <sys/mman.h>

void advise_large_pages(void* block, std::size_t size) {
    constexpr std::uintptr_t large_page = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + large_page - 1) & ~(large_page - 1);
    const std::uintptr_t last = (start + size) & ~(large_page - 1);
    if (first < last) {
        // Only advice: where the system declines, pages stay small.
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}
