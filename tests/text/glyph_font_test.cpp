#include "text/glyph_font.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <SDL/SDL_opengl.h>
#include <gtest/gtest.h>

#include "core/globals.h"
#include "support/gl_context.h"
#include "support/show_font.h"

namespace {


// RGB rows of a window area, top row first.
std::vector<unsigned char> readArea(int x, int y, int w, int h) {
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, 600 - y - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<unsigned char> rgb;
    for (int row = h - 1; row >= 0; --row)
        for (int col = 0; col < w; ++col)
            for (int c = 0; c < 3; ++c) rgb.push_back(rgba[(static_cast<size_t>(row) * w + col) * 4 + c]);
    return rgb;
}

void clearToWhite() {
    resetGlFrame();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
}

int codeOf(char ch) { return static_cast<int>(ch); }

}  // namespace

TEST(GlyphHelpers, NextPowerOfTwoAndPrintableRange) {
    EXPECT_EQ(nextPowerOfTwo(0), 1);
    EXPECT_EQ(nextPowerOfTwo(-5), 1);
    EXPECT_EQ(nextPowerOfTwo(1), 1);
    EXPECT_EQ(nextPowerOfTwo(2), 2);
    EXPECT_EQ(nextPowerOfTwo(13), 16);
    EXPECT_EQ(nextPowerOfTwo(32), 32);
    EXPECT_EQ(nextPowerOfTwo(33), 64);
    EXPECT_EQ(nextPowerOfTwo(37), 64);

    EXPECT_TRUE(isPrintable(' '));
    EXPECT_TRUE(isPrintable('~'));
    EXPECT_TRUE(isPrintable('A'));
    EXPECT_FALSE(isPrintable('\x1f'));
    EXPECT_FALSE(isPrintable('\t'));
    EXPECT_FALSE(isPrintable('\n'));
    EXPECT_FALSE(isPrintable('\x7f'));
    EXPECT_FALSE(isPrintable('\x92'));
    EXPECT_FALSE(isPrintable('\xff'));
}

class GlyphGl : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        clearToWhite();
    }
};

TEST_F(GlyphGl, SurfaceToTextureKeysOutWhiteAndReportsCoordinates) {
    // 13 x 37 white picture with one black pixel at (2, 3) and one red at (12, 36).
    SDL_Surface* picture = SDL_CreateRGBSurface(0, 13, 37, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    ASSERT_NE(picture, nullptr);
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 255, 255, 255));
    Uint32* pixels = static_cast<Uint32*>(picture->pixels);
    const int pitch = picture->pitch / 4;
    pixels[3 * pitch + 2] = SDL_MapRGB(picture->format, 0, 0, 0);
    pixels[36 * pitch + 12] = SDL_MapRGB(picture->format, 255, 0, 0);

    float s0 = -1, t0 = -1, s1 = -1, t1 = -1;
    const unsigned int name = surfaceToTexture(picture, s0, t0, s1, t1, 255, 255, 255);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(s0, 0.0f);
    EXPECT_EQ(t0, 0.0f);
    EXPECT_FLOAT_EQ(s1, 0.8125f);
    EXPECT_FLOAT_EQ(t1, 0.578125f);

    GLint bound = 0, width = 0, height = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), name);  // left bound
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 64);

    std::vector<unsigned char> texels(16 * 64 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    auto texel = [&](int x, int y) { return &texels[(static_cast<size_t>(y) * 16 + x) * 4]; };
    // The stroke arrives black and opaque, in place.
    EXPECT_EQ(texel(2, 3)[0], 0);
    EXPECT_EQ(texel(2, 3)[3], 255);
    EXPECT_EQ(texel(12, 36)[0], 255);
    EXPECT_EQ(texel(12, 36)[1], 0);
    EXPECT_EQ(texel(12, 36)[3], 255);
    // The white background and the padding are transparent.
    EXPECT_EQ(texel(0, 0)[3], 0);
    EXPECT_EQ(texel(5, 20)[3], 0);
    EXPECT_EQ(texel(15, 63)[3], 0);
    EXPECT_EQ(texel(13, 0)[3], 0);

    GLuint doomed = name;
    glDeleteTextures(1, &doomed);
    SDL_FreeSurface(picture);
}

