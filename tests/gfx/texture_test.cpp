#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>
#include <GL/glu.h>

#include "gfx/quad.h"
#include "gfx/rescale.h"
#include "gfx/textures.h"
#include "pictures.h"
#include "support/gl_context.h"

namespace {

using Px = std::array<uint8_t, 3>;

class Textures : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        resetGlFrame();
        dir_ = makeTempDir();
    }
    void TearDown() override {
        for (int t : made_) {
            GLuint n = t;
            glDeleteTextures(1, &n);
        }
        removeTree(dir_);
    }
    std::string path(const char* name) const { return dir_ + "/" + name; }
    int load(const std::string& p) {
        const int t = loadTexture(p.c_str());
        if (t) made_.push_back(t);
        return t;
    }
    static GLint param(GLenum name) {
        GLint v = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
        return v;
    }
    static GLint levelWidth(int level) {
        GLint v = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
        return v;
    }
    std::string dir_;
    std::vector<int> made_;
};

// Eight vertical stripes of these colours, 100 pixels each (the last 101).
const Px kStripes[8] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},     {255, 255, 0},
                        {0, 255, 255}, {255, 0, 255}, {255, 255, 255}, {40, 80, 160}};

std::vector<uint8_t> stripes(int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Px& c = kStripes[std::min(x / 100, 7)];
            std::copy(c.begin(), c.end(), px.begin() + (static_cast<size_t>(y) * w + x) * 3);
        }
    return px;
}

}  // namespace

TEST_F(Textures, SquareAtlasSizeIsOneClampedLevelWithItsAlphaIntact) {
    std::vector<uint8_t> px(512 * 512 * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint8_t>(i * 7 + i / 2048);
    writePng(path("atlas.png"), 512, 512, kPngRgba, px);

    const int tex = load(path("atlas.png"));
    ASSERT_NE(tex, 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, tex);
    EXPECT_EQ(levelWidth(0), 512);
    EXPECT_EQ(levelWidth(1), 0);
    EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_T), GL_CLAMP);

    std::vector<uint8_t> back(px.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_TRUE(back == px) << "texels differ from the file";
}

TEST_F(Textures, OtherSizesGetOneRescaledLevelAndRepeatWrapping) {
    writePng(path("card.png"), 800, 600, kPngRgb, stripes(800, 600));
    ASSERT_NE(load(path("card.png")), 0);
    EXPECT_EQ(levelWidth(0), 1024);
    EXPECT_EQ(levelWidth(1), 0);  // the linear minifying filter never reaches a second level
    EXPECT_EQ(param(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(param(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_T), GL_REPEAT);

    // A square of a size outside the four also goes the mipmap way.
    std::vector<uint8_t> px(32 * 32 * 4, 90);
    writePng(path("small.png"), 32, 32, kPngRgba, px);
    ASSERT_NE(load(path("small.png")), 0);
    EXPECT_EQ(levelWidth(0), 32);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_S), GL_REPEAT);
}

// The rescale gives the very texels GLU's mipmap builder puts into its first
// level, for the shipped pictures and for odd sizes up and down, RGB and RGBA.
TEST_F(Textures, RescaleMatchesTheFirstLevelOfGluMipmaps) {
    struct Picture {
        int w, h, channels;
        std::vector<uint8_t> px;
    };
    std::vector<Picture> pictures;
    for (const char* name : {"mij1.jpg", "mij7.jpg", "mij13.jpg"}) {
        SDL_Surface* s = IMG_Load((std::string(MIJOTINE_DATA_DIR) + "/" + name).c_str());
        if (!s) continue;
        pictures.push_back({s->w, s->h, s->format->BytesPerPixel, tightRgbPixels(s)});
        SDL_FreeSurface(s);
    }
    pictures.push_back({801, 300, 3, stripes(801, 300)});
    auto noise = [](size_t n) {
        std::vector<uint8_t> px(n);
        for (size_t i = 0; i < n; ++i) px[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
        return px;
    };
    pictures.push_back({97, 45, 4, noise(97 * 45 * 4)});
    pictures.push_back({45, 97, 4, noise(97 * 45 * 4)});
    pictures.push_back({700, 30, 3, noise(700 * 30 * 3)});

    for (const Picture& p : pictures) {
        SCOPED_TRACE(std::to_string(p.w) + " x " + std::to_string(p.h) + " x " + std::to_string(p.channels));
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 4, p.w, p.h, p.channels == 3 ? GL_RGB : GL_RGBA,
                                    GL_UNSIGNED_BYTE, p.px.data()),
                  0);
        const int texW = levelWidth(0);
        GLint texH = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &texH);
        std::vector<uint8_t> glu(static_cast<size_t>(texW) * texH * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, glu.data());
        glDeleteTextures(1, &name);

        EXPECT_EQ(roundToPowerOfTwo(p.w), texW);
        EXPECT_EQ(roundToPowerOfTwo(p.h), texH);
        const std::vector<uint8_t> ours = rescaleToRgba(p.px.data(), p.w, p.h, p.channels, texW, texH);
        ASSERT_EQ(ours.size(), glu.size());
        size_t differing = 0, worst = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            const size_t d = static_cast<size_t>(std::abs(ours[i] - glu[i]));
            differing += d != 0;
            worst = std::max(worst, d);
        }
        EXPECT_EQ(differing, 0u) << "worst difference " << worst;
    }
}

