#pragma once
// Pictures turned into GL textures, and the ink each one keeps; the slots of
// the show's table of them are the data set's (core/data_set.h).

#include "gfx/picture.h"
#include "gfx/rect.h"

// A new texture, left bound, with the given filter and wrap for both
// directions, holding width x height pixels of four bytes in the given layout
// (GL_RGBA or GL_BGRA; none yet if pixels is null), and kept in that layout
// where the GL can.
unsigned int makeTexture(int filter, int wrap, int width, int height, const void* pixels, int layout);

// The GL texture name of the picture at path, or 0 (after one printed line)
// if it can't be used. The new texture is left bound.
int loadTexture(const char* path);
// The same for a picture of the data set, from its finer file where one is asked for.
int loadTexture(const PictureFile& file);

// loadTexture's second step, after preparePicture: the upload, or the printed
// line of a picture that can't be used.
int uploadPicture(const PreparedPicture& picture);
// The part of an uploaded picture, in the 512 units of a source rectangle,
// outside which it is wholly transparent (inkOf). The whole picture for one
// without transparency, for one rescaled (whose wrapping brings the far edge
// in), and for any other texture.
Rect pictureInk(unsigned int texture);
// Releases the GL textures of all the slots of a table.
void deleteTextures(int* table);
