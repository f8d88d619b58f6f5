// Where the chef, the bubble and the caption stand as the transition's clock runs.
#include <cmath>

#include <gtest/gtest.h>

#include "slides/overlay.h"

namespace {

void expectRect(const Rect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x(), x);
    EXPECT_EQ(r.y(), y);
    EXPECT_EQ(r.w(), w);
    EXPECT_EQ(r.h(), h);
}

}  // namespace

TEST(SlideOverlay, AtRestOnEachSide) {
    // Before any transition has run: duration -1, remaining 0.
    OverlayLayout o = overlayLayout(0, 0, -1, 0);
    expectRect(o.chef, 100, 400, 200, 200);
    EXPECT_EQ(o.chefAngle, 0.0f);
    expectRect(o.bubble, 215, 350, 200, 200);
    EXPECT_FLOAT_EQ(o.bubbleScale, 1);
    EXPECT_TRUE(o.captionDrawn);
    EXPECT_FLOAT_EQ(o.captionAngle, -10);
    EXPECT_FLOAT_EQ(o.captionScale, 1);

    o = overlayLayout(1, 0, 2.5f, 0);
    expectRect(o.chef, 450, 400, 200, 200);
    expectRect(o.bubble, 565, 350, 200, 200);

    // 3.14 is not quite pi, so the swing leaves a trace at rest.
    EXPECT_NEAR(overlayLayout(1, 0, 2.5f, 0).chefAngle, -0.0478, 0.001);
    EXPECT_NEAR(overlayLayout(3, 0, 2.5f, 0).chefAngle, -0.1433, 0.001);
    EXPECT_NEAR(overlayLayout(2, 0, 2.5f, 0).chefAngle, -0.0956, 0.001);
    EXPECT_NEAR(overlayLayout(6, 0, 2.5f, 0).chefAngle, -0.0956, 0.001);
    EXPECT_EQ(overlayLayout(4, 0, 2.5f, 0).chefAngle, 0.0f);
    EXPECT_NEAR(overlayLayout(5, 0, 2.5f, 0).chefAngle, -0.0478, 0.001);
}

TEST(SlideOverlay, CourseOfASlideChange) {
    // First frame: the chef is just below the screen, bubble and caption hidden.
    OverlayLayout o = overlayLayout(2, 2.48f, 2.5f, 0);
    EXPECT_EQ(o.chef.y(), 599);
    EXPECT_EQ(o.bubble.y(), 549);
    EXPECT_FLOAT_EQ(o.bubbleScale, 0);
    EXPECT_FALSE(o.captionDrawn);

    // Half-way: half risen, slide 1 leans about -21 degrees, slide 2 the other way round.
    o = overlayLayout(1, 1.25f, 2.5f, 0);
    EXPECT_EQ(o.chef.y(), 500);
    EXPECT_NEAR(o.chefAngle, -21.2, 0.1);
    EXPECT_NEAR(overlayLayout(2, 1.25f, 2.5f, 0).chefAngle, 30 * std::sin(0.25 * 3.14 * 2), 0.01);
    EXPECT_EQ(overlayLayout(0, 1.25f, 2.5f, 0).chefAngle, 0.0f);

    // 0.2 s left: nearly up, the bubble a quarter open, no caption yet.
    o = overlayLayout(0, 0.2f, 2.5f, 0);
    EXPECT_EQ(o.chef.y(), 403);
    EXPECT_NEAR(o.bubbleScale, 0.25, 1e-4);
    EXPECT_FALSE(o.captionDrawn);

    // 0.05 s left: up, bubble open, the caption at about 0.65.
    o = overlayLayout(1, 0.05f, 2.5f, 0);
    EXPECT_EQ(o.chef.y(), 400);
    EXPECT_FLOAT_EQ(o.bubbleScale, 1);
    EXPECT_TRUE(o.captionDrawn);
    EXPECT_NEAR(o.captionScale, 0.6495, 0.001);

    // The caption appears once its scale passes 0.05, about 0.114 s before the end.
    EXPECT_FALSE(overlayLayout(1, 0.12f, 2.5f, 0).captionDrawn);
    EXPECT_TRUE(overlayLayout(1, 0.11f, 2.5f, 0).captionDrawn);
}

TEST(SlideOverlay, CaptionTiltsAndBreathesOnSlidesZeroThreeSix) {
    // w * 0.15 = pi/2 at about 1396 ms: the tilt passes through 0.
    EXPECT_NEAR(overlayLayout(1, 0, 2.5f, 1396).captionAngle, 0, 0.01);
    EXPECT_NEAR(overlayLayout(1, 0, 2.5f, 2793).captionAngle, -10, 0.01);

    // sin(1.571) is about 1: the breathing slides are at 1.05, the others at 1.
    for (int k = 0; k < 7; ++k) {
        const float scale = overlayLayout(k, 0, 2.5f, 1571).captionScale;
        if (k % 3 == 0)
            EXPECT_NEAR(scale, 1.05, 1e-4) << k;
        else
            EXPECT_FLOAT_EQ(scale, 1) << k;
    }
    EXPECT_NEAR(overlayLayout(3, 0, 2.5f, 4712).captionScale, 0.95, 1e-4);
}
