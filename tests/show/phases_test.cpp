// The real phase loops, driven through the seam with a scripted clock and
// scripted events, drawing into a real GL window.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "audio/music_player.h"
#include "gfx/textures.h"
#include "particles/particle_system.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "show/phases.h"
#include "show/prepare.h"
#include "slides/ambient.h"
#include "slides/transition.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"
#include "support/show_objects.h"

namespace {

class PhaseTest : public ::testing::Test {
protected:
    ScriptedIo io;
    ScopedIo scoped{&io};
    ShowFlags flags;
    std::optional<ShowObjects> objects;

    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        objects.emplace();
        // Distinct names per slot, so that a transition tells which slides it
        // joins. They name no pictures: the work done ahead, which bakes
        // pictures into new names, counts as done.
        for (int s = 0; s < kTextureSlots; ++s) textures[s] = 1000 + s;
        stepsBefore = preparationSteps;
        preparationSteps = kPreparationSteps;
        initAmbientGlows();
        mouseX = 400;
        mouseY = 400;
        trailBurst = 0;
        trailCountdown = 100;
        scrollSpeed = 1.0f;
        scrollPosition = -12000.0f;
    }

    void TearDown() override {
        objects.reset();
        preparationSteps = stepsBefore;
    }
    int stepsBefore = 0;

    // Runs frames of a phase until it ends or the limit is reached.
    template <class Phase>
    int runFrames(Phase& phase, int limit) {
        int frames = 0;
        while (phase.running() && frames < limit) {
            phase.frame();
            ++frames;
        }
        return frames;
    }
};

}  // namespace

// ------------------------------------------------------------------ Intro

TEST(IntroCards, BrightnessAtListedClocks) {
    struct Case {
        float clock;
        int card;
        float brightness;
        float tolerance;
    } cases[] = {{1.0f, 0, 0.444f, 0.001f},  {3.0f, 0, 1.0f, 0},      {5.5f, 0, 0.518f, 0.001f},
                 {9.125f, 1, 1.0f, 0},       {12.0f, 1, 0.501f, 0.001f}, {16.375f, 2, 1.0f, 0},
                 {20.4f, 2, 0.152f, 0.001f}, {6.2f, 1, 0.0f, 0.5f},
                 // the first frame and the instants between cards are black
                 {0.0f, 0, 0.0f, 0}, {6.0f, 1, 0.0f, 0}, {12.25f, 2, 0.0f, 0}};
    for (const Case& c : cases) {
        const CardChoice got = introCard(c.clock);
        EXPECT_EQ(got.card, c.card) << c.clock;
        EXPECT_NEAR(got.brightness, c.brightness, c.tolerance) << c.clock;
    }
    // every change of card passes through black
    EXPECT_LT(introCard(5.999f).brightness, 0.01f);
    EXPECT_LT(introCard(6.001f).brightness, 0.01f);
    EXPECT_LT(introCard(12.249f).brightness, 0.01f);
    EXPECT_LT(introCard(20.499f).brightness, 0.01f);
}

TEST_F(PhaseTest, IntroRunsItsScheduleAndEndsAtTwentyPointFiveSeconds) {
    IntroPhase intro(flags);
    intro.setUp();
    const int frames = runFrames(intro, 5000);
    // 20 ms frames: the clock reaches 20.5 s after about 1025 frames
    EXPECT_NEAR(frames, 1026, 3);
    EXPECT_GE(intro.clock, 20.5f);
    EXPECT_EQ(io.swaps, frames);
    EXPECT_FALSE(flags.quitRequested);
}

TEST_F(PhaseTest, TheIntrosFirstFrameIsBlack) {
    IntroPhase intro(flags);
    intro.setUp();
    intro.frame();
    EXPECT_EQ(intro.clock, 0.0f);
    EXPECT_EQ(intro.shown.brightness, 0.0f);
}

