#include "gfx/bake.h"

#include <cstring>

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "gfx/textures.h"

#ifndef __EMSCRIPTEN__

namespace {

// The framebuffer object calls, where this GL has them.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSEXTPROC gen = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC release = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC bind = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC attach = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC status = nullptr;
    bool present = false;
};

template <class F>
bool load(F& f, const char* name) {
    f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
}

const FramebufferCalls& framebufferCalls() {
    static FramebufferCalls calls;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        // An entry point may be found for a call the driver does not have.
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        calls.present = extensions && std::strstr(extensions, "GL_EXT_framebuffer_object") &&
                        load(calls.gen, "glGenFramebuffersEXT") &&
                        load(calls.release, "glDeleteFramebuffersEXT") && load(calls.bind, "glBindFramebufferEXT") &&
                        load(calls.attach, "glFramebufferTexture2DEXT") &&
                        load(calls.status, "glCheckFramebufferStatusEXT");
    }
    return calls;
}

// Draws source over the whole of target (w x h) as a frame draws an opaque
// full-screen picture: the frame's projection, no blending, white. Puts back
// the framebuffer that was bound and every state it changes. False if target
// cannot be drawn into. The framebuffer object lives for this call only, so
// that no name outlives the GL context it was made in.
bool drawWhole(GLuint target, int w, int h, GLuint source) {
    const FramebufferCalls& gl = framebufferCalls();
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &previous);
    GLuint framebuffer = 0;
    gl.gen(1, &framebuffer);
    gl.bind(GL_FRAMEBUFFER_EXT, framebuffer);
    gl.attach(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, target, 0);
    const bool complete = gl.status(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    if (complete) {
        glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
        glViewport(0, 0, w, h);
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
        glPopAttrib();
    }
    gl.bind(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(previous));
    gl.release(1, &framebuffer);
    return complete;
}

void deleteTexture(unsigned int& name) {
    if (name) glDeleteTextures(1, &name);
    name = 0;
}

}  // namespace

bool FullscreenBake::draw(unsigned int picture) {
    deleteTexture(drawn_);
    if (!picture || !framebufferCalls().present) return false;
    GLint viewport[4], largest = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int w = viewport[2], h = viewport[3];
    if (w <= 0 || h <= 0 || w > largest || h > largest) return false;

    glPushAttrib(GL_TEXTURE_BIT);
    drawn_ = makeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE, w, h, nullptr);
    const bool drawn = drawWhole(drawn_, w, h, picture);
    glPopAttrib();
    if (!drawn) {
        deleteTexture(drawn_);
        return false;
    }
    width_ = w;
    height_ = h;
    return true;
}

unsigned int FullscreenBake::finish() {
    if (!drawn_) return 0;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    unsigned int upright = 0;
    if (viewport[2] == width_ && viewport[3] == height_) {
        // Drawn into the framebuffer the frame's way up, the first half's
        // texture, sampled nearest at its texel centres, comes out row for
        // row the other way round.
        glPushAttrib(GL_TEXTURE_BIT);
        upright = makeTexture(GL_NEAREST, GL_CLAMP_TO_EDGE, width_, height_, nullptr);
        if (!drawWhole(upright, width_, height_, drawn_)) deleteTexture(upright);
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
