// When and how many sparks the mouse trail makes.
#include <cstdlib>

#include <gtest/gtest.h>

#include "particles/particle_system.h"
#include "particles/trail.h"
#include "core/frame_timer.h"
#include "core/globals.h"

namespace {

class Trail : public ::testing::Test {
protected:
    void SetUp() override {
        if (!frameTimer) frameTimer = new FrameTimer;
        if (!particleSystem) particleSystem = new ParticleSystem;
        particleSystem->clear();
        particleSystem->paused = false;
        frameTimer->deltaMs = 20;
        frameTimer->lastTicks = 5000;
        mouseX = 400;
        mouseY = 400;
        trailBurst = 0;
        trailCountdown = 100;
    }

    // One frame of spawning; returns the number of sparks it made.
    int frame(Uint32 ms) {
        frameTimer->deltaMs = ms;
        frameTimer->lastTicks += ms;
        const size_t before = particleSystem->emitters.size();
        spawnTrail();
        return static_cast<int>(particleSystem->emitters.size() - before);
    }
};

}  // namespace

TEST(TrailBatch, SizeAndTiltFollowTheBurstLevel) {
    const struct { float burst; int count; } table[] = {
        {1000, 5}, {751, 5}, {750, 4}, {501, 4}, {500, 3}, {251, 3}, {250, 2}, {0.5f, 2},
        {0, 1},    {-15, 1}, {-249, 1}, {-250, 0}, {-290, 0}, {-1000, 0}};
    for (const auto& row : table) EXPECT_EQ(trailBatchSize(row.burst), row.count) << row.burst;
    EXPECT_FLOAT_EQ(trailTilt(1000), 0.4f);
    EXPECT_FLOAT_EQ(trailTilt(500), 0.2f);
    EXPECT_FLOAT_EQ(trailTilt(0), 0);
    EXPECT_FLOAT_EQ(trailTilt(-100), -0.04f);
}

TEST_F(Trail, OneSparkEverySixthFrameAtThePointer) {
    for (int round = 0; round < 3; ++round) {
        for (int f = 0; f < 5; ++f) EXPECT_EQ(frame(20), 0) << round << " " << f;
        EXPECT_EQ(frame(20), 1);
        EXPECT_EQ(trailCountdown, 100);
        const SparkEmitter* s = static_cast<SparkEmitter*>(particleSystem->emitters.back());
        EXPECT_EQ(s->tiltDeg, 0.0f);
        EXPECT_EQ(s->startMs, frameTimer->lastTicks);
        // Centred on (400, 400) give or take the start offset.
        EXPECT_NEAR(s->position.x + 12, 400, 11);
        EXPECT_NEAR(s->position.y + 12, 400, 11);
    }
    EXPECT_EQ(trailBurst, 0.0f);  // no click, no burst
}

TEST_F(Trail, CountdownLandingOnZeroWaitsOneMoreFrame) {
    trailCountdown = 20;
    EXPECT_EQ(frame(20), 0);
    EXPECT_EQ(trailCountdown, 0.0f);
    EXPECT_EQ(frame(20), 1);
    // A long frame still resets to 100, it does not carry the overshoot.
    trailCountdown = 10;
    EXPECT_EQ(frame(300), 1);
    EXPECT_EQ(trailCountdown, 100.0f);
}

TEST_F(Trail, ClickSetsOffATiltedBurstThatDiesDown) {
    mouseX = 123;
    mouseY = 77;
    startTrailBurst();
    EXPECT_EQ(trailBurst, 1000.0f);
    int batches[8] = {};
    int b = 0;
    while (b < 8) {
        const int made = frame(20);
        if (trailCountdown == 100) batches[b++] = made;
    }
    // Burst levels at the batches: 880, 760, 640, 520, 400, 280, 160, 40, then below zero.
    const int expected[8] = {5, 5, 4, 4, 3, 3, 2, 2};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(batches[i], expected[i]) << i;
    const SparkEmitter* s = static_cast<SparkEmitter*>(particleSystem->emitters.back());
    EXPECT_NEAR(s->tiltDeg, 0.016 * 57.29, 1e-4);
    EXPECT_NEAR(s->position.x + 12, 123, 11);
    EXPECT_NEAR(s->position.y + 12, 77, 11);
    // 40 - 20 - 20 lands on 0, where the count-down stops; the next batch is a single untilted spark.
    for (int f = 0; f < 5; ++f) EXPECT_EQ(frame(20), 0);
    EXPECT_EQ(trailBurst, 0.0f);
    EXPECT_EQ(frame(20), 1);
    EXPECT_EQ(static_cast<SparkEmitter*>(particleSystem->emitters.back())->tiltDeg, 0.0f);
    EXPECT_EQ(trailBurst, 0.0f);
}

TEST_F(Trail, ClickDuringBurstResetsAndLongFrameEndsIt) {
    startTrailBurst();
    frame(20);
    frame(20);
    startTrailBurst();
    EXPECT_EQ(trailBurst, 1000.0f);

    // A 300 ms frame after a level of 10: -290, and batches are empty until the next click.
    trailBurst = 10;
    trailCountdown = 50;
    EXPECT_EQ(frame(300), 0);
    EXPECT_EQ(trailBurst, -290.0f);
    EXPECT_EQ(trailCountdown, 100.0f);
    for (int f = 0; f < 30; ++f) EXPECT_EQ(frame(20), 0);
    startTrailBurst();
    for (int f = 0; f < 5; ++f) frame(20);
    EXPECT_EQ(frame(20), 5);

    // The first batch after a click is smaller when over 250 ms pass before it.
    startTrailBurst();
    trailCountdown = 260;
    EXPECT_EQ(frame(261), 4);
}

TEST_F(Trail, AnHourOfClickingKeepsTheSparkCountBounded) {
    size_t most = 0;
    for (int f = 0; f < 180000; ++f) {  // an hour of 20 ms frames
        if (f % 50 == 0) startTrailBurst();  // a click every second
        frame(20);
        particleSystem->update(20);
        if (particleSystem->emitters.size() > most) most = particleSystem->emitters.size();
    }
    // A spark lives 1250 ms and batches come every 120 ms, at most 5 a batch.
    EXPECT_LE(most, 55u);
    EXPECT_GE(most, 30u);
    EXPECT_LE(particleSystem->emitters.size(), most);
    std::printf("most sparks held at once over the hour: %zu\n", most);
}
