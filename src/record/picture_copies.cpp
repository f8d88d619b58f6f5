#include "record/picture_copies.h"

#include <algorithm>

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "gfx/gl_functions.h"

namespace {
PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture;
PFNGLBLITFRAMEBUFFEREXTPROC blitFramebuffer;
}  // namespace

std::vector<FramebufferPictureCopies::Kept>::iterator FramebufferPictureCopies::find(unsigned int baked) {
    return std::find_if(kept_.begin(), kept_.end(), [&](const Kept& k) { return k.baked == baked; });
}

bool FramebufferPictureCopies::keep(unsigned int baked, unsigned int copy, const int place[4]) {
    drop(baked);
    kept_.push_back(Kept{baked, copy, {place[0], place[1], place[2], place[3]}});
    return true;
}

void FramebufferPictureCopies::drop(unsigned int baked) {
    const auto i = find(baked);
    if (i == kept_.end()) return;
    const GLuint name = i->copy;
    glDeleteTextures(1, &name);
    kept_.erase(i);
}

void FramebufferPictureCopies::forget() {
    kept_.clear();
    source_ = 0;
    looked_ = false;
}

bool FramebufferPictureCopies::draw(unsigned int picture) {
    const auto kept = find(picture);
    if (kept == kept_.end()) return false;
    if (!looked_) {
        looked_ = true;
        if (loadGlFunction(genFramebuffers, "glGenFramebuffersEXT") &&
            loadGlFunction(bindFramebuffer, "glBindFramebufferEXT") &&
            loadGlFunction(framebufferTexture, "glFramebufferTexture2DEXT") &&
            loadGlFunction(blitFramebuffer, "glBlitFramebufferEXT"))
            genFramebuffers(1, &source_);
    }
    if (!source_) return false;
    const int* place = kept->place;
    GLint reading = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING_EXT, &reading);
    bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, source_);
    framebufferTexture(GL_READ_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, kept->copy, 0);
    const int x0 = place[0], y0 = place[1], x1 = place[0] + place[2], y1 = place[1] + place[3];
    blitFramebuffer(0, 0, place[2], place[3], x0, y0, x1, y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    framebufferTexture(GL_READ_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, 0, 0);
    bindFramebuffer(GL_READ_FRAMEBUFFER_EXT, static_cast<GLuint>(reading));
    return true;
}
