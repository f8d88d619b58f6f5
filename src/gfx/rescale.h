#pragma once
// The rescale of a picture whose sides are not the four square sizes a
// texture takes as they are: a box filter to powers of two.

#include <vector>

// The power of two a picture's side is rescaled to: the highest one at or
// below n, or the next one up when n is at least one and a half times that.
int roundToPowerOfTwo(int n);
// The smallest power of two that is at least n (1 for n <= 1).
int nextPowerOfTwo(int n);
// Box-filters tightly packed 3- or 4-byte pixels from w x h to outW x outH
// (each output pixel the exact area average of what it covers, rounded down)
// and returns R, G, B, A pixels, opaque for 3-byte input.
std::vector<unsigned char> rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW,
                                         int outH);
// The same into out, which holds outW * outH * 4 bytes.
void rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW, int outH,
                   unsigned char* out);