TEST_F(PhaseTest, EscapeInTheIntroCompletesTheFrameAndTheSlideshowFollows) {
    IntroPhase intro(flags);
    intro.setUp();
    float clockAtKey = -1;
    int swapsAtKey = -1;
    io.onSwap = [&](ScriptedIo& s, int swaps) {
        if (clockAtKey < 0 && intro.clock >= 3.0f) {
            clockAtKey = intro.clock;
            swapsAtKey = swaps;
            s.keyDown(SDLK_ESCAPE);
        }
    };
    runFrames(intro, 5000);
    ASSERT_GT(clockAtKey, 0);
    EXPECT_FLOAT_EQ(intro.clock, clockAtKey + 20.5f);  // the whole schedule is added once
    EXPECT_EQ(io.swaps, swapsAtKey);                    // no frame after the one that saw the key
    EXPECT_FALSE(intro.running());

    io.onSwap = nullptr;
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    ASSERT_TRUE(slideshow.running());
    slideshow.frame();
    EXPECT_EQ(io.swaps, swapsAtKey + 1);
    EXPECT_EQ(slideshow.slide, 3);
}

TEST_F(PhaseTest, ArrowsAndAnyMouseButtonSkipTheIntroButNotReleasesOrOtherKeys) {
    {
        IntroPhase intro(flags);
        intro.setUp();
        io.keyUp(SDLK_ESCAPE);
        io.keyDown(SDLK_UP);
        io.keyDown(SDLK_SPACE);
        io.mouseButtonUp(SDL_BUTTON_LEFT, 10, 10);
        io.mouseMotion(123, 234);
        EXPECT_EQ(runFrames(intro, 10), 10);
        EXPECT_TRUE(intro.running());
        EXPECT_EQ(mouseX, 123);
        EXPECT_EQ(mouseY, 234);
    }
    for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) {
        IntroPhase intro(flags);
        intro.setUp();
        io.mouseButtonDown(button, 5, 5);
        EXPECT_EQ(runFrames(intro, 10), 1) << int(button);
        EXPECT_FLOAT_EQ(intro.clock, 21.5f);
        EXPECT_EQ(trailBurst, 0.0f);  // a click here ends the phase, it starts no burst
    }
    for (SDLKey key : {SDLK_LEFT, SDLK_RIGHT}) {
        IntroPhase intro(flags);
        intro.setUp();
        io.keyDown(key);
        EXPECT_EQ(runFrames(intro, 10), 1);
    }
}

TEST_F(PhaseTest, CloseInTheIntroSkipsSlideshowAndScrollerButNotTheOutro) {
    IntroPhase intro(flags);
    intro.setUp();
    io.quit();
    EXPECT_EQ(runFrames(intro, 10), 1);
    EXPECT_TRUE(flags.quitRequested);
    const int swaps = io.swaps;

    SlideshowPhase slideshow(flags);
    runPhase(slideshow);
    ScrollerPhase scroller(flags);
    runPhase(scroller);
    EXPECT_EQ(io.swaps, swaps);  // neither showed a frame

    MusicPlayer player;
    musicPlayer = &player;
    player.loadFailed = true;
    OutroPhase outro;
    runPhase(outro);
    musicPlayer = nullptr;
    EXPECT_GT(io.swaps, swaps + 300);  // the 7.5 s outro played out
    EXPECT_GE(outro.clock, 7.5f);
    EXPECT_LT(outro.clock, 7.6f);
}

// ------------------------------------------------------------------ Slideshow

TEST_F(PhaseTest, RightArrowPagesToTheLastSlideAndStopsThere) {
    SlideshowPhase show(flags);
    show.setUp();
    EXPECT_FLOAT_EQ(slideTransition->remaining, -1.0f);
    show.frame();
    EXPECT_EQ(show.slide, 3);
    io.keyDown(SDLK_LEFT);  // already on the first slide: nothing
    show.frame();
    EXPECT_EQ(show.slide, 3);
    EXPECT_EQ(slideTransition->toTexture, 0u);

    for (int n = 1; n <= 6; ++n) {
        io.keyDown(SDLK_RIGHT);
        show.frame();
        EXPECT_EQ(show.slide, 3 + n);
        EXPECT_EQ(slideTransition->fromTexture, 1000u + 3 + n - 1);
        EXPECT_EQ(slideTransition->toTexture, 1000u + 3 + n);
        EXPECT_FLOAT_EQ(slideTransition->duration, 2.5f);
        for (int i = 0; i < 130; ++i) show.frame();  // let it finish
    }
    EXPECT_FLOAT_EQ(slideTransition->remaining, 0.0f);
    io.keyDown(SDLK_RIGHT);  // a seventh press changes nothing
    show.frame();
    EXPECT_EQ(show.slide, 9);
    EXPECT_FLOAT_EQ(slideTransition->remaining, 0.0f);
    EXPECT_TRUE(show.running());

    io.keyDown(SDLK_LEFT);
    show.frame();
    EXPECT_EQ(show.slide, 8);
    EXPECT_EQ(slideTransition->fromTexture, 1009u);
    EXPECT_EQ(slideTransition->toTexture, 1008u);
}

