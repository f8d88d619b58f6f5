#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL_opengl.h>

#include "gfx/bake.h"
#include "gfx/framebuffer_copy.h"
#include "gfx/quad.h"
#include "gfx/textures.h"
#include "support/gl_context.h"

namespace {

// A rescaled-size picture of noise, which its linear filter blurs: a bake
// that is shifted, flipped or filtered again cannot pass for it.
GLuint noisePicture() {
    PreparedPicture picture;
    picture.width = 1024;
    picture.height = 512;
    picture.format = GL_RGBA;
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    std::srand(11);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(std::rand());
    return static_cast<GLuint>(uploadPicture(picture));
}

// The whole window as a frame leaves it: the picture full-screen, opaque, at
// the given brightness.
std::vector<unsigned char> drawn(GLuint picture, float brightness) {
    resetGlFrame();
    glColor3f(brightness, brightness, brightness);
    glBindTexture(GL_TEXTURE_2D, picture);
    drawOpaqueFullscreenQuad();
    return readScreen();
}

size_t differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

class Bake : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        picture = noisePicture();
        ASSERT_NE(picture, 0u);
    }
    void TearDown() override { glDeleteTextures(1, &picture); }
    GLuint picture = 0;
};

}  // namespace

TEST_F(Bake, TheBakedPictureGivesTheFramesPixelsExactlyAndLeavesTheStateAsItWas) {
    const std::vector<unsigned char> plain = drawn(picture, 1), dimmed = drawn(picture, 0.4f);

    resetGlFrame();
    glEnable(GL_SCISSOR_TEST);  // a frame's leftovers the bake must not draw under
    glScissor(0, 0, 10, 10);
    glBindTexture(GL_TEXTURE_2D, picture);
    GLint framebufferBefore = -1;  // not always 0: SDL may draw the window through one of its own
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebufferBefore);
    FullscreenBake bake;
    ASSERT_TRUE(bake.draw(picture));
    const GLuint baked = bake.finish();
    ASSERT_NE(baked, 0u);
    ASSERT_NE(baked, picture);

    GLint bound = -1, framebuffer = -1, viewport[4];
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(bound, static_cast<GLint>(picture));
    EXPECT_EQ(framebuffer, framebufferBefore);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glDisable(GL_SCISSOR_TEST);

    const std::vector<unsigned char> bakedPlain = drawn(baked, 1), bakedDimmed = drawn(baked, 0.4f);
    EXPECT_EQ(differing(bakedPlain, plain), 0u);
    EXPECT_EQ(differing(bakedDimmed, dimmed), 0u);
    // And the noise is really there, not a blank that both sides share.
    EXPECT_GT(differing(plain, dimmed), 100000u);
    glDeleteTextures(1, &baked);
}

TEST_F(Bake, NothingComesOfAHalfDoneBakeWhenTheViewportChangesOrThereIsNoPicture) {
    FullscreenBake bake;
    EXPECT_EQ(bake.finish(), 0u) << "no first half";
    EXPECT_FALSE(bake.draw(0));
    EXPECT_EQ(bake.finish(), 0u);

    ASSERT_TRUE(bake.draw(picture));
    glViewport(0, 0, 400, 300);
    EXPECT_EQ(bake.finish(), 0u) << "a bake at another size would be drawn blocky";
    glViewport(0, 0, 800, 600);
    EXPECT_EQ(bake.finish(), 0u) << "the half-done bake is gone";
}

TEST_F(Bake, OffscreenTheKeptCopyIsCopiedInWithTheQuadsVeryPixels) {
    // Drawing into a framebuffer object, as the recorder does.
    const auto get = [](const char* name) { return SDL_GL_GetProcAddress(name); };
    const auto genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSEXTPROC>(get("glGenFramebuffersEXT"));
    const auto bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFEREXTPROC>(get("glBindFramebufferEXT"));
    const auto genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSEXTPROC>(get("glGenRenderbuffersEXT"));
    const auto bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFEREXTPROC>(get("glBindRenderbufferEXT"));
    const auto storage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEEXTPROC>(get("glRenderbufferStorageEXT"));
    const auto attach = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC>(get("glFramebufferRenderbufferEXT"));
    ASSERT_TRUE(genFramebuffers && bindFramebuffer && genRenderbuffers && bindRenderbuffer && storage && attach);
    GLint windowFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &windowFramebuffer);

    // In the window no copy is kept: there it would cost what the quad does.
    FullscreenBake bake;
    ASSERT_TRUE(bake.draw(picture));
    const GLuint inWindow = bake.finish(true);
    ASSERT_NE(inWindow, 0u);
    glBindTexture(GL_TEXTURE_2D, inWindow);
    EXPECT_FALSE(copyBoundPicture());
    glDeleteTextures(1, &inWindow);

    GLuint framebuffer = 0, colour = 0;
    genFramebuffers(1, &framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, framebuffer);
    genRenderbuffers(1, &colour);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, colour);
    storage(GL_RENDERBUFFER_EXT, GL_RGBA8, 800, 600);
    attach(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    const auto frame = [&](GLuint texture, bool copy, bool& copied) {
        resetGlFrame();
        glBindTexture(GL_TEXTURE_2D, texture);
        if (!copy) glEnable(GL_SCISSOR_TEST);  // a copy would not heed it: the quad is drawn
        glScissor(0, 0, 800, 600);
        drawPictureFullscreen();
        glBindTexture(GL_TEXTURE_2D, texture);
        copied = copyBoundPicture();  // again, to hear whether it could
        glDisable(GL_SCISSOR_TEST);
        std::vector<unsigned char> pixels(800 * 600 * 4);
        glFinish();
        glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };

    resetGlFrame();
    ASSERT_TRUE(bake.draw(picture));
    const GLuint baked = bake.finish(true);
    ASSERT_NE(baked, 0u);
    bool copied = false;
    const std::vector<unsigned char> quad = frame(baked, false, copied);
    EXPECT_FALSE(copied);
    const std::vector<unsigned char> copy = frame(baked, true, copied);
    EXPECT_TRUE(copied);
    EXPECT_EQ(differing(copy, quad), 0u);
    bool original = false;
    EXPECT_GT(differing(frame(picture, true, original), std::vector<unsigned char>(quad.size())), 100000u);
    EXPECT_FALSE(original) << "only a baked picture has a copy";

    // Deleted with its picture, the copy is no longer there to be copied.
    deleteFramebufferCopy(baked);
    glBindTexture(GL_TEXTURE_2D, baked);
    EXPECT_FALSE(copyBoundPicture());
    glDeleteTextures(1, &baked);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(windowFramebuffer));
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
}
