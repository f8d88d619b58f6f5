#include "gfx/bake.h"

#include <algorithm>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "gfx/textures.h"

#ifndef __EMSCRIPTEN__

namespace {

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
    // Read back from where it was drawn, in the layout window buffers
    // usually have, so that the pixels are copied rather than converted.
    GLint drawBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glReadBuffer(static_cast<GLenum>(drawBuffer));
    std::vector<unsigned char> pixels(static_cast<size_t>(viewport[2]) * viewport[3] * 4);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, target);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[2], viewport[3], GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    glPopAttrib();
}

void deleteTexture(unsigned int& name) {
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

}  // namespace

bool FullscreenBake::draw(unsigned int picture) {
    deleteTexture(drawn_);
    if (!picture) return false;
    GLint largest = 0;
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int w = viewport_[2], h = viewport_[3];
    if (w <= 0 || h <= 0 || w > largest || h > largest) return false;

    glPushAttrib(GL_TEXTURE_BIT);
    drawn_ = makeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE, w, h, nullptr);
    drawAndCopy(drawn_, viewport_, picture);
    glPopAttrib();
    return true;
}

unsigned int FullscreenBake::finish() {
    if (!drawn_) return 0;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    unsigned int upright = 0;
    if (std::equal(viewport, viewport + 4, viewport_)) {
        // Drawn as a picture, top row at the top, the first half's texture
        // comes out upside down, texel for texel (nearest, at its texel
        // centres); read back bottom row first, that is the right way up.
        glPushAttrib(GL_TEXTURE_BIT);
        upright = makeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE, viewport[2], viewport[3], nullptr);
        drawAndCopy(upright, viewport, drawn_);
        glPopAttrib();
    }
    deleteTexture(drawn_);
    return upright;
}

#else

// The browser draws on the machine's graphics hardware, where filtering costs
// nothing worth saving.
bool FullscreenBake::draw(unsigned int) { return false; }
unsigned int FullscreenBake::finish() { return 0; }

#endif
