#pragma once
// A real 800 x 600 OpenGL window for tests that draw (under Xvfb with Mesa),
// set up like the show's: initGl and the 2D pixel projection.

#include <array>
#include <cstdint>
#include <vector>

#include <SDL/SDL.h>

// Opens the window on first use; later calls reuse it. SDL audio uses the
// dummy driver unless the environment says otherwise.
void ensureGlWindow();

// The colour of window pixel (x, y), origin top left, read from the back buffer.
std::array<uint8_t, 3> readPixel(int x, int y);

// The whole 800 x 600 back buffer as R, G, B bytes, bottom row first.
std::vector<unsigned char> readScreen();

// Clears the back buffer to black and resets the show's standard GL state:
// texturing on, standard blending on, white colour, identity modelview.
void resetGlFrame();

// A 16 x 16 texture of one RGBA colour, sampled nearest.
unsigned int solidTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// Noise at the full-screen pictures' stored size (1024 x 512), opaque, which
// a quad's filter blurs: a picture shifted, flipped or filtered again cannot
// pass for its drawing.
unsigned int noisePicture();
