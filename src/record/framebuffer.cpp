#include "record/framebuffer.h"

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>

#include "gfx/gl_functions.h"

namespace {
PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
}  // namespace

bool Framebuffer::create(int width, int height, std::string& error) {
    if (!loadGlFunction(genFramebuffers, "glGenFramebuffersEXT") ||
        !loadGlFunction(bindFramebuffer, "glBindFramebufferEXT") ||
        !loadGlFunction(deleteFramebuffers, "glDeleteFramebuffersEXT") ||
        !loadGlFunction(genRenderbuffers, "glGenRenderbuffersEXT") ||
        !loadGlFunction(bindRenderbuffer, "glBindRenderbufferEXT") ||
        !loadGlFunction(deleteRenderbuffers, "glDeleteRenderbuffersEXT") ||
        !loadGlFunction(renderbufferStorage, "glRenderbufferStorageEXT") ||
        !loadGlFunction(framebufferRenderbuffer, "glFramebufferRenderbufferEXT") ||
        !loadGlFunction(checkFramebufferStatus, "glCheckFramebufferStatusEXT")) {
        error = "this OpenGL has no framebuffer objects";
        return false;
    }
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &largest);
    if (width > largest || height > largest) {
        error = "this OpenGL draws at most " + std::to_string(largest) + " pixels a side";
        return false;
    }
    width_ = width;
    height_ = height;
    genFramebuffers(1, &fbo_);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, fbo_);
    genRenderbuffers(1, &colour_);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, colour_);
    renderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour_);
    genRenderbuffers(1, &depth_);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, depth_);
    // With a stencil buffer, as the show's window has, the slide wipe takes
    // its cheaper way; without one it still draws the same picture.
    renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth_);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth_);
    if (checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, 0);
        renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT16, width, height);
        framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth_);
    }
    if (checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        error = "cannot draw into an offscreen framebuffer of " + std::to_string(width) + " x " +
                std::to_string(height);
        destroy();
        return false;
    }
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    pixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    return true;
}

void Framebuffer::destroy() {
    if (!fbo_) return;
    bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    deleteRenderbuffers(1, &colour_);
    deleteRenderbuffers(1, &depth_);
    deleteFramebuffers(1, &fbo_);
    fbo_ = colour_ = depth_ = 0;
}

const std::vector<uint8_t>& Framebuffer::read() {
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
    return pixels_;
}
