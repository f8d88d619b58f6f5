#include "core/io.h"

#include "core/drawing_area.h"

Uint32 SdlShowIo::getTicks() { return SDL_GetTicks(); }
void SdlShowIo::delay(Uint32 ms) { SDL_Delay(ms); }
int SdlShowIo::pollEvent(SDL_Event* event) { return SDL_PollEvent(event); }

// SDL speaks in the window's pixels; the show in its 800 x 600 space.
Uint8 SdlShowIo::getMouseState(int* x, int* y) {
    int px = 0, py = 0;
    const Uint8 buttons = SDL_GetMouseState(&px, &py);
    int sx = 0, sy = 0;
    drawableToShow(px, py, sx, sy);
    if (x) *x = sx;
    if (y) *y = sy;
    return buttons;
}

void SdlShowIo::swapBuffers() {
    SDL_GL_SwapBuffers();
    // What a swap leaves in the new back buffer is undefined; the frames
    // draw only inside the area.
    clearBars();
}

namespace {

SdlShowIo sdlIo;
ShowIo* current = &sdlIo;

}  // namespace

ShowIo& showIo() { return *current; }

void setShowIo(ShowIo* io) { current = io ? io : &sdlIo; }
