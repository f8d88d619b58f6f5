#include "text/scroller.h"


#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <SDL/SDL_opengl.h>
#include <gtest/gtest.h>

#include "gfx/quad.h"
#include "gfx/textures.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "support/gl_context.h"
#include "support/show_font.h"
#include "text/glyph_font.h"

TEST(ScrollerLines, WindowOfDrawnLinesFollowsThePosition) {
    LineWindow w = scrollLineWindow(0);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.last, 11);
    for (int i = 0; i <= 10; ++i) EXPECT_EQ(scrollLineY(i, 0), 300 + 30 * i) << i;

    EXPECT_EQ(scrollLineWindow(1499).first, 0);
    // The single-precision factor lies just below 0.02: at exactly 1500 the
    // first line is still in the window, and leaves it just after.
    EXPECT_EQ(scrollLineWindow(1500).first, 0);
    EXPECT_EQ(scrollLineWindow(1501).first, 1);
    EXPECT_EQ(scrollLineWindow(1501).last, 12);
    EXPECT_EQ(scrollLineY(1, 1501), 299);

    w = scrollLineWindow(429750);
    EXPECT_EQ(w.first, 286);
    EXPECT_EQ(w.last, 287);
    EXPECT_EQ(scrollLineY(286, 429750), 285);

    // A window clipped at the table's end: the last eleven start at 276.
    w = scrollLineWindow(414001);
    EXPECT_EQ(w.first, 276);
    EXPECT_EQ(w.last, 287);

    for (float past : {431000.0f, 500000.0f, 1.0e9f}) {
        w = scrollLineWindow(past);
        EXPECT_GE(w.first, w.last) << past;  // nothing drawn
    }

    w = scrollLineWindow(-20000);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.last, 11);
    EXPECT_EQ(scrollLineY(0, -20000), 700);

    // The starting position: lines 0..10 from y = 540 down, the separator at 570.
    w = scrollLineWindow(-12000);
    EXPECT_EQ(w.first, 0);
    EXPECT_EQ(w.last, 11);
    EXPECT_EQ(scrollLineY(0, -12000), 540);
    EXPECT_EQ(scrollLineY(1, -12000), 570);
    // The welcome line reaches the bottom edge after 1500 units.
    EXPECT_EQ(scrollLineY(3, -10500), 600);
}

TEST(ScrollerMotion, FrameTimeTimesSpeedMovesTheText) {
    const float start = 3000;
    const float up = advanceScrollPosition(start, 1000, 1.0f);
    EXPECT_EQ(up, 4000.0f);
    EXPECT_EQ(scrollLineY(7, up) - scrollLineY(7, start), -20);

    const float down = advanceScrollPosition(start, 1000, -2.0f);
    EXPECT_EQ(down, 1000.0f);
    EXPECT_EQ(scrollLineY(7, down) - scrollLineY(7, start), 40);

    // At speed 0 nothing moves, however long the frame.
    const float still = advanceScrollPosition(start, 4000000000u, 0.0f);
    EXPECT_EQ(still, start);
    EXPECT_EQ(spriteBaseAngle(still), spriteBaseAngle(start));
    EXPECT_EQ(spriteHalfSize(still), spriteHalfSize(start));
}

TEST(ScrollerMotion, AnHourOfHeldRightKeepsTheSpritesMovingAndTheTextAway) {
    // The phase's arithmetic for 20 ms frames with the right arrow held.
    float position = -12000, speed = 0.6f;
    for (int frame = 0; frame < 3600 * 50; ++frame) {
        speed += 20 * 0.005f;
        position = advanceScrollPosition(position, 20, speed);
    }
    EXPECT_GT(position, 1.0e10f);
    const float next = advanceScrollPosition(position, 20, speed);
    EXPECT_NE(spriteBaseAngle(next), spriteBaseAngle(position));
    EXPECT_NE(spriteHalfSize(next), spriteHalfSize(position));
    EXPECT_GE(scrollLineWindow(next).first, kScrollLineCount);  // the text is long gone
}

