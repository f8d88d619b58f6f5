#pragma once
// Pictures from ./data/ turned into GL textures, and the table of 24 slots.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "gfx/rect.h"

struct SDL_Surface;

// Texture table slots.
enum TextureSlot {
    kSlotFirstCard = 0,      // 0..2 intro cards
    kSlotFirstSlide = 3,     // 3..9 slides
    kSlotLastSlide = 9,
    kSlotOutroCard1 = 10,
    kSlotOutroCard2 = 11,
    kSlotScrollerBackground = 12,
    kSlotAtlas = 13,
    kSlotParticle = 14,
    kSlotChef = 15,
    kSlotBubble = 16,
    kSlotFirstCaption = 17,  // 17..23 captions of the slides
};

// A new texture, left bound, with the given filter and wrap for both
// directions, holding width x height RGBA pixels (none yet if pixels is null).
unsigned int makeTexture(int filter, int wrap, int width, int height, const void* pixels);

// The GL texture name of the picture at path, or 0 (after one printed line)
// if it can't be used. The new texture is left bound.
int loadTexture(const char* path);

// loadTexture in two steps: the decoding and rescaling, which needs no GL
// and may run on any thread, and the upload.
struct PreparedPicture {
    std::string error;  // the line to print instead, if the picture can't be used
    int width = 0, height = 0;
    unsigned int format = 0;  // GL_RGB or GL_RGBA
    bool clamped = false;     // the square sizes used as they are: clamped at the edges
    std::vector<unsigned char> pixels;
    Rect ink{0, 0, 512, 512};  // what pictureInk gives for it once uploaded
};
PreparedPicture preparePicture(const char* path);
int uploadPicture(const PreparedPicture& picture);
// The part of an uploaded picture, in the 512 units of a source rectangle,
// outside which it is wholly transparent and stays so under its linear
// filter: its texels with any alpha and two more on each side, up to its
// edges. The whole picture for one without transparency, for one rescaled
// (whose wrapping brings the far edge in), and for any other texture.
Rect pictureInk(unsigned int texture);
// The same from a square picture's tightly packed R, G, B, A pixels.
Rect inkOf(const unsigned char* rgba, int size);
// The power of two a picture's side is rescaled to: the highest one at or
// below n, or the next one up when n is at least one and a half times that.
int roundToPowerOfTwo(int n);
// Box-filters tightly packed 3- or 4-byte pixels from w x h to outW x outH
// (each output pixel the exact area average of what it covers, rounded down)
// and returns R, G, B, A pixels, opaque for 3-byte input.
std::vector<unsigned char> rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW,
                                         int outH);
// The same into out, which holds outW * outH * 4 bytes.
void rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW, int outH,
                   unsigned char* out);
// The pictures loadAllTextures uploads, decoded and rescaled on a second
// thread from the moment this is made, so that the work runs beside what the
// show does before the uploads; take() prepares the next ones itself while
// the one it needs is not ready. On the way out, waits for the picture the
// thread is on.
class PicturePreparer {
public:
    PicturePreparer();
    ~PicturePreparer();
    PicturePreparer(const PicturePreparer&) = delete;
    PicturePreparer& operator=(const PicturePreparer&) = delete;
    // The i-th picture in loading order, once it is ready; each taken once.
    PreparedPicture take(size_t i);

private:
    struct State;
    std::unique_ptr<State> state_;
};
// Fills every slot but the atlas from the pictures, drawing the loading
// screen as it goes.
void loadAllTextures(int* table, PicturePreparer& pictures, float progressFrom, float progressTo);
// The same with pictures whose preparing starts now.
void loadAllTextures(int* table, float progressFrom, float progressTo);
// Releases the GL textures of all 24 slots.
void deleteTextures(int* table);

// The pixels of a 3- or 4-byte surface as tightly packed rows, top row first,
// in R, G, B (, A) byte order, whatever the surface's row padding and masks.
std::vector<unsigned char> tightRgbPixels(const SDL_Surface* surface);