TEST_F(GlyphGl, GlyphsAreMadeOnceWithPowerOfTwoTextures) {
    GlyphFont font(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    EXPECT_GT(font.getHeight(), 0);
    EXPECT_GT(font.getLineSkip(), 0);
    EXPECT_EQ(font.textColour.r, 0);

    EXPECT_EQ(font.glyphs[codeOf('a')].surface, nullptr);
    font.drawText("Wia. ", 10, 10);
    for (char ch : std::string("Wia. ")) {
        const GlyphEntry& entry = font.glyphs[codeOf(ch)];
        ASSERT_NE(entry.surface, nullptr) << ch;
        ASSERT_NE(entry.texture, 0u) << ch;
        const int w = entry.surface->w, h = entry.surface->h;
        const int texW = nextPowerOfTwo(w), texH = nextPowerOfTwo(h);
        glBindTexture(GL_TEXTURE_2D, entry.texture);
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, texW) << ch;
        EXPECT_EQ(height, texH) << ch;
        EXPECT_FLOAT_EQ(entry.s1, static_cast<float>(w) / texW) << ch;
        EXPECT_FLOAT_EQ(entry.t1, static_cast<float>(h) / texH) << ch;
    }
    EXPECT_EQ(font.glyphs[codeOf('b')].surface, nullptr);  // only what was met

    SDL_Surface* const surface = font.glyphs[codeOf('a')].surface;
    const unsigned int texture = font.glyphs[codeOf('a')].texture;
    font.drawText("aaa", 10, 60);
    font.measureText("a");
    font.drawGlyphOnCube('a');
    EXPECT_EQ(font.glyphs[codeOf('a')].surface, surface);
    EXPECT_EQ(font.glyphs[codeOf('a')].texture, texture);
}

TEST_F(GlyphGl, UnprintableBytesDrawNothingAndDoNotAdvance) {
    GlyphFont font(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    clearToWhite();
    font.drawText("ab", 100, 100);
    const std::vector<unsigned char> plain = readArea(90, 90, 200, 60);

    // A stroke was drawn at all, so the comparisons below mean something.
    size_t dark = 0;
    for (unsigned char c : plain) dark += c < 128;
    EXPECT_GT(dark, 30u);

    for (const char* text : {"a\x92" "b", "a\tb", "a\x7f" "b", "\n\x01" "a\xff" "b\x1f"}) {
        clearToWhite();
        font.drawText(text, 100, 100);
        EXPECT_TRUE(readArea(90, 90, 200, 60) == plain) << "text with a byte that should be skipped";
    }

    // Drawing the two glyphs by hand at the advance of the first gives the same picture.
    clearToWhite();
    font.drawText("a", 100, 100);
    font.drawText("b", 100 + font.glyphs[codeOf('a')].advance, 100);
    EXPECT_TRUE(readArea(90, 90, 200, 60) == plain);

    // The space is a glyph of its own: nothing visible, but the pen moves on.
    clearToWhite();
    font.drawText("a b", 100, 100);
    const std::vector<unsigned char> spaced = readArea(90, 90, 200, 60);
    clearToWhite();
    font.drawText("a", 100, 100);
    font.drawText("b", 100 + font.glyphs[codeOf('a')].advance + font.glyphs[codeOf(' ')].advance, 100);
    EXPECT_TRUE(readArea(90, 90, 200, 60) == spaced);
    EXPECT_FALSE(spaced == plain);
    EXPECT_GT(font.glyphs[codeOf(' ')].advance, 0);
}

TEST_F(GlyphGl, BlackStrokesOnTransparentIgnoringTheCurrentColour) {
    GlyphFont font(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    clearToWhite();
    // A caller's state that drawText must neither use nor disturb.
    glColor4f(1, 0, 0, 0.25f);
    glBlendFunc(GL_ONE, GL_ZERO);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_BLEND);

    font.drawText("HOH", 200, 200);

    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.25f);
    GLint src = 0, dst = 0, env = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ZERO);
    EXPECT_EQ(env, GL_MODULATE);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    const GlyphEntry& h = font.glyphs[codeOf('H')];
    ASSERT_NE(h.surface, nullptr);
    const int width = h.advance * 2 + font.glyphs[codeOf('O')].advance;
    const std::vector<unsigned char> area = readArea(200, 200, width, h.surface->h);
    size_t black = 0, white = 0, tinted = 0;
    for (size_t i = 0; i < area.size(); i += 3) {
        const int r = area[i], g = area[i + 1], b = area[i + 2];
        if (r == 0 && g == 0 && b == 0) ++black;
        if (r == 255 && g == 255 && b == 255) ++white;
        if (r != g || g != b) ++tinted;  // any trace of the red current colour
    }
    EXPECT_GT(black, 50u);
    EXPECT_GT(white, 50u);
    EXPECT_EQ(tinted, 0u);
    // Around the text the background is untouched.
    const auto outside = readPixel(195, 195);
    EXPECT_EQ(outside[0], 255);
    EXPECT_EQ(outside[2], 255);
    const auto after = readPixel(200 + width + 5, 210);
    EXPECT_EQ(after[1], 255);
}