TEST(ScrollerMotion, ExtremePositionsStayWhereEveryStepStillMoves) {
    // Far beyond an hour: the position stays within the bound, where the
    // ring's loop still steps and the line index holds, and keeps moving.
    for (float start : {3e12f, kScrollPositionLimit}) {
        const float p = advanceScrollPosition(start, 20, 1e6f);
        EXPECT_LE(p, kScrollPositionLimit);
        EXPECT_GT(p, 0.0f);
        EXPECT_NE(spriteBaseAngle(p), spriteBaseAngle(advanceScrollPosition(p, 20, 1e6f)));
        EXPECT_GE(scrollLineWindow(p).first, kScrollLineCount);
    }
    const float low = advanceScrollPosition(-2e11f, 20, -1e9f);
    EXPECT_GE(low, -kScrollPositionLimit);
    EXPECT_LT(low, 0.0f);
    EXPECT_EQ(scrollLineWindow(low).first, 0);
    EXPECT_GT(scrollLineY(10, low), 600);  // below the window, no overflow
    const float base = spriteBaseAngle(kScrollPositionLimit);
    EXPECT_GT(static_cast<float>(base + 1.75), base);
    EXPECT_EQ(scrollLineWindow(-kScrollPositionLimit).first, 0);
}

TEST(ScrollerSprites, SphericalPointsAndPulse) {
    const Vector3 pole = sphericalPoint(7, 0, 0);
    EXPECT_FLOAT_EQ(pole.x, 0);
    EXPECT_FLOAT_EQ(pole.y, 0);
    EXPECT_FLOAT_EQ(pole.z, 7);
    const float theta = 1.75f, phi = 5.25f;
    const Vector3 p = sphericalPoint(7, theta, phi);
    EXPECT_NEAR(p.x, 7 * std::sin(theta) * std::cos(phi), 1e-5);
    EXPECT_NEAR(p.y, 7 * std::sin(theta) * std::sin(phi), 1e-5);
    EXPECT_NEAR(p.z, 7 * std::cos(theta), 1e-5);

    EXPECT_EQ(spriteBaseAngle(0), 0.0f);
    EXPECT_FLOAT_EQ(spriteBaseAngle(10000), 2.0f);

    EXPECT_EQ(spriteHalfSize(0), 1.0f);
    const float peak = 1.5707963 / 0.0006;
    EXPECT_NEAR(spriteHalfSize(peak), 1.16f, 1e-5);
    EXPECT_NEAR(spriteHalfSize(-peak), 0.84f, 1e-5);
    EXPECT_NEAR(spriteHalfSize(peak + 10471.976f), 1.16f, 1e-4);  // one period on
}

namespace {

// A texture whose texels come from fn(x, y) as RGBA bytes.
GLuint makeTexture(int w, int h, const std::function<void(int, int, unsigned char*)>& fn) {
    std::vector<unsigned char> texels(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) fn(x, y, &texels[(static_cast<size_t>(y) * w + x) * 4]);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return name;
}

GLuint solidTexture(unsigned char value) {
    return makeTexture(4, 4, [value](int, int, unsigned char* t) {
        t[0] = t[1] = t[2] = value;
        t[3] = 255;
    });
}

std::vector<unsigned char> readRows(int y, int h) {
    std::vector<unsigned char> rgba(static_cast<size_t>(800) * h * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 600 - y - h, 800, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;  // bottom row first, as GL gives it
}

// Installs the globals the scroller reads and puts them back afterwards.
class ScrollerGl : public ::testing::Test {
protected:
    int table[kTextureSlots] = {};
    int* savedTextures = nullptr;
    FrameTimer* savedTimer = nullptr;
    GlyphFont* savedFont = nullptr;
    float savedPosition = 0, savedSpeed = 0;
    std::vector<std::string> savedLines;
    FrameTimer* timer = nullptr;
    GlyphFont* font = nullptr;

    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        savedTextures = textures;
        savedTimer = frameTimer;
        savedFont = glyphFont;
        savedPosition = scrollPosition;
        savedSpeed = scrollSpeed;
        savedLines.assign(scrollLines, scrollLines + kScrollLineCount);
        timer = new FrameTimer();
        font = new GlyphFont(showFontPath(), 32, 0, 0, 0, 0);
        textures = table;
        frameTimer = timer;
        glyphFont = font;
        for (auto& line : scrollLines) line.clear();
    }

    void TearDown() override {
        for (int slot = 0; slot < kTextureSlots; ++slot) {
            GLuint name = static_cast<GLuint>(table[slot]);
            if (name) glDeleteTextures(1, &name);
        }
        textures = savedTextures;
        frameTimer = savedTimer;
        glyphFont = savedFont;
        scrollPosition = savedPosition;
        scrollSpeed = savedSpeed;
        for (int i = 0; i < kScrollLineCount; ++i) scrollLines[i] = savedLines[i];
        delete font;
        delete timer;
    }

    // The Scroller phase's frame: the background picture over the whole screen, then the scroller.
    void drawFrame() {
        resetGlFrame();
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(table[kSlotScrollerBackground]));
        drawFullscreenQuad();
        drawScroller();
    }
};

}  // namespace

