#pragma once
// OpenGL's entry points beyond those the library exports itself (framebuffer
// objects), as SDL finds them for the context in use.

#include <SDL/SDL.h>

// Sets f to the entry point named name; false, with f null, where there is none.
template <class F>
bool loadGlFunction(F& f, const char* name) {
    f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
}
