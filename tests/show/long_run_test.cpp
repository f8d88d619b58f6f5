// An hour of slideshow with the pointer trail and a left click every second,
// driven through the seam: the number of sparks held stays bounded, so the
// work of a frame does not grow with the time the show has run.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "particles/particle_system.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "show/phases.h"
#include "slides/transition.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"

TEST(LongRun, AnHourOfTrailAndClicksKeepsTheSparkCountBounded) {
    ensureGlWindow();
    resetGlFrame();
    ScriptedIo io;
    ScopedIo scoped(&io);
    // 130 ms frames (a slow machine): a batch of sparks every frame, and every
    // frame's work is the real slideshow frame.
    io.workMsPerFrame = 130;
    textures = new int[kTextureSlots]();
    frameTimer = new FrameTimer();
    slideTransition = new SlideTransition();
    particleSystem = new ParticleSystem();
    mouseX = 300;
    mouseY = 200;
    trailBurst = 0;
    trailCountdown = 100;

    ShowFlags flags;
    SlideshowPhase show(flags);
    show.setUp();
    const Uint32 hourMs = 3600u * 1000u;
    const Uint32 start = io.ticks;
    Uint32 nextClick = start + 1000;
    size_t maxSparks = 0, sparksAtTenMinutes = 0;
    long frames = 0;
    using Clock = std::chrono::steady_clock;
    double firstMinuteMs = 0, lastMinuteMs = 0;
    const auto t0 = Clock::now();
    while (io.ticks - start < hourMs && show.running()) {
        if (io.ticks >= nextClick) {
            // the pointer wanders a little so that the sparks spread
            io.mouseMotion(200 + static_cast<int>(frames % 400), 150 + static_cast<int>(frames % 250));
            io.mouseButtonDown(SDL_BUTTON_LEFT, io.mouseX, io.mouseY);
            nextClick += 1000;
        }
        const auto f0 = Clock::now();
        show.frame();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - f0).count();
        const Uint32 elapsed = io.ticks - start;
        if (elapsed < 60000) firstMinuteMs += ms;
        if (elapsed >= hourMs - 60000) lastMinuteMs += ms;
        ++frames;
        maxSparks = std::max(maxSparks, particleSystem->emitters.size());
        if (sparksAtTenMinutes == 0 && elapsed >= 600000) sparksAtTenMinutes = maxSparks;
    }
    const double totalS = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("frames %ld, most sparks held %zu (by 10 min %zu), first minute %.0f ms, last minute %.0f ms, "
                "%.1f s in all\n",
                frames, maxSparks, sparksAtTenMinutes, firstMinuteMs, lastMinuteMs, totalS);
    EXPECT_TRUE(show.running());
    EXPECT_GT(frames, 27000);
    // A burst makes at most 5 sparks a batch, a batch comes at most every
    // 120 ms, and a spark is gone 1250 ms after it was made.
    EXPECT_LE(maxSparks, 5u * 11u);
    EXPECT_GT(maxSparks, 10u);
    EXPECT_EQ(maxSparks, sparksAtTenMinutes);  // nothing piles up after the first minutes

    delete particleSystem;
    particleSystem = nullptr;
    delete slideTransition;
    slideTransition = nullptr;
    delete frameTimer;
    frameTimer = nullptr;
    delete[] textures;
    textures = nullptr;
}
