// Long runs and floods of input, driven through the seam with a scripted
// clock: an hour of slideshow with the pointer moving and a click every
// second, ten thousand events in one frame of each phase, a click every frame
// for a minute, an arrow held for many minutes in the Scroller. The number of
// sparks held, what a frame has to do and the memory the process holds stay
// flat, and every frame ends.

#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <optional>

#include "audio/music_player.h"
#include "particles/particle_system.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "show/buttons.h"
#include "show/phases.h"
#include "slides/ambient.h"
#include "slides/transition.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"
#include "support/show_objects.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"
#include "text/scroller.h"

// Every operator new and delete of this program, counted. Not in the
// sanitizer build, whose own operator new checks every delete.
#ifndef __SANITIZE_ADDRESS__
namespace {
std::atomic<long> liveNewBytes{0};

void* countedAlloc(size_t size, size_t alignment) {
    if (size == 0) size = 1;
    void* p = alignment <= alignof(std::max_align_t) ? std::malloc(size) : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (!p) throw std::bad_alloc();
    liveNewBytes += static_cast<long>(malloc_usable_size(p));
    return p;
}

void countedFree(void* p) noexcept {
    if (!p) return;
    liveNewBytes -= static_cast<long>(malloc_usable_size(p));
    std::free(p);
}
}  // namespace

