#pragma once
// Framebuffer copies of baked pictures.
//
// A baked picture (gfx/bake.h) is a texture the size of the viewport that a
// frame draws texel for texel. Its framebuffer copy holds the same pixels in
// the layout and row order of the buffer the frames are drawn into, so that
// a frame can copy it in (glBlitFramebuffer, a plain memory copy on a
// software renderer) instead of shading a full-screen quad of it.

// Keeps copy as the framebuffer copy of baked, made for the viewport place
// (x, y, width, height in the buffer's pixels); the copy is this module's
// from here on.
void keepFramebufferCopy(unsigned int baked, unsigned int copy, const int place[4]);
// Deletes the framebuffer copy of a baked texture about to be deleted.
void deleteFramebufferCopy(unsigned int baked);
// Lets go of every copy without deleting them: for a GL context that is gone.
void forgetFramebufferCopies();

// Copies the framebuffer copy of the bound texture into the frame, where
// there is one, the viewport is still the one it was made for, and nothing
// that a quad would obey and a copy would not is switched on (the scissor,
// the stencil, depth and alpha tests, a colour mask): the very pixels the
// quad of the bound texture gives. False, with nothing done, otherwise.
bool copyBoundPicture();
