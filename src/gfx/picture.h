#pragma once
// A picture file decoded and made ready for its texture, without GL: the
// pixels as GL takes them, rescaled where the size asks for it, and the part
// of it that holds any ink. It may be made on any thread.

#include <string>
#include <vector>

#include "gfx/rect.h"

struct SDL_Surface;

struct PreparedPicture {
    std::string error;  // the line to print instead, if the picture can't be used
    int width = 0, height = 0;
    unsigned int format = 0;  // GL_RGB or GL_RGBA
    bool clamped = false;     // the square sizes used as they are: clamped at the edges
    std::vector<unsigned char> pixels;
    Rect ink{0, 0, 512, 512};  // what pictureInk gives for it once uploaded
};
PreparedPicture preparePicture(const char* path);

// The part of a square picture, from its tightly packed R, G, B, A pixels,
// in the 512 units of a source rectangle, outside which it is wholly
// transparent and stays so under its linear filter: its texels with any
// alpha and two more on each side, up to its edges.
Rect inkOf(const unsigned char* rgba, int size);

// The pixels of a 3- or 4-byte surface as tightly packed rows, top row first,
// in R, G, B (, A) byte order, whatever the surface's row padding and masks.
std::vector<unsigned char> tightRgbPixels(const SDL_Surface* surface);
