#include <gtest/gtest.h>

#include <cstdlib>

#include "math/curves.h"

TEST(SineWindow, PlateauAndExcludedEnds) {
    EXPECT_EQ(sineWindow(0, 0, 6, 2), 0);
    EXPECT_EQ(sineWindow(6, 0, 6, 2), 0);
    EXPECT_EQ(sineWindow(-1, 0, 6, 2), 0);
    EXPECT_EQ(sineWindow(7, 0, 6, 2), 0);
    EXPECT_NEAR(sineWindow(0.5f, 0, 6, 2), 0.5176f, 1e-4);
    EXPECT_NEAR(sineWindow(5.5f, 0, 6, 2), 0.5176f, 1e-4);
    for (float t : {2.0f, 3.0f, 4.0f}) EXPECT_EQ(sineWindow(t, 0, 6, 2), 1.0f) << t;
    // gain 4: plateau from frac ~0.0804 to ~0.9196
    EXPECT_LT(sineWindow(0.07f * 10, 0, 10, 4), 1.0f);
    EXPECT_EQ(sineWindow(0.09f * 10, 0, 10, 4), 1.0f);
}

TEST(SineWindow, DegenerateAndNegativeGain) {
    for (float t : {-1.0f, 3.0f, 3.5f}) EXPECT_EQ(sineWindow(t, 3, 3, 2), 0);
    for (float t : {0.5f, 3.0f, 5.9f}) EXPECT_EQ(sineWindow(t, 0, 6, -2), 0);
    EXPECT_NEAR(sineWindowInt(5, 0, 10, 1), 1.0f, 1e-6);
    EXPECT_EQ(sineWindowInt(0, 0, 10, 1), 0);
    EXPECT_EQ(sineWindowInt(10, 0, 10, 1), 0);
}

TEST(Ramp, OrderOfTestsAvoidsDivision) {
    EXPECT_EQ(ramp(0, 0, 2.5f), 0);
    EXPECT_EQ(ramp(-3, 0, 2.5f), 0);
    EXPECT_EQ(ramp(1.25f, 0, 2.5f), 0.5f);
    EXPECT_EQ(ramp(2.5f, 0, 2.5f), 1);
    EXPECT_EQ(ramp(9, 0, 2.5f), 1);
    EXPECT_EQ(ramp(3, 3, 3), 0);
    EXPECT_EQ(ramp(3.001f, 3, 3), 1);
    EXPECT_EQ(rampInt(5, 0, 10), 0.5f);
    EXPECT_EQ(rampInt(0, 0, 10), 0);
    EXPECT_EQ(rampInt(10, 0, 10), 1);
}

TEST(Wrappers, SinglePrecisionOfTheLibrary) {
    EXPECT_FLOAT_EQ(fsin(0.3f), 0.29552020f);
    EXPECT_FLOAT_EQ(fcos(0), 1.0f);
    EXPECT_FLOAT_EQ(fpow(2, 10), 1024.0f);
    EXPECT_FLOAT_EQ(fpow(0.5f, 2), 0.25f);  // base first
}

TEST(Random01, OneDrawEachInSteps) {
    std::srand(7);
    int draws[5];
    for (int& d : draws) d = std::rand();
    std::srand(7);
    for (int d : draws) EXPECT_FLOAT_EQ(random01(), static_cast<float>(d % 10000) / 10000.0f);
    float lo = 1, hi = 0;
    for (int i = 0; i < 200000; ++i) {
        const float r = random01();
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    EXPECT_GE(lo, 0.0f);
    EXPECT_LE(hi, 0.9999f);
    EXPECT_LT(hi, 1.0f);
}
