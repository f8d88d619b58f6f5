#include "gfx/bake.h"

#include <algorithm>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "core/drawing_area.h"
#include "gfx/quad.h"
#include "gfx/textures.h"

#ifndef __EMSCRIPTEN__

namespace {

// The layout in which the buffer the frames are drawn into keeps its pixels,
// so that reading it back, and copying a texture of that layout into it, is
// a plain copy: BGRA for a window's buffers (the X visuals' order), RGBA for
// a framebuffer object's RGBA8 renderbuffer (Mesa's order for it).
GLenum bufferLayout() { return drawingPath().offscreen ? GL_RGBA : GL_BGRA; }

// Draws source over the viewport as a frame draws an opaque full-screen
// picture (the frame's projection, no blending, white), into the buffer the
// frames are drawn into, and reads what it drew back into target, a texture
// the viewport's size: bottom row first, as GL reads a framebuffer. Puts back
// every state it changes. (Read back through memory: a copy on the renderer
// would build it a program of its own, 40 ms on a software one.)
void drawAndCopy(GLuint target, const GLint viewport[4], GLuint source) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, source);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    drawFullscreenQuad();
    glPopMatrix();
    // Read back from where it was drawn, in that buffer's own layout, so that
    // the pixels are copied rather than converted.
    GLint drawBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glReadBuffer(static_cast<GLenum>(drawBuffer));
    const GLenum layout = bufferLayout();
    std::vector<unsigned char> pixels(static_cast<size_t>(viewport[2]) * viewport[3] * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], layout, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, target);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[2], viewport[3], layout, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    glPopAttrib();
}

void deleteTexture(unsigned int& name) {
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

// Kept in the layout of the buffer the frames are drawn into, so that its
// texels are that buffer's pixels byte for byte, and a copy either way is a
// plain one.
GLuint viewportTexture(const GLint viewport[4]) {
    glPushAttrib(GL_TEXTURE_BIT);
    const GLuint name =
        makeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE, viewport[2], viewport[3], nullptr, static_cast<int>(bufferLayout()));
    glPopAttrib();
    return name;
}

}  // namespace

void FullscreenBake::copyInto(unsigned int target, unsigned int source) {
    glPushAttrib(GL_TEXTURE_BIT);
    drawAndCopy(target, viewport_, source);
    glPopAttrib();
}

bool FullscreenBake::viewportUnchanged() const {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    return std::equal(viewport, viewport + 4, viewport_);
}

bool FullscreenBake::draw(unsigned int picture) {
    deleteTexture(drawn_);
    if (!picture) return false;
    const int largest = drawingPath().largestTexture;
    glGetIntegerv(GL_VIEWPORT, viewport_);
    const int w = viewport_[2], h = viewport_[3];
    if (w <= 0 || h <= 0 || w > largest || h > largest) return false;
    drawn_ = viewportTexture(viewport_);
    copyInto(drawn_, picture);
    return true;
}

unsigned int FullscreenBake::finish(bool keepCopy) {
    if (!drawn_) return 0;
    unsigned int upright = 0;
    if (viewportUnchanged()) {
        // Drawn as a picture, top row at the top, the first half's texture
        // comes out upside down, texel for texel (nearest, at its texel
        // centres); read back bottom row first, that is the right way up.
        upright = viewportTexture(viewport_);
        copyInto(upright, drawn_);
    }
    PictureCopies* copies = drawingPath().copies;
    if (upright && keepCopy && copies && copies->keep(upright, drawn_, viewport_)) drawn_ = 0;
    deleteTexture(drawn_);
    return upright;
}

void FullscreenBake::forget() { drawn_ = 0; }

#else

// The browser draws on the machine's graphics hardware, where filtering costs
// nothing worth saving.
bool FullscreenBake::draw(unsigned int) { return false; }
unsigned int FullscreenBake::finish(bool) { return 0; }
void FullscreenBake::forget() {}

#endif
