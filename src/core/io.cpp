#include "core/io.h"

#include "core/drawing_area.h"

namespace {

class SdlIo : public ShowIo {
public:
    Uint32 getTicks() override { return SDL_GetTicks(); }
    void delay(Uint32 ms) override { SDL_Delay(ms); }
    int pollEvent(SDL_Event* event) override { return SDL_PollEvent(event); }
    // SDL speaks in the window's pixels; the show in its 800 x 600 space.
    Uint8 getMouseState(int* x, int* y) override {
        int px = 0, py = 0;
        const Uint8 buttons = SDL_GetMouseState(&px, &py);
        int sx = 0, sy = 0;
        drawableToShow(px, py, sx, sy);
        if (x) *x = sx;
        if (y) *y = sy;
        return buttons;
    }
    void swapBuffers() override {
        SDL_GL_SwapBuffers();
        // What a swap leaves in the new back buffer is undefined; the frames
        // draw only inside the area.
        clearBars();
    }
};

SdlIo sdlIo;
ShowIo* current = &sdlIo;

}  // namespace

ShowIo& showIo() { return *current; }

void setShowIo(ShowIo* io) { current = io ? io : &sdlIo; }