TEST_F(PhaseTest, ButtonsPageAndTheNextButtonOnTheLastSlideEndsThePhase) {
    SlideshowPhase show(flags);
    show.setUp();
    io.mouseMotion(760, 560);
    show.frame();
    EXPECT_EQ(mouseX, 760);
    for (int n = 1; n <= 6; ++n) {
        io.mouseButtonDown(SDL_BUTTON_LEFT, 760, 560);
        show.frame();
        EXPECT_EQ(show.slide, 3 + n);
        EXPECT_FLOAT_EQ(trailBurst, 1000.0f);  // every left click also bursts
        trailBurst = 0;
    }
    // the previous button goes back with a transition
    io.mouseMotion(720, 560);
    io.mouseButtonDown(SDL_BUTTON_LEFT, 720, 560);
    show.frame();
    EXPECT_EQ(show.slide, 8);
    EXPECT_EQ(slideTransition->toTexture, 1008u);
    io.mouseMotion(778, 579);  // the inclusive corner of the next button
    io.mouseButtonDown(SDL_BUTTON_LEFT, 778, 579);
    show.frame();
    EXPECT_EQ(show.slide, 9);
    const int swaps = io.swaps;
    io.mouseButtonDown(SDL_BUTTON_LEFT, 778, 579);
    show.frame();
    EXPECT_TRUE(flags.slideshowDone);
    EXPECT_EQ(show.slide, 9);  // the last slide, still the one on the screen
    EXPECT_FALSE(show.running());
    EXPECT_EQ(io.swaps, swaps + 1);  // the frame that saw the click still completed
}

