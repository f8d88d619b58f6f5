// Sparks: their random start, motion, size, swing and colour, and the system that holds them.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "particles/particle_system.h"

namespace {

SparkEmitter* onlySpark(ParticleSystem& ps) {
    EXPECT_EQ(ps.emitters.size(), 1u);
    return static_cast<SparkEmitter*>(ps.emitters.back());
}

// A spark placed by hand: moving, known velocity, no randomness.
SparkEmitter handSpark(float vx, float vy) {
    SparkEmitter s;
    s.width = s.height = 24;
    s.startMs = 1000;
    s.endMs = 1550;
    s.position = Vector3(100, 100, 0);
    s.velocity = Vector3(vx, vy, 0);
    return s;
}

int destroyed = 0;

class CountingEmitter : public ParticleEmitter {
public:
    ~CountingEmitter() override { ++destroyed; }
    void draw() override {}
    void init(Vector3, Uint32) override {}
    bool update(Sint32) override { return true; }
    void hook() override {}
};

}  // namespace

TEST(ParticleSystem, SpawnOnlyKindZeroAndNotWhilePaused) {
    ParticleSystem ps;
    ps.spawn(10, 10, 1, 0, 0, 0);
    EXPECT_TRUE(ps.emitters.empty());
    EXPECT_TRUE(ps.togglePaused());
    ps.spawn(10, 10, 0, 0, 0, 0);
    EXPECT_TRUE(ps.emitters.empty());
    EXPECT_FALSE(ps.togglePaused());
    ps.spawn(10, 10, 0, 0, 0, 0);
    ps.spawn(20, 20, 0, 0, 0, 0);
    ASSERT_EQ(ps.emitters.size(), 2u);
    // Appended at the end, oldest first.
    EXPECT_LT(ps.emitters.front()->position.x, 15);
    EXPECT_GT(ps.emitters.back()->position.x, 0);
    ps.update(10);  // an update on sparks and on an empty system is harmless
    ParticleSystem empty;
    empty.update(20);
    EXPECT_TRUE(empty.emitters.empty());
}

TEST(ParticleSystem, ClearDeletesEveryEmitter) {
    destroyed = 0;
    ParticleSystem ps;
    for (int i = 0; i < 3; ++i) ps.emitters.push_back(new CountingEmitter);
    ps.clear();
    EXPECT_EQ(destroyed, 3);
    EXPECT_TRUE(ps.emitters.empty());
}

TEST(SparkEmitter, SpawnDrawsSpeedHeadingPaletteThenWobble) {
    std::srand(3);
    const int r1 = std::rand() % 100, r2 = std::rand() % 100, pal = std::rand() % 3, wob = std::rand() % 10000;
    const int after = std::rand();
    std::srand(3);
    ParticleSystem ps;
    ps.spawn(400, 300, 0, 1000, 0.2f, 0.1f);
    SparkEmitter* s = onlySpark(ps);
    EXPECT_EQ(std::rand(), after);

    const double speed = (r1 / 100.0 - 0.5) * 60 + 60;
    const float heading = static_cast<float>(r2 / 100.0 * 2 * 3.1415925);
    EXPECT_NEAR(s->position.x, 388 + 8 * std::cos(heading + 0.5), 1e-4);
    EXPECT_NEAR(s->position.y, 288 + 8 * std::sin(0.5 - heading), 1e-4);
    EXPECT_NEAR(s->velocity.x, speed * std::cos(heading), 1e-4);
    EXPECT_NEAR(s->velocity.y, speed * std::sin(heading), 1e-4);
    EXPECT_EQ(s->velocity.z, 0);
    EXPECT_EQ(s->palette, pal);
    EXPECT_FLOAT_EQ(s->wobbleRate, wob / 10000.0f);
    EXPECT_NEAR(s->tiltDeg, 0.2 * 57.29, 1e-4);
    EXPECT_EQ(s->startMs, 1000u);
    EXPECT_EQ(s->endMs, 1550u);
    EXPECT_EQ(s->ageMs, 0u);
    EXPECT_EQ(s->width, 24);
    EXPECT_EQ(s->height, 24);
    EXPECT_FLOAT_EQ(s->tintBoost, 0.1f);  // the system's argument wins over init's 0
}

