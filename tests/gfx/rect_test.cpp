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

TEST(Rect, SetStoresAndReturnsItself) {
    Rect r;
    const Rect& same = r.set(1, 2, 3, 4);
    EXPECT_EQ(&same, &r);
    EXPECT_EQ(r.x(), 1);
    EXPECT_EQ(r.y(), 2);
    EXPECT_EQ(r.w(), 3);
    EXPECT_EQ(r.h(), 4);
    // A zero-sized rectangle still holds its one point.
    EXPECT_TRUE(Rect(5, 5, 0, 0).contains(5, 5));
    EXPECT_FALSE(Rect(5, 5, 0, 0).contains(6, 5));
}