TEST_F(PhaseTest, RightClickOnAButtonDoesNothingAndStartsNoBurst) {
    SlideshowPhase show(flags);
    show.setUp();
    io.keyDown(SDLK_RIGHT);
    show.frame();
    ASSERT_EQ(show.slide, 4);
    const float remaining = slideTransition->remaining;
    for (Uint8 button : {SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) {
        io.mouseMotion(760, 560);
        io.mouseButtonDown(button, 760, 560);
        io.mouseMotion(720, 560);
        io.mouseButtonDown(button, 720, 560);
    }
    show.frame();
    EXPECT_EQ(show.slide, 4);
    EXPECT_EQ(trailBurst, 0.0f);
    EXPECT_LT(slideTransition->remaining, remaining);  // not restarted
    // a left click outside both buttons only bursts
    io.mouseMotion(400, 300);
    io.mouseButtonDown(SDL_BUTTON_LEFT, 400, 300);
    show.frame();
    EXPECT_EQ(show.slide, 4);
    EXPECT_FLOAT_EQ(trailBurst, 1000.0f);
    // the previous button on the first slide clamps without a transition
    io.keyDown(SDLK_LEFT);
    show.frame();
    ASSERT_EQ(show.slide, 3);
    slideTransition->remaining = -1;
    io.mouseMotion(709, 550);
    io.mouseButtonDown(SDL_BUTTON_LEFT, 709, 550);
    show.frame();
    EXPECT_EQ(show.slide, 3);
    EXPECT_FLOAT_EQ(slideTransition->remaining, 0.0f);
}

TEST_F(PhaseTest, TwoQuickPressesRestartTheTransitionFromTheSlideJustLeft) {
    SlideshowPhase show(flags);
    show.setUp();
    io.keyDown(SDLK_RIGHT);
    show.frame();
    for (int i = 0; i < 20; ++i) show.frame();
    io.keyDown(SDLK_RIGHT);
    show.frame();
    EXPECT_EQ(show.slide, 5);
    EXPECT_EQ(slideTransition->fromTexture, 1004u);
    EXPECT_EQ(slideTransition->toTexture, 1005u);
    EXPECT_FLOAT_EQ(slideTransition->remaining, 2.5f);  // started in the event step, drawn next frame
    io.keyDown(SDLK_ESCAPE);
    show.frame();
    EXPECT_TRUE(flags.slideshowDone);
}

// ------------------------------------------------------------------ Scroller

TEST_F(PhaseTest, HoldingAnArrowChangesTheSpeedByFivePerSecond) {
    ScrollerPhase scroller(flags);
    scroller.setUp();
    scroller.frame();
    io.keyDown(SDLK_RIGHT);
    for (int i = 0; i < 100; ++i) scroller.frame();  // 2 s of 20 ms frames
    io.keyUp(SDLK_RIGHT);
    scroller.frame();
    EXPECT_NEAR(scrollSpeed, 11.0f, 0.01f);
    for (int i = 0; i < 20; ++i) scroller.frame();
    EXPECT_NEAR(scrollSpeed, 11.0f, 0.01f);  // it stays after the release

    // Right, then Left while Right is held, then release Left: rises, falls,
    // stops. Each frame's step uses the direction the previous frame's events
    // left, so every change shows one frame late.
    io.keyDown(SDLK_RIGHT);
    for (int i = 0; i < 50; ++i) scroller.frame();
    const float afterRise = scrollSpeed;
    io.keyDown(SDLK_LEFT);
    for (int i = 0; i < 25; ++i) scroller.frame();
    const float afterFall = scrollSpeed;
    io.keyUp(SDLK_LEFT);
    scroller.frame();
    const float afterRelease = scrollSpeed;
    for (int i = 0; i < 25; ++i) scroller.frame();
    EXPECT_NEAR(afterRise, 11.0f + 49 * 0.1f, 0.02f);
    EXPECT_NEAR(afterFall, afterRise + 0.1f - 24 * 0.1f, 0.02f);
    EXPECT_NEAR(afterRelease, afterFall - 0.1f, 0.001f);
    EXPECT_FLOAT_EQ(scrollSpeed, afterRelease);  // Right is still down, but nothing changes
    EXPECT_TRUE(scroller.running());
}

TEST_F(PhaseTest, NegativeSpeedRunsTheTextBackwards) {
    ScrollerPhase scroller(flags);
    scroller.setUp();
    scroller.frame();
    io.keyDown(SDLK_LEFT);
    for (int i = 0; i < 50; ++i) scroller.frame();  // 1 s from 1.0 down to about -4.0
    io.keyUp(SDLK_LEFT);
    scroller.frame();
    EXPECT_NEAR(scrollSpeed, -4.0f, 0.01f);
    const float before = scrollPosition;
    for (int i = 0; i < 10; ++i) scroller.frame();
    EXPECT_NEAR(scrollPosition - before, 10 * 20 * scrollSpeed, 1.0f);
    EXPECT_LT(scrollPosition, before);
}

TEST_F(PhaseTest, ScrollerNeverEndsByItselfOnlyByEscapeOrClose) {
    ScrollerPhase scroller(flags);
    scroller.setUp();
    scrollPosition = 440000;  // the text has all gone by
    EXPECT_EQ(runFrames(scroller, 30), 30);
    io.mouseButtonDown(SDL_BUTTON_RIGHT, 1, 1);
    scroller.frame();
    EXPECT_EQ(trailBurst, 0.0f);
    io.mouseButtonDown(SDL_BUTTON_LEFT, 1, 1);
    scroller.frame();
    EXPECT_FLOAT_EQ(trailBurst, 980.0f);  // set by the click, then counted down by this frame's trail
    io.keyDown(SDLK_ESCAPE);
    scroller.frame();
    EXPECT_FALSE(scroller.running());
    EXPECT_FALSE(flags.quitRequested);

    ScrollerPhase second(flags);
    second.setUp();
    io.quit();
    EXPECT_EQ(runFrames(second, 10), 1);
    EXPECT_TRUE(flags.quitRequested);
}

// ------------------------------------------------------------------ Outro

TEST(OutroCards, BrightnessAtListedClocks) {
    EXPECT_EQ(outroCard(0.325f, 10).card, 10);
    EXPECT_NEAR(outroCard(0.325f, 10).brightness, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(outroCard(3.0f, 10).brightness, 1.0f);
    EXPECT_EQ(outroCard(5.0f, 10).card, 11);
    EXPECT_FLOAT_EQ(outroCard(5.0f, 10).brightness, 1.0f);
    EXPECT_NEAR(outroCard(6.8f, 11).brightness, 0.5f, 1e-5);
    EXPECT_NEAR(outroCard(7.49f, 11).brightness, 0.04f, 1e-3);
    EXPECT_NEAR(outroCard(7.5f, 11).brightness, 0.0333f, 1e-3);
    // no interval: the card keeps its value at full brightness
    EXPECT_EQ(outroCard(4.55f, 11).card, 11);
    EXPECT_FLOAT_EQ(outroCard(4.55f, 11).brightness, 1.0f);
    EXPECT_EQ(outroCard(0.0f, 10).card, 10);
    // A long last frame that steps over the end finds the card dark, never
    // the card before at full brightness.
    EXPECT_FLOAT_EQ(outroCard(7.56f, 11).brightness, 0.0f);
    EXPECT_FLOAT_EQ(outroCard(7.6f, 10).brightness, 0.0f);
    EXPECT_FLOAT_EQ(outroCard(9.0f, 11).brightness, 0.0f);
}

TEST_F(PhaseTest, OutroStartsTheTransitionOnceAndIgnoresClicksAndArrows) {
    MusicPlayer player;
    player.loadFailed = true;
    musicPlayer = &player;
    OutroPhase outro;
    outro.setUp();
    io.onSwap = [](ScriptedIo& s, int) {
        s.mouseButtonDown(SDL_BUTTON_LEFT, 400, 300);
        s.keyDown(SDLK_RIGHT);
        s.keyDown(SDLK_LEFT);
        s.mouseMotion(10, 10);
    };
    bool sawSecondCardWhileRunning = false;
    int frames = 0;
    while (outro.running() && frames < 1000) {
        outro.frame();
        ++frames;
        if (outro.card == 11 && slideTransition->remaining > 0) sawSecondCardWhileRunning = true;
    }
    musicPlayer = nullptr;
    EXPECT_EQ(outro.transitionStarts, 1);
    EXPECT_TRUE(sawSecondCardWhileRunning);
    EXPECT_EQ(slideTransition->fromTexture, 1010u);
    EXPECT_EQ(slideTransition->toTexture, 1011u);
    EXPECT_FLOAT_EQ(slideTransition->duration, 1.05f);
    EXPECT_NEAR(frames, 376, 3);  // 7.5 s of 20 ms frames: nothing cut it short
    EXPECT_EQ(mouseX, 400);       // the outro does not follow the pointer
    EXPECT_NEAR(outro.brightness, 0.04f, 0.02f);
}

TEST_F(PhaseTest, EscapeOrCloseEndsTheOutroAfterTheFrame) {
    for (bool useClose : {false, true}) {
        MusicPlayer player;
        player.loadFailed = true;
        musicPlayer = &player;
        OutroPhase outro;
        outro.setUp();
        io.onSwap = [&](ScriptedIo& s, int) {
            if (outro.clock >= 1.0f && s.queue.empty()) {
                if (useClose)
                    s.quit();
                else
                    s.keyDown(SDLK_ESCAPE);
                s.onSwap = nullptr;
            }
        };
        runFrames(outro, 1000);
        musicPlayer = nullptr;
        EXPECT_GE(outro.clock, 8.5f);
        EXPECT_LT(outro.clock, 8.6f);
        EXPECT_EQ(outro.transitionStarts, 0);
    }
}
