// The transition, the overlay and the glows drawn into a real window and read back.
#include <cstdint>
#include <vector>

#include <SDL/SDL_opengl.h>
#include <gtest/gtest.h>

#include "gfx/textures.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "slides/ambient.h"
#include "slides/overlay.h"
#include "slides/transition.h"
#include "support/gl_context.h"

namespace {

using Rgb = std::array<uint8_t, 3>;
const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};

class SlidesGl : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        if (!frameTimer) frameTimer = new FrameTimer;
        frameTimer->deltaMs = 0;
        frameTimer->deltaSeconds = 0;
        frameTimer->lastTicks = 0;
        if (!textures) textures = new int[kTextureSlots]();
        if (!slideTransition) slideTransition = new SlideTransition;
        red = solidTexture(255, 0, 0, 255);
        green = solidTexture(0, 255, 0, 255);
        blue = solidTexture(0, 0, 255, 255);
        clear = solidTexture(255, 255, 255, 0);
        white = solidTexture(255, 255, 255, 255);
    }
    void TearDown() override {
        const GLuint names[] = {red, green, blue, clear, white};
        glDeleteTextures(5, names);
    }
    GLuint red = 0, green = 0, blue = 0, clear = 0, white = 0;
};

}  // namespace

TEST_F(SlidesGl, TransitionShowsTheNewPictureInsideTheDisc) {
    SlideTransition t;
    frameTimer->deltaSeconds = 1.25f;
    t.start(2.5f, red, green);
    t.centreJitter = 5;  // centre (400, 300); half-way: radius 340, rim 235.5 .. 444.5
    ASSERT_TRUE(t.draw());
    EXPECT_EQ(readPixel(400, 300), kGreen);
    EXPECT_EQ(readPixel(400, 500), kGreen);
    EXPECT_EQ(readPixel(200, 300), kGreen);
    EXPECT_EQ(readPixel(3, 3), kRed);
    EXPECT_EQ(readPixel(796, 596), kRed);
    EXPECT_EQ(readPixel(3, 596), kRed);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), green);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // The centred variant ignores the jitter.
    resetGlFrame();
    frameTimer->deltaSeconds = 0.2f;
    t.start(1.05f, red, green);
    t.centreJitter = 0;
    ASSERT_TRUE(t.drawCentred());
    EXPECT_EQ(t.centreJitter, 0.0f);
    EXPECT_EQ(readPixel(400, 300), kGreen);
    EXPECT_EQ(readPixel(225, 125), kRed);
}

TEST_F(SlidesGl, AWipeNeverShowsTheNewPictureWhereAnEarlierFrameHadItsDisc) {
    GLint stencilBits = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
    ASSERT_GE(stencilBits, 8);  // the window asks for one; the path without is checked apart
    // One frame of a large disc, then as many of a small one as there are
    // stencil marks, so that the large disc's mark comes round again: where
    // only the large disc reached, the picture being left must show.
    SlideTransition t;
    t.centreJitter = 5;  // centre (400, 300)
    t.duration = 2.5f;
    t.fromTexture = red;
    t.toTexture = green;
    t.remaining = 0.25f;  // radius 612
    t.drawFrame(false);
    ASSERT_EQ(readPixel(780, 300), kGreen);
    t.remaining = 1.6f;  // radius 244, its rim within 349 of the centre, a hole in the middle
    for (int frame = 0; frame < 256; ++frame) {
        t.drawFrame(false);
        ASSERT_EQ(readPixel(780, 300), kRed) << "frame " << frame;
        ASSERT_EQ(readPixel(400, 300), kGreen) << "frame " << frame;
    }
}

TEST_F(SlidesGl, TransitionDraws125FramesOf20MsThenStops) {
    SlideTransition t;
    frameTimer->deltaSeconds = 0.02f;
    t.start(2.5f, red, green);
    for (int call = 1; call <= 125; ++call) ASSERT_TRUE(t.draw()) << call;
    EXPECT_GT(t.remaining, 0);
    EXPECT_LT(t.remaining, 1e-5);
    EXPECT_EQ(transitionRadius(t.remaining, t.duration), 679);

    resetGlFrame();
    EXPECT_FALSE(t.draw());
    EXPECT_EQ(t.remaining, 0.0f);
    EXPECT_EQ(readPixel(400, 300), kBlack);  // nothing drawn once idle
    EXPECT_EQ(readPixel(10, 10), kBlack);
}