TEST_F(ScrollerGl, AFrameAtAnExtremePositionEnds) {
    // Far beyond the bound the sprite ring's float loop would never end.
    scrollPosition = 3e12f;
    scrollSpeed = 1e9f;
    drawFrame();
    EXPECT_GT(scrollPosition, 0.0f);
    EXPECT_LE(scrollPosition, kScrollPositionLimit);
    scrollPosition = -3e12f;
    scrollSpeed = -1e9f;
    drawFrame();
    EXPECT_LT(scrollPosition, 0.0f);
    EXPECT_GE(scrollPosition, -kScrollPositionLimit);
}

TEST_F(ScrollerGl, SpritesGlowInTheUpperRightAndStateIsRestored) {
    table[kSlotScrollerBackground] = static_cast<int>(solidTexture(0));
    table[kSlotAtlas] = static_cast<int>(solidTexture(255));
    scrollPosition = 0;
    scrollSpeed = 1.0f;
    timer->deltaMs = 0;

    GLint projectionDepth = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    drawFrame();

    // Near the centre of the ring, where one sprite of half-size about 20
    // pixels stands at base 0; each sprite adds half of white.
    const auto lit = readPixel(686, 92);
    EXPECT_GT(lit[0], 100);
    EXPECT_EQ(lit[0], lit[2]);
    for (auto dark : {readPixel(100, 100), readPixel(300, 150), readPixel(686, 400), readPixel(100, 500)}) {
        EXPECT_EQ(dark[0], 0);
        EXPECT_EQ(dark[1], 0);
    }
    // The pole sprites at eye (18, 8, -20) lie beyond the right edge; the
    // ring's left-most sprite is near x 504.
    EXPECT_GT(readPixel(504, 94)[0], 100);

    // State after the call.
    GLint depthAfter = 0, src = 0, dst = 0, bound = 0, mode = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, projectionDepth);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, table[kSlotAtlas]);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat colour[4], modelview[16], projection[16];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(modelview[k], (k % 5 == 0) ? 1.0f : 0.0f) << k;
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_FLOAT_EQ(projection[0], 2.0f / 800);
    EXPECT_FLOAT_EQ(projection[5], -2.0f / 600);
}

