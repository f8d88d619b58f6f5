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
//
// Only rows [row0, row0 + rows) of the viewport (from the bottom) when that is
// less than all of them: drawn under the scissor, which leaves every pixel in
// them as the whole picture gives it, and read into the same rows.
void drawAndCopy(GLuint target, const GLint viewport[4], GLuint source, int row0, int rows) {
    const bool band = rows < viewport[3];
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT |
                 GL_SCISSOR_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    if (band) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(viewport[0], viewport[1] + row0, viewport[2], rows);
    }
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
    std::vector<unsigned char> pixels(static_cast<size_t>(viewport[2]) * rows * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glReadPixels(viewport[0], viewport[1] + row0, viewport[2], rows, layout, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, target);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row0, viewport[2], rows, layout, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    glPopAttrib();
}

void deleteTexture(unsigned int& name) {
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

// Rows a band of a viewport w x h: all of them up to 800 x 600 pixels, and
// otherwise an even share that keeps each band near that many.
int bandRows(int w, int h) {
    const long long pixels = static_cast<long long>(w) * h, most = 800 * 600;
    const long long bands = (pixels + most - 1) / most;
    return static_cast<int>((h + bands - 1) / bands);
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

bool FullscreenBake::start(unsigned int picture) {
    deleteTexture(drawn_);
    deleteTexture(upright_);
    row_ = 0;
    if (!picture) return false;
    const int largest = drawingPath().largestTexture;
    glGetIntegerv(GL_VIEWPORT, viewport_);
    const int w = viewport_[2], h = viewport_[3];
    if (w <= 0 || h <= 0 || w > largest || h > largest) return false;
    drawn_ = viewportTexture(viewport_);
    return true;
}

void FullscreenBake::copyRows(unsigned int target, unsigned int source, int row0, int rows) {
    glPushAttrib(GL_TEXTURE_BIT);
    drawAndCopy(target, viewport_, source, row0, rows);
    glPopAttrib();
}

bool FullscreenBake::copyBand(unsigned int target, unsigned int source) {
    const int rows = std::min(bandRows(viewport_[2], viewport_[3]), viewport_[3] - row_);
    copyRows(target, source, row_, rows);
    row_ += rows;
    if (row_ < viewport_[3]) return false;
    row_ = 0;
    return true;
}

bool FullscreenBake::viewportUnchanged() const {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    return std::equal(viewport, viewport + 4, viewport_);
}

bool FullscreenBake::draw(unsigned int picture) {
    if (!start(picture)) return false;
    copyRows(drawn_, picture, 0, viewport_[3]);
    return true;
}

unsigned int FullscreenBake::finished(unsigned int upright, bool keepCopy) {
    PictureCopies* copies = drawingPath().copies;
    if (upright && keepCopy && copies && copies->keep(upright, drawn_, viewport_)) drawn_ = 0;
    deleteTexture(drawn_);
    return upright;
}

unsigned int FullscreenBake::finish(bool keepCopy) {
    deleteTexture(upright_);
    row_ = 0;
    if (!drawn_) return 0;
    unsigned int upright = 0;
    if (viewportUnchanged()) {
        // Drawn as a picture, top row at the top, the first half's texture
        // comes out upside down, texel for texel (nearest, at its texel
        // centres); read back bottom row first, that is the right way up.
        upright = viewportTexture(viewport_);
        copyRows(upright, drawn_, 0, viewport_[3]);
    }
    return finished(upright, keepCopy);
}

bool FullscreenBake::drawPart(unsigned int picture) {
    if (row_ == 0 && !upright_) {
        if (!start(picture)) return true;  // nothing to bake: finishPart gives 0
    } else if (!viewportUnchanged()) {
        deleteTexture(drawn_);
        row_ = 0;
        return true;
    }
    return copyBand(drawn_, picture);
}

bool FullscreenBake::finishPart(unsigned int& baked, bool keepCopy) {
    baked = 0;
    if (!drawn_ || !viewportUnchanged()) {
        deleteTexture(drawn_);
        deleteTexture(upright_);
        row_ = 0;
        return true;
    }
    if (!upright_) upright_ = viewportTexture(viewport_);
    if (!copyBand(upright_, drawn_)) return false;
    baked = finished(upright_, keepCopy);
    upright_ = 0;
    return true;
}

void FullscreenBake::forget() {
    drawn_ = upright_ = 0;
    row_ = 0;
}

#else

// The browser draws on the machine's graphics hardware, where filtering costs
// nothing worth saving.
bool FullscreenBake::draw(unsigned int) { return false; }
unsigned int FullscreenBake::finish(bool) { return 0; }
bool FullscreenBake::drawPart(unsigned int) { return true; }
bool FullscreenBake::finishPart(unsigned int& baked, bool) {
    baked = 0;
    return true;
}
void FullscreenBake::forget() {}

#endif
