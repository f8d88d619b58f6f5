#pragma once
// The one seam between the show and the world outside it: the tick counter,
// sleeping, the event queue, the pointer and presenting a frame. The program
// runs on the SDL implementation; tests install a scripted one to drive the
// real frame loops with their own clock and events.

#include <SDL/SDL.h>

class ShowIo {
public:
    virtual ~ShowIo() = default;
    virtual Uint32 getTicks() = 0;
    virtual void delay(Uint32 ms) = 0;
    virtual int pollEvent(SDL_Event* event) = 0;
    virtual Uint8 getMouseState(int* x, int* y) = 0;
    virtual void swapBuffers() = 0;
};

// SDL's own, with the pointer mapped from the drawable's pixels into the
// show's 800 x 600 space and the bars around it cleared after each swap.
class SdlShowIo : public ShowIo {
public:
    Uint32 getTicks() override;
    void delay(Uint32 ms) override;
    int pollEvent(SDL_Event* event) override;
    Uint8 getMouseState(int* x, int* y) override;
    void swapBuffers() override;
};

// The implementation in use; SDL's own unless a test has installed another.
ShowIo& showIo();
// Installs io (not owned); null goes back to SDL.
void setShowIo(ShowIo* io);

// Short forms used throughout the show.
inline Uint32 ioGetTicks() { return showIo().getTicks(); }
inline void ioDelay(Uint32 ms) { showIo().delay(ms); }
inline int ioPollEvent(SDL_Event* event) { return showIo().pollEvent(event); }
inline Uint8 ioGetMouseState(int* x, int* y) { return showIo().getMouseState(x, y); }
inline void ioSwapBuffers() { showIo().swapBuffers(); }
