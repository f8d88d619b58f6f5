#include <gtest/gtest.h>

#include "core/frame_timer.h"
#include "support/scripted_io.h"

TEST(FrameTimer, HoldsFramesToTwentyMilliseconds) {
    ScriptedIo io;
    ScopedIo scoped(&io);
    io.ticks = 1000;
    FrameTimer timer;
    EXPECT_EQ(timer.lastTicks, 1000u);
    EXPECT_EQ(timer.deltaMs, 0u);
    io.ticks += 5;
    timer.update();
    EXPECT_EQ(io.totalDelay, 15u);  // slept the rest of the 20 ms
    EXPECT_EQ(timer.deltaMs, 20u);
    EXPECT_FLOAT_EQ(timer.deltaSeconds, 0.02f);
    io.ticks += 35;
    timer.update();
    EXPECT_EQ(io.totalDelay, 15u);  // a long frame does not sleep
    EXPECT_EQ(timer.deltaMs, 35u);
    EXPECT_FLOAT_EQ(timer.deltaSeconds, 0.035f);
    EXPECT_EQ(timer.lastTicks, 1055u);
}

TEST(FrameTimer, FpsOverTheValidRingEntries) {
    ScriptedIo io;
    ScopedIo scoped(&io);
    FrameTimer timer;
    io.ticks += 40;
    timer.update();
    EXPECT_FLOAT_EQ(timer.fps, 25.0f);  // 1000 / 40 after one frame
    io.ticks += 20;
    timer.update();
    EXPECT_FLOAT_EQ(timer.fps, 1000.0f / 30.0f);
    for (int i = 0; i < 8; ++i) {
        io.ticks += 20;
        timer.update();
    }
    EXPECT_EQ(timer.frameCount, 10u);
    EXPECT_FLOAT_EQ(timer.fps, 1000.0f / 22.0f);  // (40 + 9 * 20) / 10
    // The 11th update overwrites entry 0 (the 40 ms frame).
    io.ticks += 60;
    timer.update();
    EXPECT_EQ(timer.frameTimes[0], 60u);
    EXPECT_EQ(timer.frameTimes[1], 20u);
    EXPECT_FLOAT_EQ(timer.fps, 1000.0f / 24.0f);
}

TEST(FrameTimer, TickCounterWrapsUnsigned) {
    ScriptedIo io;
    ScopedIo scoped(&io);
    io.ticks = 0xFFFFFFF0u;
    FrameTimer timer;
    io.ticks += 30;  // wraps past 2^32 to 14
    timer.update();
    EXPECT_EQ(io.ticks, 14u);
    EXPECT_EQ(timer.deltaMs, 30u);
    EXPECT_EQ(io.totalDelay, 0u);
    io.ticks = 0xFFFFFFFEu;
    FrameTimer second;
    io.ticks += 4;  // 2 ms after the wrap: sleeps 16 more
    second.update();
    EXPECT_EQ(second.deltaMs, 20u);
    EXPECT_EQ(second.lastTicks, 18u);
}
