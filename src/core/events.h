#pragma once
// SDL events as the viewer's hand makes them, for the hosts that play the
// show with input of their own (a recorder's tour, a test's script).

#include <SDL/SDL.h>

// A key or button pressed (down) or released (up).
SDL_Event makeKeyEvent(bool pressed, SDLKey key);
SDL_Event makeButtonEvent(bool pressed, Uint8 button, int x, int y);
SDL_Event makeMotionEvent(int x, int y, int dx, int dy, Uint8 buttons);
SDL_Event makeQuitEvent();
