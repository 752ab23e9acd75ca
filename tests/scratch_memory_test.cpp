#include "scratch_memory.h"

#include <gtest/gtest.h>

TEST(ScratchMemory, HandsABlockGivenBackToTheNextAskingForItsSizeAndKeepsNoMoreThanAllowed) {
    trim_scratch(0);
    constexpr std::size_t large = std::size_t{1} << 20;
    void* const block = allocate_scratch(large);
    release_scratch(block, large);
    EXPECT_EQ(scratch_kept_bytes(), large);
    // A vector grown a little less than at the last paint finds the same block.
    void* const again = allocate_scratch(large - 1000);
    EXPECT_EQ(again, block);
    EXPECT_EQ(scratch_kept_bytes(), 0U);
    release_scratch(again, large - 1000);

    // Small blocks go back to the heap at once.
    release_scratch(allocate_scratch(1000), 1000);
    EXPECT_EQ(scratch_kept_bytes(), large);

    void* const larger = allocate_scratch(4 * large);
    release_scratch(larger, 4 * large);
    trim_scratch(2 * large); // the largest goes first
    EXPECT_EQ(scratch_kept_bytes(), large);
    trim_scratch(0);
    EXPECT_EQ(scratch_kept_bytes(), 0U);
}
