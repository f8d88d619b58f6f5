#pragma once
// A scripted stand-in for the show's seam: a clock that moves only when the
// show sleeps or a script says so, events delivered at chosen frames, a pointer
// under the test's control and a count of presented frames.

#include <deque>
#include <functional>
#include <vector>

#include "core/io.h"

class ScriptedIo : public ShowIo {
public:
    Uint32 ticks = 0;
    // Extra milliseconds that pass during each frame's work (added at every swap).
    Uint32 workMsPerFrame = 0;
    int mouseX = 400, mouseY = 400;
    int swaps = 0;
    Uint32 totalDelay = 0;

    // Called after every swap with the number of frames presented so far;
    // a script uses it to queue events for the frame that follows.
    std::function<void(ScriptedIo&, int)> onSwap;
    // A guard against loops that never end: after this many swaps every poll
    // delivers a window-close request.
    int maxSwaps = 1000000;

    std::deque<SDL_Event> queue;

    Uint32 getTicks() override { return ticks; }
    void delay(Uint32 ms) override {
        ticks += ms;
        totalDelay += ms;
    }
    int pollEvent(SDL_Event* event) override;
    Uint8 getMouseState(int* x, int* y) override {
        if (x) *x = mouseX;
        if (y) *y = mouseY;
        return 0;
    }
    void swapBuffers() override;

    // Event helpers: append to the queue.
    void keyDown(SDLKey key);
    void keyUp(SDLKey key);
    void mouseButtonDown(Uint8 button, int x, int y);
    void mouseButtonUp(Uint8 button, int x, int y);
    void mouseMotion(int x, int y);
    void quit();
};

// Installs a ScriptedIo for the lifetime of the object.
class ScopedIo {
public:
    explicit ScopedIo(ShowIo* io) { setShowIo(io); }
    ~ScopedIo() { setShowIo(nullptr); }
};