TEST_F(ScrollerGl, TextIsDrawnAtItsLinePositionAndMovesWithTheFrameTime) {
    // White background, black sprites (adding nothing): only the text shows.
    table[kSlotScrollerBackground] = static_cast<int>(solidTexture(255));
    table[kSlotAtlas] = static_cast<int>(solidTexture(0));
    scrollLines[5] = "Heading H";

    auto reference = [&](int y) {
        resetGlFrame();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 0);
        font->drawText("Heading H", 60, y);
        return readRows(360, 180);
    };
    auto hasInk = [](const std::vector<unsigned char>& rows) {
        for (size_t i = 0; i < rows.size(); i += 4)
            if (rows[i] < 128) return true;
        return false;
    };

    scrollPosition = -1000;
    scrollSpeed = 1.0f;
    timer->deltaMs = 1000;
    drawFrame();
    EXPECT_EQ(scrollPosition, 0.0f);
    const auto atZero = readRows(360, 180);
    EXPECT_TRUE(hasInk(atZero));
    EXPECT_TRUE(atZero == reference(450));  // line 5 at (60, 450)

    scrollSpeed = -2.0f;
    drawFrame();
    EXPECT_EQ(scrollPosition, -2000.0f);
    EXPECT_TRUE(readRows(360, 180) == reference(490));  // 40 pixels lower

    // Past the end of the table nothing is drawn, but the frame goes on.
    for (auto& line : scrollLines) line = "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH";
    scrollPosition = 431000;
    scrollSpeed = 1.0f;
    timer->deltaMs = 20;
    drawFrame();
    EXPECT_FALSE(hasInk(readRows(0, 600)));
}

TEST_F(ScrollerGl, CoverAndBandsRepeatTheBackgroundAndFrameTheText) {
    // A picture that changes from row to row, so any misplaced cover shows.
    table[kSlotScrollerBackground] = static_cast<int>(makeTexture(4, 256, [](int, int y, unsigned char* t) {
        t[0] = static_cast<unsigned char>(y);
        t[1] = static_cast<unsigned char>(255 - y);
        t[2] = static_cast<unsigned char>(y / 2);
        t[3] = 255;
    }));
    table[kSlotAtlas] = static_cast<int>(solidTexture(0));

    resetGlFrame();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(table[kSlotScrollerBackground]));
    drawFullscreenQuad();
    const auto background = readRows(0, 600);

    // Lines everywhere: 4 to 14 are drawn, line 4 at y 300 and line 3 (not
    // drawn) would be at 270.
    for (auto& line : scrollLines) line = "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH";
    scrollPosition = 6000;
    timer->deltaMs = 0;
    drawFrame();
    const auto frame = readRows(0, 600);

    auto at = [](const std::vector<unsigned char>& rows, int x, int y, int c) {
        return static_cast<int>(rows[(static_cast<size_t>(599 - y) * 800 + x) * 4 + c]);
    };
    int upperDifferences = 0, marginDifferences = 0, bandWorst = 0, windowDifferences = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(at(frame, x, y, c) - at(background, x, y, c));
                if (y < 300 && d != 0) ++upperDifferences;
                const bool inBand = (y >= 300 && y < 350) || y >= 550;
                if (x < 60 && !inBand && d != 0) ++marginDifferences;
                if (x < 60 && inBand && d > bandWorst) bandWorst = d;
                if (y >= 360 && y < 540 && d > 40) ++windowDifferences;
            }
        }
    }
    EXPECT_EQ(upperDifferences, 0);      // the cover repeats the picture pixel for pixel
    EXPECT_EQ(marginDifferences, 0);     // left of the text only the picture
    // In the bands the picture lies over itself; their texture coordinates
    // (0.583, 0.916) are the edges' y / 600 to three places, a fraction of a
    // texel off, so a steep gradient may differ by a step.
    EXPECT_LE(bandWorst, 2);
    EXPECT_GT(windowDifferences, 1000);  // and the text in the open window

    // The bands: fully covered at their outer edges, open at their inner ones.
    auto ink = [&](int y) {
        int n = 0;
        for (int x = 60; x < 800; ++x)
            if (std::abs(at(frame, x, y, 1) - at(background, x, y, 1)) > 40) ++n;
        return n;
    };
    int upperBandInk = 0, innerInk = 0;
    for (int y = 300; y < 304; ++y) upperBandInk += ink(y);
    for (int y = 350; y < 550; ++y) innerInk += ink(y);
    EXPECT_EQ(upperBandInk, 0);
    EXPECT_GT(innerInk, 1000);
}
