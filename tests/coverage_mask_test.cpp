#include "coverage_mask.h"

#include <gtest/gtest.h>

namespace {

TEST(CoverageMask, TracksSpansAcrossWordBoundaries) {
    CoverageMask mask({-10, 100, 190, 104}); // 200 pixels wide: four words a row
    mask.cover({50, 101, 70, 103});          // columns 60..79 of the mask, two words
    mask.cover({-10, 103, 190, 104});        // the whole last row
    const struct {
        CellBox box;
        bool covered;
    } cases[] = {
        {{50, 101, 70, 103}, true},
        {{49, 101, 70, 103}, false},
        {{50, 101, 71, 103}, false},
        {{53, 101, 55, 102}, true},
        {{50, 100, 70, 103}, false},
        {{50, 102, 70, 104}, true},
        {{-10, 103, 190, 104}, true},
        {{-20, 103, 300, 104}, true}, // outside the area counts as
                                      // covered
        {{0, 100, 1, 101}, false},
        {{189, 103, 190, 104}, true},
        {{189, 102, 190, 104}, false},
        {{60, 101, 60, 103}, true}, // empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box.left << "," << c.box.top << "," << c.box.right
                                        << "," << c.box.bottom);
        EXPECT_EQ(mask.covers(c.box), c.covered);
    }
}

TEST(CoverageMask, AnEmptyAreaCoversEverything) {
    CoverageMask mask({10, 10, 10, 20});
    mask.cover({0, 0, 100, 100});
    EXPECT_TRUE(mask.covers({-1000000000000, 0, 1000000000000, 100}));
}

} // namespace
