#include "support/scripted_io.h"

#include <SDL/SDL_opengl.h>

int ScriptedIo::pollEvent(SDL_Event* event) {
    if (swaps >= maxSwaps) {
        if (event) event->type = SDL_QUIT;
        return 1;
    }
    if (queue.empty()) return 0;
    if (event) *event = queue.front();
    queue.pop_front();
    return 1;
}

void ScriptedIo::swapBuffers() {
    glFinish();
    ++swaps;
    ticks += workMsPerFrame;
    if (onSwap) onSwap(*this, swaps);
}

static SDL_Event keyEvent(Uint8 type, SDLKey key) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    return e;
}

void ScriptedIo::keyDown(SDLKey key) { queue.push_back(keyEvent(SDL_KEYDOWN, key)); }
void ScriptedIo::keyUp(SDLKey key) { queue.push_back(keyEvent(SDL_KEYUP, key)); }

static SDL_Event buttonEvent(Uint8 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

void ScriptedIo::mouseButtonDown(Uint8 button, int x, int y) {
    mouseX = x;
    mouseY = y;
    queue.push_back(buttonEvent(SDL_MOUSEBUTTONDOWN, button, x, y));
}

void ScriptedIo::mouseButtonUp(Uint8 button, int x, int y) {
    queue.push_back(buttonEvent(SDL_MOUSEBUTTONUP, button, x, y));
}

void ScriptedIo::mouseMotion(int x, int y) {
    mouseX = x;
    mouseY = y;
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    queue.push_back(e);
}

void ScriptedIo::quit() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    queue.push_back(e);
}
