// What the browser's SDL 1.2 layer lacks of the calls the show makes.

#include <emscripten.h>

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <SDL/SDL_ttf.h>

// The browser's own leaves the pixel format pointer unset; here it names the
// canvas's 32-bit RGBA layout.
extern "C" const SDL_VideoInfo* SDL_GetVideoInfo() {
    static SDL_PixelFormat format;
    static SDL_VideoInfo info;
    format = SDL_PixelFormat();
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    format.Rmask = 0x000000FF;
    format.Gmask = 0x0000FF00;
    format.Bmask = 0x00FF0000;
    format.Amask = 0xFF000000;
    format.Gshift = 8;
    format.Bshift = 16;
    format.Ashift = 24;
    info = SDL_VideoInfo();
    info.vfmt = &format;
    info.current_w = EM_ASM_INT({ return Module.canvas.width; });
    info.current_h = EM_ASM_INT({ return Module.canvas.height; });
    return &info;
}

// A copy of the surface in the 32-bit RGBA layout every surface has here.
extern "C" SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
    SDL_Surface* copy =
        SDL_CreateRGBSurface(0, surface->w, surface->h, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    if (!copy) return nullptr;
    SDL_BlitSurface(surface, nullptr, copy, nullptr);
    return copy;
}

// The browser draws text in the plain style only.
extern "C" void TTF_SetFontStyle(TTF_Font*, int) {}

// The SDL_mixer calls of the desktop's music seam; the page plays its music
// through Web Audio instead (web_music.cpp), so these only complete the set.
extern "C" int Mix_FadeInMusic(Mix_Music* music, int loops, int) { return Mix_PlayMusic(music, loops); }
extern "C" Mix_Fading Mix_FadingMusic() { return MIX_NO_FADING; }
