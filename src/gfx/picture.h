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
    std::string note;   // a line to print before it is used, or ""

    int width = 0, height = 0;
    unsigned int format = 0;  // GL_RGB or GL_RGBA
    bool clamped = false;     // the square sizes used as they are: clamped at the edges
    std::vector<unsigned char> pixels;
    Rect ink{0, 0, 512, 512};  // what pictureInk gives for it once uploaded
};
PreparedPicture preparePicture(const char* path);

// A picture of the data set: its file, and the finer file to read in its
// place where the show draws larger than 800 x 600 ("" elsewhere).
struct PictureFile {
    std::string plain, finer;
};
// The finer file, kept at its own size, where it is usable: the plain file's
// format at the finer set's scale of its size, whole, and decodable.
// Otherwise the plain one, after a line that says why the finer one is not
// used; the plain file's own messages are those preparePicture prints.
PreparedPicture preparePicture(const PictureFile& file);

// Reads a PNG's or a JPEG's size from its header, without decoding it, and
// whether the file ends as a whole one of its format does; "" or why not.
std::string pictureFileCheck(const std::string& path, int& width, int& height);

// The part of a square picture, from its tightly packed R, G, B, A pixels,
// in the 512 units of a source rectangle, outside which it is wholly
// transparent and stays so under its linear filter: its texels with any
// alpha and two more on each side, up to its edges.
Rect inkOf(const unsigned char* rgba, int size);

// The pixels of a 3- or 4-byte surface as tightly packed rows, top row first,
// in R, G, B (, A) byte order, whatever the surface's row padding and masks.
std::vector<unsigned char> tightRgbPixels(const SDL_Surface* surface);
