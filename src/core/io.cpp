#include "core/io.h"

namespace {

class SdlIo : public ShowIo {
public:
    Uint32 getTicks() override { return SDL_GetTicks(); }
    void delay(Uint32 ms) override { SDL_Delay(ms); }
    int pollEvent(SDL_Event* event) override { return SDL_PollEvent(event); }
    Uint8 getMouseState(int* x, int* y) override { return SDL_GetMouseState(x, y); }
    void swapBuffers() override { SDL_GL_SwapBuffers(); }
};

SdlIo sdlIo;
ShowIo* current = &sdlIo;

}  // namespace

ShowIo& showIo() { return *current; }

void setShowIo(ShowIo* io) { current = io ? io : &sdlIo; }
