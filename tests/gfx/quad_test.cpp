#include <array>
#include <cmath>

#include <gtest/gtest.h>
#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "gfx/textures.h"
#include "gfx/window.h"
#include "pictures.h"
#include "support/gl_context.h"

namespace {

using Px = std::array<uint8_t, 3>;
const Px kWhite{255, 255, 255}, kBlack{0, 0, 0};

bool lit(int x, int y) { return readPixel(x, y) != kBlack; }

class Quads : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
    }
};

}  // namespace

TEST_F(Quads, TexturedQuadCoversExactlyItsRectangle) {
    EXPECT_TRUE(drawTexturedQuad(Rect(384, 372, 256, 128), 0, Rect(0, 0, 512, 512), 0, 1, 0));
    // Pixel centres x 384..639, y 372..499 are inside; nothing beyond.
    EXPECT_EQ(readPixel(384, 372), kWhite);
    EXPECT_EQ(readPixel(639, 372), kWhite);
    EXPECT_EQ(readPixel(384, 499), kWhite);
    EXPECT_EQ(readPixel(639, 499), kWhite);
    EXPECT_EQ(readPixel(383, 400), kBlack);
    EXPECT_EQ(readPixel(640, 400), kBlack);
    EXPECT_EQ(readPixel(500, 371), kBlack);
    EXPECT_EQ(readPixel(500, 500), kBlack);
    // The model-view matrix comes back unchanged.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

TEST_F(Quads, OddSizesLoseAPixelAndFractionalDepthIsTruncated) {
    // 31 x 29 draws 30 x 28; z 0.9 draws at depth 0, inside the clip range.
    drawTexturedQuad(Rect(709, 550, 31, 29), 0, Rect(384, 384, 31, 29), 0, 1, 0.9f);
    EXPECT_EQ(readPixel(709, 550), kWhite);
    EXPECT_EQ(readPixel(738, 577), kWhite);
    EXPECT_EQ(readPixel(739, 560), kBlack);
    EXPECT_EQ(readPixel(720, 578), kBlack);
    // z 2.5 is 2, outside the pixel projection's depth range.
    resetGlFrame();
    drawTexturedQuad(Rect(100, 100, 50, 50), 0, Rect(0, 0, 512, 512), 0, 1, 2.5f);
    EXPECT_EQ(readPixel(125, 125), kBlack);
}

TEST_F(Quads, ScaleAndAngleTurnAboutTheCentre) {
    drawTexturedQuad(Rect(384, 372, 256, 128), 0, Rect(0, 0, 512, 512), 0, 2, 0);
    // Doubled about (512, 436): x 256..767, y 308..563.
    EXPECT_TRUE(lit(257, 309));
    EXPECT_TRUE(lit(766, 562));
    EXPECT_FALSE(lit(254, 436));
    EXPECT_FALSE(lit(769, 436));
    EXPECT_FALSE(lit(512, 306));
    EXPECT_FALSE(lit(512, 565));

    resetGlFrame();
    drawTexturedQuad(Rect(384, 372, 256, 128), 0, Rect(0, 0, 512, 512), 90, 1, 0);
    // A quarter turn: 128 wide, 256 tall about the same centre.
    EXPECT_TRUE(lit(450, 310));
    EXPECT_TRUE(lit(573, 561));
    EXPECT_FALSE(lit(445, 436));
    EXPECT_FALSE(lit(579, 436));
    EXPECT_FALSE(lit(400, 436));
    EXPECT_FALSE(lit(512, 305));
}

TEST_F(Quads, SourceRectanglePicksTexelsUprightAndPositiveAnglesTurnClockwise) {
    // 512 x 512 picture: top left red, top right green, bottom left blue, bottom right white.
    std::vector<uint8_t> px(512 * 512 * 3);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            uint8_t* p = &px[(y * 512 + x) * 3];
            const bool right = x >= 256, bottom = y >= 256;
            p[0] = (!bottom && !right) || (bottom && right) ? 255 : 0;
            p[1] = (!bottom && right) || (bottom && right) ? 255 : 0;
            p[2] = bottom ? 255 : 0;
        }
    const std::string dir = makeTempDir();
    writePng(dir + "/quadrants.png", 512, 512, kPngRgb, px);
    const int tex = loadTexture((dir + "/quadrants.png").c_str());
    removeTree(dir);
    ASSERT_NE(tex, 0);

    resetGlFrame();
    drawTexturedQuad(Rect(100, 100, 200, 200), tex, Rect(256, 0, 256, 256), 0, 1, 0);
    EXPECT_EQ(readPixel(200, 200), (Px{0, 255, 0}));

    resetGlFrame();
    drawTexturedQuad(Rect(100, 100, 200, 200), tex, Rect(0, 0, 512, 512), 0, 1, 0);
    EXPECT_EQ(readPixel(120, 120), (Px{255, 0, 0}));
    EXPECT_EQ(readPixel(280, 120), (Px{0, 255, 0}));
    EXPECT_EQ(readPixel(120, 280), (Px{0, 0, 255}));
    EXPECT_EQ(readPixel(280, 280), kWhite);

    // Turned 90 degrees clockwise: the top left corner of the picture goes to the top right.
    resetGlFrame();
    drawTexturedQuad(Rect(100, 100, 200, 200), tex, Rect(0, 0, 512, 512), 90, 1, 0);
    EXPECT_EQ(readPixel(280, 120), (Px{255, 0, 0}));
    EXPECT_EQ(readPixel(280, 280), (Px{0, 255, 0}));
    EXPECT_EQ(readPixel(120, 120), (Px{0, 0, 255}));

    // The quad uses the current colour and leaves the texture bound and enabled.
    resetGlFrame();
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 0, 1);
    drawTexturedQuad(Rect(100, 100, 200, 200), tex, Rect(0, 0, 512, 512), 0, 1, 0);
    EXPECT_EQ(readPixel(280, 280), (Px{255, 0, 255}));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, tex);

    GLuint name = tex;
    glDeleteTextures(1, &name);
}

