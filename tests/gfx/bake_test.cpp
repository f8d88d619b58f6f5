#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL_opengl.h>

#include "gfx/bake.h"
#include "gfx/quad.h"
#include "gfx/textures.h"
#include "support/gl_context.h"

namespace {

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

