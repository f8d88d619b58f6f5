// Sparks drawn by the trail into a real window and read back.
#include <cstdint>
#include <vector>

#include <SDL/SDL_opengl.h>
#include <gtest/gtest.h>

#include "gfx/textures.h"
#include "particles/particle_system.h"
#include "particles/trail.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "support/gl_context.h"

namespace {

// A still spark centred on (400, 300) with the blue palette.
SparkEmitter* stillSpark(Uint32 age) {
    SparkEmitter* s = new SparkEmitter;
    s->width = s->height = 24;
    s->position = Vector3(388, 288, 0);
    s->startMs = 0;
    s->endMs = 550;
    s->ageMs = age;
    s->palette = 2;
    return s;
}

class SparksGl : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        if (!frameTimer) frameTimer = new FrameTimer;
        if (!textures) textures = new int[kTextureSlots]();
        if (!particleSystem) particleSystem = new ParticleSystem;
        particleSystem->clear();
        tex = solidTexture(255, 255, 255, 255);
        textures[kSlotParticle] = static_cast<int>(tex);
        frameTimer->deltaMs = 0;  // nothing moves or ages
        trailCountdown = 1000;    // and no batch is due
        trailBurst = 0;
    }
    void TearDown() override {
        particleSystem->clear();
        glDeleteTextures(1, &tex);
    }
    GLuint tex = 0;
};

}  // namespace

TEST_F(SparksGl, SparksAreAddedAndBlackStaysBlackElsewhere) {
    particleSystem->emitters.push_back(stillSpark(300));
    updateAndDrawTrail();
    const auto c = readPixel(400, 300);
    EXPECT_NEAR(c[0], 0.7 * 0.1 * 255, 2);
    EXPECT_NEAR(c[1], 0.7 * 0.2 * 255, 2);
    EXPECT_NEAR(c[2], 0.7 * 0.97 * 255, 2);
    EXPECT_EQ(readPixel(416, 300), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(readPixel(100, 100), (std::array<uint8_t, 3>{0, 0, 0}));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));

    // Over a grey picture the spark adds to it rather than covering it.
    glClearColor(0.2f, 0.2f, 0.2f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    updateAndDrawTrail();
    const auto g = readPixel(400, 300);
    EXPECT_NEAR(g[0], 51 + 0.7 * 0.1 * 255, 2);
    EXPECT_NEAR(g[2], 51 + 0.7 * 0.97 * 255, 2);
    EXPECT_NEAR(readPixel(416, 300)[2], 51, 1);
}

TEST_F(SparksGl, ShrinkingSparkDrawsSmallerAboutItsCentre) {
    particleSystem->emitters.push_back(stillSpark(850));  // scale 0.5: 12 x 12
    updateAndDrawTrail();
    EXPECT_GT(readPixel(403, 297)[2], 100);
    EXPECT_EQ(readPixel(409, 300)[2], 0);
    EXPECT_EQ(readPixel(400, 291)[2], 0);
}