TEST_F(Quads, FullscreenQuadCoversTheWholeWindow) {
    glColor3f(0, 1, 0);
    drawFullscreenQuad();
    for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}})
        EXPECT_EQ(readPixel(x, y), (Px{0, 255, 0})) << x << "," << y;
}

TEST_F(Quads, PixelProjectionCornersAndPushPopRoundTrip) {
    // (0,0) is the top left corner and (800,600) the bottom right one.
    glBindTexture(GL_TEXTURE_2D, 0);
    glBegin(GL_QUADS);
    glVertex2f(0, 0), glVertex2f(2, 0), glVertex2f(2, 2), glVertex2f(0, 2);
    glVertex2f(798, 598), glVertex2f(800, 598), glVertex2f(800, 600), glVertex2f(798, 600);
    glEnd();
    EXPECT_EQ(readPixel(0, 0), kWhite);
    EXPECT_EQ(readPixel(1, 1), kWhite);
    EXPECT_EQ(readPixel(3, 3), kBlack);
    EXPECT_EQ(readPixel(799, 599), kWhite);
    EXPECT_EQ(readPixel(796, 596), kBlack);

    GLfloat proj[16], model[16], proj2[16], model2[16];
    glTranslatef(3, 4, 0);
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    pushOrtho2D(320, 200);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetFloatv(GL_MODELVIEW_MATRIX, model2);
    EXPECT_FLOAT_EQ(model2[12], 0.0f);
    glGetFloatv(GL_PROJECTION_MATRIX, proj2);
    EXPECT_FLOAT_EQ(proj2[0], 2.0f / 320);
    EXPECT_FLOAT_EQ(proj2[5], -2.0f / 200);
    popOrtho2D();
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetFloatv(GL_PROJECTION_MATRIX, proj2);
    glGetFloatv(GL_MODELVIEW_MATRIX, model2);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(proj2[i], proj[i]) << i;
        EXPECT_FLOAT_EQ(model2[i], model[i]) << i;
    }

    // Below the pixel projection lies the 3D one of initGl: 60 degrees, 4:3, 10..1500.
    popOrtho2D();
    glGetFloatv(GL_PROJECTION_MATRIX, proj2);
    const float f = 1.0f / std::tan(30.0f * 3.14159265f / 180.0f);
    EXPECT_NEAR(proj2[5], f, 1e-4);
    EXPECT_NEAR(proj2[0], f * 3 / 4, 1e-4);
    EXPECT_NEAR(proj2[10], -(1500.0f + 10) / (1500 - 10), 1e-4);
    pushOrtho2D(800, 600);
}
