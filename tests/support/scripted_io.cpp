#include "support/scripted_io.h"

#include <SDL/SDL_opengl.h>

#include "core/events.h"

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

void ScriptedIo::keyDown(SDLKey key) { queue.push_back(makeKeyEvent(true, key)); }
void ScriptedIo::keyUp(SDLKey key) { queue.push_back(makeKeyEvent(false, key)); }

void ScriptedIo::mouseButtonDown(Uint8 button, int x, int y) {
    mouseX = x;
    mouseY = y;
    queue.push_back(makeButtonEvent(true, button, x, y));
}

void ScriptedIo::mouseButtonUp(Uint8 button, int x, int y) {
    queue.push_back(makeButtonEvent(false, button, x, y));
}

void ScriptedIo::mouseMotion(int x, int y) {
    mouseX = x;
    mouseY = y;
    queue.push_back(makeMotionEvent(x, y, 0, 0, 0));
}

void ScriptedIo::quit() { queue.push_back(makeQuitEvent()); }
