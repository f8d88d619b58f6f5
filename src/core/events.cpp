#include "core/events.h"

SDL_Event makeKeyEvent(bool pressed, SDLKey key) {
    SDL_Event e{};
    e.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event makeButtonEvent(bool pressed, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.type = e.type;
    e.button.button = button;
    e.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = static_cast<Uint16>(x);
    e.button.y = static_cast<Uint16>(y);
    return e;
}

SDL_Event makeMotionEvent(int x, int y, int dx, int dy, Uint8 buttons) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.state = buttons;
    e.motion.x = static_cast<Uint16>(x);
    e.motion.y = static_cast<Uint16>(y);
    e.motion.xrel = static_cast<Sint16>(dx);
    e.motion.yrel = static_cast<Sint16>(dy);
    return e;
}

SDL_Event makeQuitEvent() {
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}
