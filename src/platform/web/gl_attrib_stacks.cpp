// The OpenGL attribute stacks for the browser build, whose GL emulation has
// none. They keep what the show changes between a push and its pop:
// blending and its function, the texture environment's mode and the bound
// texture; the client stack keeps the unpack alignment. Texturing itself is
// on throughout the show and is left alone.

#include <vector>

#include <GL/gl.h>

namespace {

struct ServerState {
    GLboolean blend;
    GLint blendSrc, blendDst;
    GLint envMode;
    GLint texture;
};

std::vector<ServerState> serverStack;
std::vector<GLint> clientStack;

// WebGL's names for the blend function's colour factors.
constexpr GLenum kBlendSrcRgb = 0x80C9;
constexpr GLenum kBlendDstRgb = 0x80C8;

}  // namespace

extern "C" void glPushAttrib(GLbitfield) {
    ServerState s;
    s.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(kBlendSrcRgb, &s.blendSrc);
    glGetIntegerv(kBlendDstRgb, &s.blendDst);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.envMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    serverStack.push_back(s);
}

extern "C" void glPopAttrib() {
    if (serverStack.empty()) return;
    const ServerState s = serverStack.back();
    serverStack.pop_back();
    if (s.blend) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glBlendFunc(static_cast<GLenum>(s.blendSrc), static_cast<GLenum>(s.blendDst));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, s.envMode);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(s.texture));
}

extern "C" void glPushClientAttrib(GLbitfield) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    clientStack.push_back(alignment);
}

extern "C" void glPopClientAttrib() {
    if (clientStack.empty()) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, clientStack.back());
    clientStack.pop_back();
}