TEST_F(Textures, ShippedJpegCardLoadsAsOneRescaledLevel) {
    const std::string jpg = std::string(MIJOTINE_DATA_DIR) + "/mij1.jpg";
    SDL_Surface* s = IMG_Load(jpg.c_str());
    if (!s) GTEST_SKIP() << "no generated data at " << jpg;
    EXPECT_EQ(s->format->BytesPerPixel, 3);
    SDL_FreeSurface(s);
    ASSERT_NE(load(jpg), 0);
    EXPECT_EQ(levelWidth(0), 1024);
    EXPECT_EQ(levelWidth(1), 0);
    EXPECT_EQ(param(GL_TEXTURE_WRAP_S), GL_REPEAT);
}

TEST_F(Textures, PaddedRowsOfAnOddWidthPictureShowUnsheared) {
    // 801 RGB pixels make 2403 bytes a row, which the surface pads to 2404.
    writePng(path("wide.png"), 801, 300, kPngRgb, stripes(801, 300));
    SDL_Surface* s = IMG_Load(path("wide.png").c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format->BytesPerPixel, 3);
    EXPECT_GT(s->pitch, 801 * 3) << "the surface is expected to pad its rows";
    SDL_FreeSurface(s);

    ASSERT_NE(load(path("wide.png")), 0);
    resetGlFrame();
    glBindTexture(GL_TEXTURE_2D, made_.back());
    drawFullscreenQuad();
    // Screen x maps to picture x * 801 / 800; sample each stripe's middle on
    // rows from top to bottom, where a shear would have moved and recoloured it.
    for (int y : {2, 150, 300, 450, 597})
        for (int i = 0; i < 8; ++i) {
            const int x = i * 100 + 50;
            EXPECT_EQ(readPixel(x, y), kStripes[i]) << "stripe " << i << " at y " << y;
        }
}

TEST_F(Textures, ChannelOrderFollowsTheSurfaceMasks) {
    // A BMP comes back from the loader in B, G, R byte order.
    SDL_Surface* src = SDL_CreateRGBSurface(SDL_SWSURFACE, 64, 64, 24, 0xff0000, 0x00ff00, 0x0000ff, 0);
    ASSERT_NE(src, nullptr);
    const Uint32 colours[4] = {SDL_MapRGB(src->format, 255, 0, 0), SDL_MapRGB(src->format, 0, 255, 0),
                               SDL_MapRGB(src->format, 0, 0, 255), SDL_MapRGB(src->format, 10, 20, 30)};
    for (int q = 0; q < 4; ++q) {
        SDL_Rect r = {static_cast<Sint16>((q % 2) * 32), static_cast<Sint16>((q / 2) * 32), 32, 32};
        SDL_FillRect(src, &r, colours[q]);
    }
    ASSERT_EQ(SDL_SaveBMP(src, path("bgr.bmp").c_str()), 0);
    SDL_FreeSurface(src);

    SDL_Surface* s = IMG_Load(path("bgr.bmp").c_str());
    ASSERT_NE(s, nullptr);
    const bool swapped = s->format->BytesPerPixel == 3 && s->format->Rmask != 0xff;
    SDL_FreeSurface(s);
    if (!swapped) GTEST_SKIP() << "this loader gives RGB order for BMP too";

    ASSERT_NE(load(path("bgr.bmp")), 0);
    std::vector<uint8_t> back(64 * 64 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    auto at = [&](int x, int y) {
        const uint8_t* p = &back[(y * 64 + x) * 3];
        return Px{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(5, 5), (Px{255, 0, 0}));
    EXPECT_EQ(at(40, 5), (Px{0, 255, 0}));
    EXPECT_EQ(at(5, 40), (Px{0, 0, 255}));
    EXPECT_EQ(at(40, 40), (Px{10, 20, 30}));
}

TEST_F(Textures, UnusablePicturesAreRefusedWithOneLine) {
    std::vector<uint8_t> idx(16 * 16, 1);
    writePng(path("palette.png"), 16, 16, kPngPalette, idx, {0, 0, 0, 255, 0, 0});
    writePng(path("grey.png"), 16, 16, kPngGrey, idx);

    GLint before = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &before);
    for (const char* name : {"palette.png", "grey.png"}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(load(path(name)), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "  Failed to load '" + path(name) + "', he said: 'Unknown surface format 1'\n");
    }

    const std::string missing = path("nothing.jpg");
    SDL_SetError("stale");
    ASSERT_EQ(IMG_Load(missing.c_str()), nullptr);
    const std::string why = SDL_GetError();
    ASSERT_NE(why, "stale");
    testing::internal::CaptureStdout();
    EXPECT_EQ(load(missing), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "  Failed to load '" + missing + "', he said: '" + why + "'\n");

    // Refusals make no texture.
    GLint after = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &after);
    EXPECT_EQ(after, before);
}

TEST(PictureInk, IsTheWholeForATextureWithoutOne) {
    EXPECT_EQ(pictureInk(0).w(), 512) << "no picture: the whole of it";
}
