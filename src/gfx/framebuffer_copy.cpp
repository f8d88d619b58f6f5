#include "gfx/framebuffer_copy.h"

#include <algorithm>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "gfx/gl_functions.h"

namespace {

struct KeptCopy {
    unsigned int baked, copy;
    int place[4];
};
std::vector<KeptCopy> keptCopies;

// The framebuffer that the copies are read from, one at a time, made with
// the first copy into a frame.
GLuint source = 0;
bool looked = false;

std::vector<KeptCopy>::iterator keptCopyOf(unsigned int baked) {
    return std::find_if(keptCopies.begin(), keptCopies.end(),
                        [&](const KeptCopy& kept) { return kept.baked == baked; });
}

}  // namespace

void keepFramebufferCopy(unsigned int baked, unsigned int copy, const int place[4]) {
    deleteFramebufferCopy(baked);
    KeptCopy kept{baked, copy, {place[0], place[1], place[2], place[3]}};
    keptCopies.push_back(kept);
}

void deleteFramebufferCopy(unsigned int baked) {
    const auto i = keptCopyOf(baked);
    if (i == keptCopies.end()) return;
    const GLuint name = i->copy;
    glDeleteTextures(1, &name);
    keptCopies.erase(i);
}

void forgetFramebufferCopies() {
    keptCopies.clear();
    source = 0;
    looked = false;
}

#ifndef __EMSCRIPTEN__

bool copyBoundPicture() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const auto kept = keptCopyOf(static_cast<unsigned int>(bound));
    if (kept == keptCopies.end()) return false;
    const int* place = kept->place;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int i = 0; i < 4; ++i)
        if (viewport[i] != place[i]) return false;
    if (glIsEnabled(GL_SCISSOR_TEST) || glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_DEPTH_TEST) ||
        glIsEnabled(GL_ALPHA_TEST))
        return false;
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    if (!mask[0] || !mask[1] || !mask[2] || !mask[3]) return false;

    static PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    static PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    static PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture;
    static PFNGLBLITFRAMEBUFFEREXTPROC blitFramebuffer;
    if (!looked) {
        looked = true;
        if (loadGlFunction(genFramebuffers, "glGenFramebuffersEXT") &&
            loadGlFunction(bindFramebuffer, "glBindFramebufferEXT") &&
            loadGlFunction(framebufferTexture, "glFramebufferTexture2DEXT") &&
            loadGlFunction(blitFramebuffer, "glBlitFramebufferEXT"))
            genFramebuffers(1, &source);
    }
    if (!source) return false;
    GLint reading = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING_EXT, &reading);
    bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, source);
    framebufferTexture(GL_READ_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, kept->copy, 0);
    const int x0 = place[0], y0 = place[1], x1 = place[0] + place[2], y1 = place[1] + place[3];
    blitFramebuffer(0, 0, place[2], place[3], x0, y0, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    framebufferTexture(GL_READ_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, 0, 0);
    bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, static_cast<GLuint>(reading));
    return true;
}
#else

// The browser bakes nothing.
bool copyBoundPicture() { return false; }

#endif
