#include "show/phases.h"

#include <SDL/SDL_opengl.h>

#include "audio/music_player.h"
#include "gfx/quad.h"
#include "math/curves.h"
#include "particles/trail.h"
#include "show/buttons.h"
#include "show/prepare.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "core/io.h"
#include "slides/ambient.h"
#include "slides/overlay.h"
#include "slides/transition.h"
#include "text/scroller.h"

namespace {

void drawCard(int slot, float brightness) {
    glColor3f(brightness, brightness, brightness);
    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    drawOpaqueFullscreenQuad();
}

void updatePointer() { ioGetMouseState(&mouseX, &mouseY); }

// Handles every event in the queue; a phase-ending event does not stop it.
template <class Phase>
void drainEvents(Phase& phase) {
    SDL_Event event;
    while (ioPollEvent(&event)) phase.handleEvent(event);
}

}  // namespace

bool handlePointerOrQuit(const SDL_Event& event, ShowFlags& flags) {
    if (event.type == SDL_MOUSEMOTION) {
        updatePointer();
        return true;
    }
    if (event.type == SDL_QUIT) {
        flags.quitRequested = true;
        return true;
    }
    return false;
}

// ------------------------------------------------------------------ cards

CardChoice introCard(float clock) {
    if (0 < clock && clock < 6) return {kSlotFirstCard, sineWindow(clock, 0, 6, 2.0f) * ramp(clock, 0, 2.25f)};
    if (6 < clock && clock < 12.25f) return {kSlotFirstCard + 1, sineWindow(clock, 6, 12.25f, 4.0f)};
    if (12.25f < clock) return {kSlotFirstCard + 2, sineWindow(clock, 12.25f, 20.5f, 4.0f)};
    // The first frame (a clock of 0) and the two instants between cards:
    // every fade is at black there, so the frame is black too, never a card
    // at full brightness for one frame.
    if (clock == 6) return {kSlotFirstCard + 1, 0.0f};
    if (clock == 12.25f) return {kSlotFirstCard + 2, 0.0f};
    return {kSlotFirstCard, 0.0f};
}

CardChoice outroCard(float clock, int previousCard) {
    if (0 < clock && clock < 4.55f) return {kSlotOutroCard1, ramp(clock, 0, 0.65f)};
    if (4.55f < clock && clock < 7.55f) return {kSlotOutroCard2, 1 - ramp(clock, 6.05f, 7.55f)};
    // A long last frame can step over the end of the fade: the card is dark
    // from there on, never the card before at full brightness.
    if (clock >= 7.55f) return {kSlotOutroCard2, 0.0f};
    return {previousCard, 1.0f};
}

// ------------------------------------------------------------------ Intro

constexpr float IntroPhase::kSchedule[4];

void IntroPhase::setUp() {
    clock = 0;
    end = kSchedule[3];
}

bool IntroPhase::running() const { return clock < end && !flags_.slideshowDone && !flags_.quitRequested; }

void IntroPhase::frame() {
    clock += frameTimer->deltaSeconds;
    frameTimer->update();
    shown = introCard(clock);
    // The card covers every pixel, opaque: beneath it the work that the
    // first wipe and the Scroller's first frame would pay for is done ahead.
    prepareAheadStep();
    drawCard(shown.card, shown.brightness);
    drawAmbientGlows(0);
    updateAndDrawTrail();
    ioSwapBuffers();
    drainEvents(*this);
}

void IntroPhase::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) {
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE || key == SDLK_LEFT || key == SDLK_RIGHT) clock += end;
    } else if (event.type == SDL_MOUSEBUTTONDOWN) {
        clock = end + 1;
    } else {
        handlePointerOrQuit(event, flags_);
    }
}

// ------------------------------------------------------------------ Slideshow

void SlideshowPhase::setUp() {
    slide = kSlotFirstSlide;
    prevButton.set(709, 550, 31, 29);
    nextButton.set(747, 550, 31, 29);
    slideTransition->stop();
}

bool SlideshowPhase::running() const { return !flags_.slideshowDone && !flags_.quitRequested; }