TEST_F(SlidesGl, ChefStandsInItsCornerAtRest) {
    textures[kSlotChef] = static_cast<int>(red);
    textures[kSlotBubble] = static_cast<int>(clear);
    for (int k = 0; k < 7; ++k) textures[kSlotFirstCaption + k] = static_cast<int>(clear);
    slideTransition->duration = -1;
    slideTransition->remaining = 0;

    drawSlideOverlay(0);
    for (auto p : {std::make_pair(103, 403), {200, 500}, {296, 596}}) EXPECT_EQ(readPixel(p.first, p.second), kRed);
    for (auto p : {std::make_pair(96, 500), {200, 396}, {303, 500}, {500, 500}})
        EXPECT_EQ(readPixel(p.first, p.second), kBlack) << p.first << "," << p.second;

    resetGlFrame();
    drawSlideOverlay(1);
    for (auto p : {std::make_pair(453, 403), {550, 500}, {646, 596}}) EXPECT_EQ(readPixel(p.first, p.second), kRed);
    for (auto p : {std::make_pair(446, 500), {550, 396}, {653, 500}, {200, 500}})
        EXPECT_EQ(readPixel(p.first, p.second), kBlack) << p.first << "," << p.second;
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(SlidesGl, BubbleAndCaptionOverTheChef) {
    textures[kSlotChef] = static_cast<int>(red);
    textures[kSlotBubble] = static_cast<int>(green);
    for (int k = 0; k < 7; ++k) textures[kSlotFirstCaption + k] = static_cast<int>(blue);

    // At rest: the caption, tilted 10 degrees, covers the bubble's middle but not its corner.
    slideTransition->duration = 2.5f;
    slideTransition->remaining = 0;
    drawSlideOverlay(0);
    EXPECT_EQ(readPixel(315, 450), kBlue);
    EXPECT_EQ(readPixel(219, 354), kGreen);
    EXPECT_EQ(readPixel(150, 500), kRed);

    // 0.2 s before the end: chef at y 403, bubble a quarter open, no caption.
    resetGlFrame();
    slideTransition->remaining = 0.2f;
    drawSlideOverlay(0);
    EXPECT_EQ(readPixel(200, 401), kBlack);
    EXPECT_EQ(readPixel(200, 406), kRed);
    EXPECT_EQ(readPixel(315, 453), kGreen);
    EXPECT_EQ(readPixel(250, 440), kRed);
    EXPECT_EQ(readPixel(350, 453), kBlack);
}

TEST_F(SlidesGl, GlowsAddOntoThePicture) {
    textures[kSlotParticle] = static_cast<int>(white);
    if (!ambientGlows) ambientGlows = new Vector3[kAmbientGlowCount];
    for (int i = 0; i < kAmbientGlowCount; ++i) ambientGlows[i] = Vector3(-200, 300, 0);
    ambientGlows[0] = Vector3(100, 100, 0);  // unrotated and unbobbed at tick 0

    glClearColor(0.2f, 0.2f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    drawAmbientGlows(0);
    EXPECT_NEAR(readPixel(115, 115)[0], 51 + 161, 2);  // 0.2 + 0.63, added
    EXPECT_NEAR(readPixel(103, 127)[2], 51 + 161, 2);
    EXPECT_NEAR(readPixel(300, 300)[1], 51, 1);
    EXPECT_NEAR(readPixel(133, 115)[1], 51, 1);
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1);

    // The Scroller look is dimmer; black stays black away from the glows.
    resetGlFrame();
    ambientGlows[0] = Vector3(100, 100, 0);
    drawAmbientGlows(5);
    EXPECT_NEAR(readPixel(115, 115)[0], 77, 2);
    EXPECT_EQ(readPixel(300, 300), kBlack);
    EXPECT_EQ(readPixel(5, 300), kBlack);
}
