// The transition's clock, centre and outline, checked without drawing.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "math/curves.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "slides/transition.h"

namespace {

float distance(const Vector3& a, const Vector3& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Number of bulges of the rim: local maxima of the distance from the centre
// around the closed outline (the last vertex repeats the first).
int countBulges(const Vector3* outline, int n, const Vector3& centre) {
    const int m = n - 1;
    int bulges = 0;
    for (int i = 0; i < m; ++i) {
        const float prev = distance(outline[(i + m - 1) % m], centre);
        const float here = distance(outline[i], centre);
        const float next = distance(outline[(i + 1) % m], centre);
        if (here > prev && here > next) ++bulges;
    }
    return bulges;
}

}  // namespace

TEST(SlideTransition, IdleDrawsNothingAndSettlesAtZero) {
    if (!frameTimer) frameTimer = new FrameTimer;
    frameTimer->deltaSeconds = 0.02f;
    SlideTransition t;
    EXPECT_FALSE(t.draw());
    EXPECT_EQ(t.remaining, 0.0f);
    EXPECT_FALSE(t.drawCentred());
    EXPECT_EQ(t.remaining, 0.0f);
    t.remaining = -1;  // a phase cancelling it
    EXPECT_FALSE(t.draw());
    EXPECT_EQ(t.remaining, 0.0f);

    // A zero duration ends at the next drawing call without drawing.
    t.start(0, 1, 2);
    EXPECT_FALSE(t.draw());
}

TEST(SlideTransition, StartTakesOneRandomDrawForTheCentreAndRestarts) {
    std::srand(1);
    const int first = std::rand(), second = std::rand(), third = std::rand();
    std::srand(1);
    SlideTransition t;
    t.start(2.5f, 11, 12);
    EXPECT_EQ(t.duration, 2.5f);
    EXPECT_EQ(t.remaining, 2.5f);
    EXPECT_EQ(t.fromTexture, 11u);
    EXPECT_EQ(t.toTexture, 12u);
    EXPECT_FLOAT_EQ(t.centreJitter, static_cast<float>(first % 10000) / 10000.0f * 10);

    // A second start while running begins again with the new pair and centre.
    t.remaining = 1.0f;
    t.start(1.05f, 20, 21);
    EXPECT_EQ(t.remaining, 1.05f);
    EXPECT_EQ(t.fromTexture, 20u);
    EXPECT_EQ(t.toTexture, 21u);
    EXPECT_FLOAT_EQ(t.centreJitter, static_cast<float>(second % 10000) / 10000.0f * 10);
    EXPECT_EQ(std::rand(), third);  // nothing else was drawn
}

TEST(SlideTransition, RadiusGrowsFromZeroAndNeverReaches680) {
    EXPECT_EQ(transitionRadius(2.5f, 2.5f), 0);
    EXPECT_EQ(transitionRadius(2.5f - 0.02f, 2.5f), 5);  // first 20 ms frame
    EXPECT_EQ(transitionRadius(1.25f, 2.5f), 340);
    EXPECT_EQ(transitionRadius(0.0000018f, 2.5f), 679);
    EXPECT_EQ(transitionRadius(0.525f, 1.05f), 340);
}

TEST(SlideTransition, CentreLiesOnTheDiagonalOrAtTheMiddle) {
    const Vector3 upLeft = transitionCentre(0, false);
    EXPECT_FLOAT_EQ(upLeft.x, 225);
    EXPECT_FLOAT_EQ(upLeft.y, 125);
    const Vector3 downRight = transitionCentre(10, false);
    EXPECT_FLOAT_EQ(downRight.x, 575);
    EXPECT_FLOAT_EQ(downRight.y, 475);
    const Vector3 centred = transitionCentre(7.3f, true);
    EXPECT_EQ(centred.x, 400);
    EXPECT_EQ(centred.y, 300);
}

TEST(SlideTransition, OutlineOfTheTwoVariants) {
    Vector3 outline[kTransitionMaxVertices];

    // Half-way through a slideshow transition with the centre in the middle.
    TransitionShape s = transitionShape(1.25f, 2.5f, 5, false);
    ASSERT_EQ(transitionOutline(s, outline), 250);
    EXPECT_NEAR(outline[0].x, 400, 1e-3);
    EXPECT_NEAR(outline[0].y, 300 + 340 + 104.5, 1e-3);
    EXPECT_LT(distance(outline[249], outline[0]), 0.01f);  // closes onto the first
    EXPECT_EQ(countBulges(outline, 250, s.centre), 9);
    for (int i = 0; i < 250; ++i) {
        const float d = distance(outline[i], s.centre);
        EXPECT_GE(d, 340 - 104.5 - 0.01);
        EXPECT_LE(d, 340 + 104.5 + 0.01);
    }

    // The first 20 ms frame: radius 5, the rim loops around the centre.
    s = transitionShape(2.48f, 2.5f, 3.2f, false);
    transitionOutline(s, outline);
    for (int i = 0; i < 250; ++i) {
        const float d = distance(outline[i], s.centre);
        EXPECT_GE(d, 99.5 - 0.01);
        EXPECT_LE(d, 109.5 + 0.01);
    }

    // The outro's variant: 65 vertices, 19 bulges, centred whatever the jitter.
    s = transitionShape(0.5f, 1.05f, 0, true);
    ASSERT_EQ(transitionOutline(s, outline), 65);
    EXPECT_EQ(s.centre.x, 400);
    EXPECT_EQ(countBulges(outline, 65, s.centre), 19);
    EXPECT_LT(distance(outline[64], outline[0]), 0.01f);
    const float r = static_cast<float>(s.radius);
    for (int i = 0; i < 65; ++i) {
        const float d = distance(outline[i], s.centre);
        EXPECT_GE(d, r - 24.5 - 0.01);
        EXPECT_LE(d, r + 24.5 + 0.01);
    }
}