TEST(SparkEmitter, MovesUnderAccelerationFor550Ms) {
    SparkEmitter s = handSpark(10, -20);
    EXPECT_TRUE(s.update(100));
    EXPECT_NEAR(s.velocity.x, 14.5, 1e-4);
    EXPECT_NEAR(s.velocity.y, 1.5, 1e-4);
    EXPECT_NEAR(s.position.x, 101.45, 1e-4);
    EXPECT_NEAR(s.position.y, 100.15, 1e-4);

    // Sideways speed grows away from zero; exactly zero turns negative.
    SparkEmitter left = handSpark(-10, 0);
    left.update(100);
    EXPECT_NEAR(left.velocity.x, -14.5, 1e-4);
    SparkEmitter still = handSpark(0, 0);
    still.update(100);
    EXPECT_NEAR(still.velocity.x, -4.5, 1e-4);

    // Age 550 still moves; one more millisecond does not.
    SparkEmitter late = handSpark(10, 10);
    late.ageMs = 540;
    EXPECT_TRUE(late.update(10));
    const Vector3 pos = late.position, vel = late.velocity;
    EXPECT_FALSE(late.update(1));
    EXPECT_EQ(late.ageMs, 551u);
    EXPECT_EQ(late.position.x, pos.x);
    EXPECT_EQ(late.position.y, pos.y);
    EXPECT_EQ(late.velocity.x, vel.x);
    EXPECT_EQ(late.velocity.y, vel.y);

    // One long step past the end never moves.
    SparkEmitter jump = handSpark(10, 10);
    EXPECT_FALSE(jump.update(700));
    EXPECT_EQ(jump.position.x, 100);
    EXPECT_EQ(jump.velocity.x, 10);
}

TEST(SparkEmitter, ScaleSwingAndColourOverItsLife) {
    SparkEmitter s = handSpark(0, 0);
    const struct { Uint32 age; float scale; } life[] = {
        {0, 0}, {75, 0.5f}, {150, 1}, {300, 1}, {450, 1}, {850, 0.5f}, {1250, 0}, {5000, 0}};
    for (const auto& p : life) {
        s.ageMs = p.age;
        EXPECT_NEAR(s.scale(), p.scale, 1e-5) << p.age;
    }

    // The swing: +-30 degrees about the tilt, none at a rate of 0.
    s.tiltDeg = 12;
    s.wobbleRate = 0;
    s.ageMs = 300;
    EXPECT_FLOAT_EQ(s.angle(), 12);
    s.wobbleRate = 1;
    s.ageMs = 100;  // 4.5 * 0.0035 * 100 = 1.575, about pi/2
    EXPECT_NEAR(s.angle(), 42, 0.01);

    float c[4];
    s.tintBoost = 0.5f;
    s.palette = 2;
    s.colour(c);
    EXPECT_FLOAT_EQ(c[0], 0.6f);
    EXPECT_FLOAT_EQ(c[1], 0.7f);
    EXPECT_FLOAT_EQ(c[2], 0.97f);
    EXPECT_FLOAT_EQ(c[3], 0.7f);
    s.palette = 0;
    s.colour(c);
    EXPECT_FLOAT_EQ(c[0], 0.3f);
    EXPECT_FLOAT_EQ(c[1], 0.65f);
    EXPECT_FLOAT_EQ(c[2], 1.156f);
    s.palette = 1;
    s.tintBoost = 0;
    s.colour(c);
    EXPECT_FLOAT_EQ(c[0], 0.213f);
    EXPECT_FLOAT_EQ(c[1], 0.3f);
    EXPECT_FLOAT_EQ(c[2], 0.46f);
    EXPECT_FLOAT_EQ(c[3], 0.7f);
}

TEST(ParticleSystem, DropsASparkOnceItIsInvisibleForGood) {
    ParticleSystem ps;
    ps.spawn(100, 100, 0, 0, 0, 0);
    ps.emitters.push_back(new CountingEmitter);  // never finishes
    ps.update(1249);
    EXPECT_EQ(ps.emitters.size(), 2u);
    ps.update(1);
    ASSERT_EQ(ps.emitters.size(), 1u);
    ps.update(100000);
    EXPECT_EQ(ps.emitters.size(), 1u);
}
