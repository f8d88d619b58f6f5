// The glows' start positions, drift, wrap and re-entry heights.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "core/globals.h"
#include "slides/ambient.h"

namespace {

bool inBand(float y) { return (y >= 0 && y <= 99) || (y >= 501 && y <= 600); }

}  // namespace

TEST(AmbientGlows, InitDrawsParityHeightThenXForEachGlow) {
    std::srand(1);
    initAmbientGlows();
    ASSERT_NE(ambientGlows, nullptr);
    std::srand(1);
    for (int i = 0; i < kAmbientGlowCount; ++i) {
        const int parity = std::rand();
        const int y = parity % 2 == 0 ? std::rand() % 100 : 600 - std::rand() % 100;
        const int x = std::rand() % 800;
        EXPECT_EQ(ambientGlows[i].x, static_cast<float>(x)) << i;
        EXPECT_EQ(ambientGlows[i].y, static_cast<float>(y)) << i;
        EXPECT_EQ(ambientGlows[i].z, 0.0f);
    }
    // Exactly thirty draws were taken.
    const int next = std::rand();
    std::srand(1);
    initAmbientGlows();
    EXPECT_EQ(std::rand(), next);

    for (unsigned seed = 2; seed < 60; ++seed) {
        std::srand(seed);
        initAmbientGlows();
        for (int i = 0; i < kAmbientGlowCount; ++i) {
            EXPECT_TRUE(inBand(ambientGlows[i].y)) << ambientGlows[i].y;
            EXPECT_GE(ambientGlows[i].x, 0);
            EXPECT_LE(ambientGlows[i].x, 799);
        }
    }
}

TEST(AmbientGlows, DriftAndWrap) {
    Vector3 g(100, 50, 0);
    EXPECT_FALSE(stepAmbientGlow(g, 20, 0));
    EXPECT_NEAR(g.x, 101.8, 1e-4);
    EXPECT_EQ(g.y, 50);

    // Exactly 800 after the drift is not past the edge.
    g = Vector3(782, 50, 0);
    EXPECT_FALSE(stepAmbientGlow(g, 200, 0));
    EXPECT_FLOAT_EQ(g.x, 800);

    // 790 + 18 = 808 wraps to -12 with a banded height: two draws.
    std::srand(7);
    const int parity = std::rand();
    const int expectedY = parity % 2 == 0 ? std::rand() % 100 : 600 - std::rand() % 100;
    const int after = std::rand();
    std::srand(7);
    g = Vector3(790, 50, 0);
    EXPECT_TRUE(stepAmbientGlow(g, 200, 0));
    EXPECT_FLOAT_EQ(g.x, -12);
    EXPECT_EQ(g.y, static_cast<float>(expectedY));
    EXPECT_EQ(std::rand(), after);

    // The Scroller look re-enters at any height: one draw.
    std::srand(9);
    const int full = std::rand() % 600;
    const int afterFull = std::rand();
    std::srand(9);
    g = Vector3(790, 50, 0);
    EXPECT_TRUE(stepAmbientGlow(g, 200, 5));
    EXPECT_EQ(g.y, static_cast<float>(full));
    EXPECT_EQ(std::rand(), afterFull);

    EXPECT_EQ(ambientGlowRect(Vector3(-12, 300, 0), 0, 0).x(), -12);
}

TEST(AmbientGlows, RockAndBobKeepTheGlowsOutOfStep) {
    EXPECT_EQ(ambientGlowAngle(0, 0), 0.0f);
    EXPECT_EQ(ambientGlowBob(0, 0), 0.0f);
    EXPECT_NEAR(ambientGlowAngle(1, 0), 73.88, 0.01);
    EXPECT_NEAR(ambientGlowBob(1, 0), 0.516, 0.001);
    // A quarter of the rock period at 1047 ms: sin is 1.
    EXPECT_NEAR(ambientGlowAngle(0, 1047), 250, 0.01);
    // The bob peaks at +20 pixels after a quarter of its 12.57 s period.
    EXPECT_NEAR(ambientGlowBob(0, 3142), 20, 0.001);

    // The rectangle truncates toward zero after adding the bob.
    const Rect r = ambientGlowRect(Vector3(10.7f, 50.2f, 0), 0, 3142);
    EXPECT_EQ(r.x(), 10);
    EXPECT_EQ(r.y(), 70);
    EXPECT_EQ(r.w(), 30);
    EXPECT_EQ(r.h(), 30);
}
