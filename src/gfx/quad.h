#pragma once
// The two 2D drawing primitives, in the pixel space of pushOrtho2D.

#include "gfx/rect.h"

// Cuts src (in 512-texel units) out of texture and draws it into dest, rotated
// by angle degrees and scaled about dest's centre. Always returns true.
bool drawTexturedQuad(const Rect& dest, unsigned int texture, const Rect& src, float angle, float scale,
                      float z);
// The same quad drawn over only `part` of src (in the same units), each
// point of it where the whole quad puts it: where the rest of the picture is
// wholly transparent, blending gives every pixel what the whole quad would.
bool drawTexturedQuadPart(const Rect& dest, unsigned int texture, const Rect& src, const Rect& part, float angle,
                          float scale, float z);

// Stretches the bound texture over the whole 800 x 600 screen in the current colour.
void drawFullscreenQuad();
// The same for an opaque picture in an opaque colour: drawn without blending,
// which gives the very pixels blending would and costs less. The blending
// switch is left as it was.
void drawOpaqueFullscreenQuad();
// An opaque picture over the whole screen exactly as it is, whatever the
// current colour: as drawOpaqueFullscreenQuad in white, but the texture
// replaces the colour instead of being multiplied by it, the same pixels for a
// quarter less work on a software renderer; or, where the drawing path has a
// copy of the picture (the recorder's), that copy. Blending and the texture
// environment are left as they were; the picture may be left bound.
void drawPictureFullscreen(unsigned int picture);