void SlideshowPhase::frame() {
    // A running wipe covers the whole screen, so the slide is drawn only at rest.
    if (slideTransition->advance()) {
        slideTransition->drawFrame(false);
    } else {
        prepareAheadStep();  // if the Intro was cut short; the slide covers it
        glColor3f(1, 1, 1);
        drawPictureFullscreen(slotTexture(slide));
    }
    drawButtons(slide, prevButton, nextButton);
    if (kSlotFirstSlide <= slide && slide <= kSlotLastSlide) drawSlideOverlay(slide - kSlotFirstSlide);
    updateAndDrawTrail();
    drainEvents(*this);
    ioSwapBuffers();
    frameTimer->update();
}

bool SlideshowPhase::goBack() {
    if (slide <= kSlotFirstSlide) return false;
    slide -= 1;
    slideTransition->start(2.5f, slotTexture(slide + 1), slotTexture(slide));
    return true;
}

bool SlideshowPhase::goForward() {
    if (slide >= kSlotLastSlide) return false;
    slide += 1;
    slideTransition->start(2.5f, slotTexture(slide - 1), slotTexture(slide));
    return true;
}

void SlideshowPhase::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) {
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) flags_.slideshowDone = true;
        if (key == SDLK_RIGHT) goForward();
        if (key == SDLK_LEFT) goBack();
    } else if (event.type == SDL_MOUSEBUTTONDOWN) {
        if (event.button.button != SDL_BUTTON_LEFT) return;
        startTrailBurst();
        if (prevButton.contains(mouseX, mouseY)) goBack();
        // Past the last slide the phase ends, after this frame.
        if (nextButton.contains(mouseX, mouseY) && !goForward()) flags_.slideshowDone = true;
    } else {
        handlePointerOrQuit(event, flags_);
    }
}

// ------------------------------------------------------------------ Scroller

void ScrollerPhase::setUp() {
    slideTransition->stop();
    direction = 0;
    active = true;
}

bool ScrollerPhase::running() const { return active && !flags_.quitRequested; }

void ScrollerPhase::frame() {
    // The opaque background covers every pixel: nothing needs clearing first.
    glColor3f(1, 1, 1);
    drawPictureFullscreen(slotTexture(kSlotScrollerBackground));
    drawScroller();
    drawAmbientGlows(5);
    glColor3f(1, 1, 1);
    // The speed follows the arrow held during the previous frame's events.
    scrollSpeed += frameTimer->deltaMs * 0.005f * direction;
    drainEvents(*this);
    updateAndDrawTrail();
    ioSwapBuffers();
    frameTimer->update();
}

void ScrollerPhase::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN) {
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) active = false;
        if (key == SDLK_RIGHT) direction = 1;
        if (key == SDLK_LEFT) direction = -1;
    } else if (event.type == SDL_KEYUP) {
        // Letting go of either arrow stops the change, even while the other
        // one is still held.
        const SDLKey key = event.key.keysym.sym;
        if (key == SDLK_RIGHT || key == SDLK_LEFT) direction = 0;
    } else if (event.type == SDL_MOUSEBUTTONDOWN) {
        if (event.button.button == SDL_BUTTON_LEFT) startTrailBurst();
    } else {
        handlePointerOrQuit(event, flags_);
    }
}

// ------------------------------------------------------------------ Outro

void OutroPhase::setUp() {
    slideTransition->stop();
    musicPlayer->fadeOut(7500);
    started = false;
    card = kSlotOutroCard1;
    clock = 0;
    end = 7.5f;
    transitionStarts = 0;
}

bool OutroPhase::running() const { return clock < end; }

void OutroPhase::frame() {
    clock += frameTimer->deltaSeconds;
    frameTimer->update();
    const CardChoice choice = outroCard(clock, card);
    card = choice.card;
    brightness = choice.brightness;
    if (4.55f < clock && clock < 7.55f && !started) {
        slideTransition->start(1.05f, slotTexture(kSlotOutroCard1), slotTexture(kSlotOutroCard2));
        started = true;
        ++transitionStarts;
    }
    drawCard(card, brightness);
    slideTransition->drawCentred();
    ioSwapBuffers();
    drainEvents(*this);
}

void OutroPhase::handleEvent(const SDL_Event& event) {
    if ((event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) || event.type == SDL_QUIT)
        clock = end + 1;
}