void* operator new(size_t size) { return countedAlloc(size, 0); }
void* operator new[](size_t size) { return countedAlloc(size, 0); }
void* operator new(size_t size, std::align_val_t a) { return countedAlloc(size, static_cast<size_t>(a)); }
void* operator new[](size_t size, std::align_val_t a) { return countedAlloc(size, static_cast<size_t>(a)); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, size_t) noexcept { countedFree(p); }
void operator delete[](void* p, size_t) noexcept { countedFree(p); }
void operator delete(void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::align_val_t) noexcept { countedFree(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { countedFree(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { countedFree(p); }
#endif

namespace {

// AddressSanitizer keeps freed memory in quarantine and has its own heap:
// memory is measured in the plain build (its leak checker covers the other).
#ifdef __SANITIZE_ADDRESS__
constexpr bool kMeasuresMemory = false;
#else
constexpr bool kMeasuresMemory = true;
#endif

// Resident memory of this process, in kB.
long residentKb() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return -1;
    const int n = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return n == 2 ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Bytes held through operator new once the sparks alive (a few hundred kB
// that come and go with every batch) are gone: what the show's own code keeps.
// malloc's count of bytes in use is no measure here: Mesa's llvmpipe bins
// every frame into a "scene" of 1 MiB and makes more of them, and frees them
// again, as its rasterizer threads fall behind, so that count moves by whole
// MiB with the machine's load.
long heapInUse() {
    particleSystem->clear();
#ifdef __SANITIZE_ADDRESS__
    return 0;
#else
    return liveNewBytes.load();
#endif
}

// A burst makes at most 5 sparks a batch, a batch comes at most every
// 100 ms of frames (120 ms with 20 ms frames), and a spark is gone 1250 ms
// after it was made.
constexpr size_t kMostSparks = 5u * 11u;

}  // namespace

TEST(LongRun, AnHourOfTrailAndClicksKeepsTheSparkCountBounded) {
    ensureGlWindow();
    resetGlFrame();
    ScriptedIo io;
    ScopedIo scoped(&io);
    // 130 ms frames (a slow machine): a batch of sparks every frame, and every
    // frame's work is the real slideshow frame.
    io.workMsPerFrame = 130;
    ShowObjects objects;
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
    long residentAtTenMinutes = 0, heapAtTenMinutes = 0;
    while (io.ticks - start < hourMs && show.running()) {
        // the pointer wanders all the time, away from the buttons, so that the sparks spread
        io.mouseMotion(200 + static_cast<int>(frames % 400), 150 + static_cast<int>(frames % 250));
        if (io.ticks >= nextClick) {
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
        if (sparksAtTenMinutes == 0 && elapsed >= 600000) {
            sparksAtTenMinutes = maxSparks;
            residentAtTenMinutes = residentKb();
            heapAtTenMinutes = heapInUse();
        }
    }
    const long residentAtEnd = residentKb();
    const long heapAtEnd = heapInUse();
    const double totalS = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("frames %ld, most sparks held %zu (by 10 min %zu), first minute %.0f ms, last minute %.0f ms, "
                "%.1f s in all; resident %ld kB at 10 min, %ld kB at the end; held through new %ld -> %ld bytes\n",
                frames, maxSparks, sparksAtTenMinutes, firstMinuteMs, lastMinuteMs, totalS, residentAtTenMinutes,
                residentAtEnd, heapAtTenMinutes, heapAtEnd);
    EXPECT_TRUE(show.running());
    EXPECT_GT(frames, 27000);
    EXPECT_LE(maxSparks, kMostSparks);
    EXPECT_GT(maxSparks, 10u);
    EXPECT_EQ(maxSparks, sparksAtTenMinutes);  // nothing piles up after the first minutes
    // Fifty minutes and some 23,000 frames later the process holds no more
    // memory than a little slack: nothing is kept per frame, click or spark.
    if (kMeasuresMemory) {
        ASSERT_GT(residentAtTenMinutes, 0);
        EXPECT_LT(residentAtEnd - residentAtTenMinutes, 16 * 1024);  // kB; the driver's own pools vary
        EXPECT_LT(heapAtEnd - heapAtTenMinutes, 64 * 1024);
    }
}

// ------------------------------------------------------------------ floods

namespace {

// The show's globals for one phase at a time, with the real scroll text in
// the data set's font; all put back afterwards.
class Flood : public ::testing::Test {
protected:
    ScriptedIo io;
    ScopedIo scoped{&io};
    ShowFlags flags;
    std::optional<ShowObjects> objects;
    GlyphFont* font = nullptr;

    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        objects.emplace();
        initAmbientGlows();
        font = new GlyphFont(MIJOTINE_DATA_DIR "/font.ttf", 32, 0, 0, 0, 0);
        glyphFont = font;
        for (int i = 0; i < kScrollLineCount; ++i) scrollLines[i] = kScrollText[i];
        mouseX = 300;
        mouseY = 200;
        trailBurst = 0;
        trailCountdown = 100;
        scrollSpeed = 1.0f;
        scrollPosition = -12000.0f;
    }

    void TearDown() override {
        glyphFont = nullptr;
        delete font;
        for (auto& line : scrollLines) line.clear();
        objects.reset();
    }

    // Ten thousand events of every kind but the phase-ending ones: the
    // pointer sweeping the window (the slide buttons included), clicks of
    // every button, both arrows down and up, other keys.
    void queueFlood() {
        for (int i = 0; i < 10000; ++i) {
            const int x = (i * 37) % 800, y = (i * 23) % 600;
            switch (i % 6) {
                case 0: io.mouseMotion(x, y); break;
                case 1: io.mouseButtonDown(static_cast<Uint8>(1 + i % 5), x, y); break;
                case 2: io.mouseButtonUp(static_cast<Uint8>(1 + i % 5), x, y); break;
                case 3: io.keyDown(i % 4 == 1 ? SDLK_RIGHT : SDLK_LEFT); break;
                case 4: io.keyUp(i % 4 == 0 ? SDLK_RIGHT : SDLK_LEFT); break;
                default: io.keyDown(static_cast<SDLKey>(SDLK_a + i % 26)); break;
            }
        }
    }

    // Runs frames for the given show time; returns the most sparks held.
    template <class Phase>
    size_t runFor(Phase& phase, Uint32 ms, const std::function<void(int)>& eachFrame = nullptr) {
        size_t most = 0;
        const Uint32 end = io.ticks + ms;
        for (int frame = 0; io.ticks < end && phase.running(); ++frame) {
            if (eachFrame) eachFrame(frame);
            phase.frame();
            most = std::max(most, particleSystem->emitters.size());
        }
        return most;
    }
};

}  // namespace

TEST_F(Flood, TenThousandEventsInOneFrameOfEveryPhaseAreAllReadInThatFrame) {
    IntroPhase intro(flags);
    intro.setUp();
    intro.frame();
    queueFlood();
    intro.frame();  // arrows and clicks skip the Intro
    EXPECT_TRUE(io.queue.empty());
    EXPECT_EQ(io.swaps, 2);
    EXPECT_FALSE(intro.running());

    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    slideshow.frame();
    queueFlood();
    slideshow.frame();
    EXPECT_TRUE(io.queue.empty());
    EXPECT_EQ(io.swaps, 4);
    // Thousands of arrows and button clicks page within the slides or, with
    // the next button on the last slide, end the phase after this frame.
    EXPECT_TRUE(flags.slideshowDone || (kSlotFirstSlide <= slideshow.slide && slideshow.slide <= kSlotLastSlide))
        << "slide " << slideshow.slide;
    EXPECT_FALSE(flags.quitRequested);
    EXPECT_LE(runFor(slideshow, 3000), kMostSparks);

    ScrollerPhase scroller(flags);
    scroller.setUp();
    scroller.frame();
    queueFlood();
    const float speedBefore = scrollSpeed;
    scroller.frame();
    EXPECT_TRUE(io.queue.empty());
    EXPECT_TRUE(scroller.running());
    // The speed follows the arrow held over time, not the number of presses.
    EXPECT_EQ(scrollSpeed, speedBefore);
    EXPECT_LE(runFor(scroller, 3000), kMostSparks);
    EXPECT_TRUE(scroller.running());
    EXPECT_LE(std::fabs(scrollSpeed - speedBefore), 3000 * 0.005f + 0.01f);

    MusicPlayer player;
    player.loadFailed = true;
    musicPlayer = &player;
    OutroPhase outro;
    outro.setUp();
    outro.frame();
    queueFlood();
    outro.frame();
    musicPlayer = nullptr;
    EXPECT_TRUE(io.queue.empty());
    EXPECT_TRUE(outro.running());
    EXPECT_EQ(outro.transitionStarts, 0);
}

TEST_F(Flood, AClickEveryFrameForAMinuteHoldsNoMoreSparksThanOneLongBurst) {
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    // Clicks with the pointer moving, away from the slide buttons.
    const size_t most = runFor(slideshow, 60000, [&](int frame) {
        io.mouseMotion(100 + frame % 500, 100 + frame % 300);
        io.mouseButtonDown(SDL_BUTTON_LEFT, io.mouseX, io.mouseY);
        io.mouseButtonUp(SDL_BUTTON_LEFT, io.mouseX, io.mouseY);
    });
    EXPECT_TRUE(slideshow.running());
    EXPECT_EQ(slideshow.slide, kSlotFirstSlide);
    EXPECT_GE(io.swaps, 2900);  // 20 ms frames
    EXPECT_LE(most, kMostSparks);
    EXPECT_GT(most, kMostSparks - 10);
    // Once the clicks stop, the burst and its sparks die away.
    runFor(slideshow, 3000);
    EXPECT_LE(particleSystem->emitters.size(), 2u * 11u);
}

TEST_F(Flood, AnArrowHeldForTenMinutesEitherWayKeepsEveryScrollerFrameEnding) {
    ScrollerPhase scroller(flags);
    scroller.setUp();
    io.workMsPerFrame = 480;  // 500 ms frames: fewer of them for the same show time
    scroller.frame();
    float lowest = scrollPosition, highest = scrollPosition;
    const auto track = [&](int) {
        lowest = std::min(lowest, scrollPosition);
        highest = std::max(highest, scrollPosition);
    };
    io.keyDown(SDLK_RIGHT);
    runFor(scroller, 600000, track);
    io.keyUp(SDLK_RIGHT);
    scroller.frame();
    const float fastest = scrollSpeed;
    // By now every line of the text has been drawn: the glyphs are made.
    const long residentAfterRight = residentKb();
    const long heapAfterRight = heapInUse();
    io.keyDown(SDLK_LEFT);
    runFor(scroller, 1200000, track);
    io.keyUp(SDLK_LEFT);
    scroller.frame();
    const float slowest = scrollSpeed;
    // Down to 0 and on to minus as much, to run the text backwards as fast.
    runFor(scroller, 600000, track);
    const long residentAtEnd = residentKb();
    const long heapAtEnd = heapInUse();
    std::printf("speed %.0f after Right, %.0f after Left; position %.3g .. %.3g; resident %ld -> %ld kB, "
                "held through new %ld -> %ld bytes\n",
                fastest, slowest, lowest, highest, residentAfterRight, residentAtEnd, heapAfterRight, heapAtEnd);

    EXPECT_TRUE(scroller.running());
    EXPECT_GE(io.swaps, 4800);
    EXPECT_NEAR(fastest, 1 + 600 * 5, 5);
    EXPECT_NEAR(slowest, fastest - 1200 * 5, 10);
    // The position runs far past the text either way (about 9e8 units),
    // every frame drawn, and stays within its bounds.
    EXPECT_GT(highest, 5e8f);
    EXPECT_LT(lowest, -5e8f);
    EXPECT_LE(highest, kScrollPositionLimit);
    EXPECT_GE(lowest, -kScrollPositionLimit);
    if (kMeasuresMemory) {
        ASSERT_GT(residentAfterRight, 0);
        EXPECT_LT(residentAtEnd - residentAfterRight, 16 * 1024);  // kB; the driver's own pools vary
        EXPECT_LT(heapAtEnd - heapAfterRight, 64 * 1024);
    }
}
