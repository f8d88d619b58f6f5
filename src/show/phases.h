#pragma once
// The four phases of the show. Each is a small object with the phase's own
// state, a set-up, a loop condition and one frame; runPhase is the loop itself.
// Tests drive the same frames through the seam with a scripted clock and events.

#include <SDL/SDL.h>

#include "core/data_set.h"
#include "gfx/rect.h"

// Runs a phase: its set-up once, then its frames while its condition holds.
// A phase whose condition is already false shows no frame at all.
template <class Phase>
void runPhase(Phase& phase) {
    phase.setUp();
    while (phase.running()) phase.frame();
}

// Flags shared by the phases: a close request ends the Intro, Slideshow and
// Scroller loops; the Slideshow sets slideshowDone when it is over.
struct ShowFlags {
    bool quitRequested = false;
    bool slideshowDone = false;
};

// What the Intro, Slideshow and Scroller do alike with an event: the pointer
// follows a motion, a close request sets the flag. False for any other event.
bool handlePointerOrQuit(const SDL_Event& event, ShowFlags& flags);

// The title card (its slot) and its grey level at a given intro clock.
struct CardChoice {
    int card;
    float brightness;
};
CardChoice introCard(float clock);
// The outro's card and grey level at a clock, given the card of the frame
// before (it keeps its value where no interval applies).
CardChoice outroCard(float clock, int previousCard);

class IntroPhase {
public:
    static constexpr float kSchedule[4] = {0.0f, 6.0f, 12.25f, 20.5f};
    float clock = 0;
    float end = kSchedule[3];
    CardChoice shown{kSlotFirstCard, 1.0f};

    explicit IntroPhase(ShowFlags& flags) : flags_(flags) {}
    void setUp();
    bool running() const;
    void frame();
    void handleEvent(const SDL_Event& event);

private:
    ShowFlags& flags_;
};

class SlideshowPhase {
public:
    int slide = kSlotFirstSlide;  // the slot of the slide shown
    Rect prevButton;
    Rect nextButton;

    explicit SlideshowPhase(ShowFlags& flags) : flags_(flags) {}
    void setUp();
    bool running() const;
    void frame();
    void handleEvent(const SDL_Event& event);

private:
    // The slide before, or the next one, with its wipe; false, with nothing
    // changed, at the first or the last.
    bool goBack();
    bool goForward();
    ShowFlags& flags_;
};

class ScrollerPhase {
public:
    bool active = true;
    int direction = 0;

    explicit ScrollerPhase(ShowFlags& flags) : flags_(flags) {}
    void setUp();
    bool running() const;
    void frame();
    void handleEvent(const SDL_Event& event);

private:
    ShowFlags& flags_;
};

class OutroPhase {
public:
    float clock = 0;
    float end = 7.5f;
    int card = kSlotOutroCard1;
    bool started = false;
    float brightness = 1.0f;
    int transitionStarts = 0;  // how many times this phase started the transition

    void setUp();
    bool running() const;
    void frame();
    void handleEvent(const SDL_Event& event);
};

// The four phases in the show's order, each handed to play once made: the
// show runs each with runPhase; the web page notes its frames for the page,
// the frame benchmark times them.
template <class Play>
void playPhasesWith(Play&& play) {
    ShowFlags flags;
    IntroPhase intro(flags);
    play(intro);
    SlideshowPhase slideshow(flags);
    play(slideshow);
    ScrollerPhase scroller(flags);
    play(scroller);
    OutroPhase outro;
    play(outro);
}
