#include <gtest/gtest.h>

#include "gfx/rect.h"

TEST(Rect, ContainsIsInclusiveOnAllFourEdges) {
    const Rect r(709, 550, 31, 29);
    EXPECT_TRUE(r.contains(709, 550));
    EXPECT_TRUE(r.contains(740, 578));
    EXPECT_TRUE(r.contains(740, 579));
    EXPECT_FALSE(r.contains(741, 560));
    EXPECT_FALSE(r.contains(708, 560));
    EXPECT_FALSE(r.contains(720, 549));
    EXPECT_FALSE(r.contains(720, 580));
}

TEST(Rect, NegativeSizesCountFromTheOtherSide) {
    const Rect r(100, 50, -10, -5);
    EXPECT_TRUE(r.contains(90, 45));
    EXPECT_TRUE(r.contains(100, 50));
    EXPECT_TRUE(r.contains(95, 47));
    EXPECT_FALSE(r.contains(89, 47));
    EXPECT_FALSE(r.contains(101, 47));
    EXPECT_FALSE(r.contains(95, 44));
    EXPECT_FALSE(r.contains(95, 51));
}