TEST_F(GlyphGl, MeasureTextCountsTheLastGlyphByItsExtent) {
    GlyphFont font(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    SDL_Rect empty = font.measureText("");
    EXPECT_EQ(empty.x, 0);
    EXPECT_EQ(empty.y, 0);
    EXPECT_EQ(empty.w, 0);
    EXPECT_EQ(empty.h, font.height);
    EXPECT_EQ(font.measureText("\t\x92").w, 0);

    const SDL_Rect ab = font.measureText("ab");
    EXPECT_NE(font.glyphs[codeOf('b')].surface, nullptr);  // measuring makes glyphs
    EXPECT_EQ(ab.w, font.glyphs[codeOf('a')].advance + font.glyphs[codeOf('b')].maxX);
    EXPECT_EQ(ab.h, font.height);
    EXPECT_EQ(font.measureText("a\x92" "b\t").w, ab.w);
    EXPECT_EQ(font.measureText("b").w, font.glyphs[codeOf('b')].maxX);
}

TEST_F(GlyphGl, ReopeningAndDestructionGiveBackTheGlyphs) {
    auto* font = new GlyphFont(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    font->drawText("xy", 0, 0);
    const unsigned int first = font->glyphs[codeOf('x')].texture;
    ASSERT_TRUE(glIsTexture(first));

    font->open();
    EXPECT_NE(font->font, nullptr);
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_EQ(font->glyphs[codeOf('x')].surface, nullptr);
    EXPECT_EQ(font->glyphs[codeOf('x')].texture, 0u);

    // The fresh handle works: the glyph is made again and drawn.
    clearToWhite();
    font->drawText("x", 50, 50);
    ASSERT_NE(font->glyphs[codeOf('x')].surface, nullptr);
    const unsigned int second = font->glyphs[codeOf('x')].texture;
    EXPECT_TRUE(glIsTexture(second));
    size_t dark = 0;
    for (unsigned char c : readArea(50, 50, 40, 40)) dark += c < 128;
    EXPECT_GT(dark, 10u);

    delete font;
    EXPECT_FALSE(glIsTexture(second));
}

TEST(GlyphFontLifetime, SdlTtfLivesWhileAnyFontDoes) {
    const int before = ttfUsers;
    auto* a = new GlyphFont(showFontPath(), 20, TTF_STYLE_NORMAL, 0, 0, 0);
    EXPECT_EQ(ttfUsers, before + 1);
    EXPECT_TRUE(TTF_WasInit());
    auto* b = new GlyphFont(showFontPath(), 12, TTF_STYLE_BOLD, 1, 0.5f, 0);
    EXPECT_EQ(ttfUsers, before + 2);
    delete a;
    EXPECT_EQ(ttfUsers, before + 1);
    EXPECT_TRUE(TTF_WasInit());
    delete b;
    EXPECT_EQ(ttfUsers, before);
    if (before == 0) {
        EXPECT_FALSE(TTF_WasInit());
        // A later font brings SDL_ttf back.
        GlyphFont c(showFontPath(), 16, TTF_STYLE_NORMAL, 0, 0, 0);
        EXPECT_TRUE(TTF_WasInit());
        EXPECT_EQ(ttfUsers, 1);
    }
}

// The next two run in a fresh child process: one ends it, the other needs a
// process without a video mode.
TEST(GlyphFontDeathTest, MissingFontFilePrintsOneBareLineAndExitsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* out = "glyph_font_missing_stdout.txt";
    std::remove(out);
    EXPECT_EXIT(
        {
            if (!std::freopen(out, "w", stdout)) std::_Exit(3);
            GlyphFont font("/no/such/dir/font.ttf", 32, 0, 0, 0, 0);
            std::_Exit(4);  // not reached when the font is missing
        },
        ::testing::ExitedWithCode(1), "");
    std::ifstream in(out, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "cannot open font file: '/no/such/dir/font.ttf'");
}

// Without a video mode SDL_DisplayFormat has nothing to convert to, so every
// glyph stays unmade; measuring and drawing must cope. Ends the process with
// 0 when all is as it should be.
[[noreturn]] void useFontWithoutVideoMode() {
    GlyphFont font(showFontPath(), 32, 0, 0, 0, 0);
    int minX, maxX, minY, maxY, advanceA, advanceB;
    TTF_GlyphMetrics(font.font, 'a', &minX, &maxX, &minY, &maxY, &advanceA);
    TTF_GlyphMetrics(font.font, 'b', &minX, &maxX, &minY, &maxY, &advanceB);
    const SDL_Rect box = font.measureText("ab");
    if (font.glyphs[codeOf('a')].surface != nullptr) std::_Exit(2);
    if (box.w != advanceA + maxX) std::_Exit(3);
    font.drawText("ab", 0, 0);
    font.drawGlyphOnCube('a');
    if (font.glyphs[codeOf('b')].surface != nullptr) std::_Exit(4);
    std::_Exit(0);
}

TEST(GlyphFontDeathTest, GlyphsThatCannotBeMadeAreSkippedSafely) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(useFontWithoutVideoMode(), ::testing::ExitedWithCode(0), "");
}

// Drawn at 1.8 times its units, the font's letters come from the font at 58
// points, while every metric stays the 32-point font's: the same lines, the
// same widths, each letter's ink where the smaller one has it.
TEST_F(GlyphGl, AtALargerScaleTheLettersAreRenderedLargerAndLaidOutAsBefore) {
    GlyphFont plain(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0);
    GlyphFont finer(showFontPath(), 32, TTF_STYLE_NORMAL, 0, 0, 0, 1.8f);
    EXPECT_FLOAT_EQ(finer.pictureScale, 58.0f / 32.0f);
    EXPECT_EQ(finer.height, plain.height);
    EXPECT_EQ(finer.ascent, plain.ascent);
    EXPECT_EQ(finer.lineSkip, plain.lineSkip);
    const char* line = "Brown the beef well: 2 kg, 3 hours (or more)!";
    EXPECT_EQ(finer.measureText(line).w, plain.measureText(line).w);
    for (const char* p = line; *p; ++p) {
        const GlyphEntry &small = plain.glyphs[codeOf(*p)], &large = finer.glyphs[codeOf(*p)];
        SCOPED_TRACE(std::string(1, *p));
        EXPECT_EQ(large.advance, small.advance);
        EXPECT_EQ(large.maxX, small.maxX);
        if (*p == ' ') continue;
        ASSERT_NE(large.surface, nullptr);
        EXPECT_NEAR(large.surface->h, small.surface->h * finer.pictureScale, 2.0);
        // The ink's edges in units, against the plain picture's (the two sizes
        // hint the outlines apart by up to a unit and a half).
        const float top = finer.ascent - finer.pictureAscent / finer.pictureScale;
        EXPECT_NEAR(large.inkX0 / finer.pictureScale, small.inkX0, 2.0);
        EXPECT_NEAR(large.inkX1 / finer.pictureScale, small.inkX1, 2.0);
        EXPECT_NEAR(top + large.inkY0 / finer.pictureScale, small.inkY0, 2.0);
        EXPECT_NEAR(top + large.inkY1 / finer.pictureScale, small.inkY1, 2.0);
    }
    EXPECT_GE(finer.atlasWidth, 2048) << "room for the larger letters";
}
