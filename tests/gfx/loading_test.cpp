#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "gfx/loading_screen.h"
#include "gfx/quad.h"
#include "gfx/show_pictures.h"
#include "gfx/textures.h"
#include "pictures.h"
#include "core/globals.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"

namespace {

struct Drawn {
    float progress;
    int frame;
};
std::vector<Drawn> drawn;
void record(float progress, int frame) { drawn.push_back({progress, frame}); }

// The exact line SDL_image's error gives for a file that is not there.
std::string missingLine(const std::string& path) {
    SDL_Surface* s = IMG_Load(path.c_str());
    EXPECT_EQ(s, nullptr);
    return "  Failed to load '" + path + "', he said: '" + SDL_GetError() + "'\n";
}

}  // namespace

TEST(LoadingFrame, FramesForTheShowsProgressValues) {
    EXPECT_EQ(loadingFrame(0.1f), 1);
    EXPECT_EQ(loadingFrame(0.75f), 2);
    EXPECT_EQ(loadingFrame(0.8f), 0);
    EXPECT_EQ(loadingFrame(0.9f), 2);
    EXPECT_EQ(loadingFrame(1.0f), 1);
    EXPECT_EQ(loadingFrame(1.075f), 2);
    EXPECT_EQ(loadingFrame(0.0f), 0);
    // Out-of-range values still give a frame that exists.
    for (float p : {-0.3f, -1.0f, 5.0f, 100.0f}) {
        EXPECT_GE(loadingFrame(p), 0) << p;
        EXPECT_LE(loadingFrame(p), 2) << p;
    }
}

class LoadAll : public ::testing::Test {
protected:
    void SetUp() override {
        ensureGlWindow();
        dir_ = makeTempDir();
        drawn.clear();
        setLoadingScreenObserver(record);
    }
    void TearDown() override {
        setLoadingScreenObserver(nullptr);
        removeTree(dir_);
    }
    std::string dir_;
};

TEST_F(LoadAll, WithoutDataEveryFileFailsOnceAndTheProgressRunsItsCourse) {
    ScopedCwd cwd(dir_);  // no ./data/ here at all
    std::vector<std::string> paths = {"./data/particle.png"};
    for (int i = 1; i <= 13; ++i) paths.push_back("./data/mij" + std::to_string(i) + ".jpg");
    for (int i = 4; i <= 10; ++i) paths.push_back("./data/mij" + std::to_string(i) + "_txt.png");
    paths.push_back("./data/bubble.png");
    paths.push_back("./data/chef.png");
    std::string expected;
    for (const auto& p : paths) expected += missingLine(p);

    int table[kTextureSlots];
    for (int& t : table) t = -7;
    ScriptedIo io;
    io.quit();  // a close request during loading is swallowed
    io.keyDown(SDLK_ESCAPE);
    ScopedIo scoped(&io);

    testing::internal::CaptureStdout();
    loadAllTextures(table, 1.0f, 0.1f, 0.75f);
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(out, expected);
    for (int s = 0; s < kTextureSlots; ++s) {
        if (s == kSlotAtlas)
            EXPECT_EQ(table[s], -7) << "the atlas slot is not touched";
        else
            EXPECT_EQ(table[s], 0) << "slot " << s;
    }

    ASSERT_EQ(drawn.size(), 23u);
    EXPECT_EQ(io.swaps, 23);
    EXPECT_TRUE(io.queue.empty());
    EXPECT_FLOAT_EQ(drawn.front().progress, 0.1f);
    for (int n = 1; n <= 21; ++n)
        EXPECT_NEAR(drawn[n].progress, 0.1 + 0.65 / 14 * n, 1e-5) << "step " << n;
    EXPECT_FLOAT_EQ(drawn.back().progress, 0.75f);

    const int frames[23] = {1, 2, 0, 1, 2, 0, 1, 2, 2, 0, 1, 2, 0, 1, 2, 0, 1, 1, 2, 0, 1, 2, 2};
    for (int i = 0; i < 23; ++i) EXPECT_EQ(drawn[i].frame, frames[i]) << "call " << i;
}

TEST_F(LoadAll, AMissingSlidePictureCostsOnlyItsSlot) {
    // Everything present but mij7.jpg: all PNGs (the loader reads by content).
    ScopedCwd cwd(dir_);
    ASSERT_EQ(system("mkdir data"), 0);
    const std::vector<uint8_t> px(8 * 8 * 4, 200);
    std::vector<std::string> names = {"particle.png", "bubble.png", "chef.png"};
    for (int i = 1; i <= 13; ++i)
        if (i != 7) names.push_back("mij" + std::to_string(i) + ".jpg");
    for (int i = 4; i <= 10; ++i) names.push_back("mij" + std::to_string(i) + "_txt.png");
    for (const auto& n : names) writePng("data/" + n, 8, 8, kPngRgba, px);
    const std::string expected = missingLine("./data/mij7.jpg");

    int table[kTextureSlots] = {};
    ScriptedIo io;
    ScopedIo scoped(&io);
    testing::internal::CaptureStdout();
    loadAllTextures(table, 1.0f, 0.1f, 0.75f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);

    for (int s = 0; s < kTextureSlots; ++s) {
        if (s == 6 || s == kSlotAtlas)
            EXPECT_EQ(table[s], 0) << "slot " << s;
        else
            EXPECT_TRUE(glIsTexture(table[s])) << "slot " << s;
    }
    EXPECT_EQ(drawn.size(), 23u);

    deleteTextures(table);
    for (int s = 0; s < kTextureSlots; ++s) EXPECT_FALSE(glIsTexture(table[s])) << "slot " << s;
}

namespace {

// A 512 x 512 atlas whose loading-screen regions are flat colours: the static
// panel red, the three animated frames green, blue and grey.
int makeAtlas(const std::string& dir) {
    std::vector<uint8_t> px(512 * 512 * 4, 0);
    auto fill = [&](int x0, int y0, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) {
                uint8_t* p = &px[(y * 512 + x) * 4];
                p[0] = r, p[1] = g, p[2] = b, p[3] = 255;
            }
    };
    fill(0, 320, 256, 128, 255, 0, 0);
    fill(0, 0, 128, 320, 0, 255, 0);
    fill(128, 0, 128, 320, 0, 0, 255);
    fill(256, 0, 128, 320, 128, 128, 128);
    writePng(dir + "/atlas.png", 512, 512, kPngRgba, px);
    return loadTexture((dir + "/atlas.png").c_str());
}

}  // namespace

TEST_F(LoadAll, LoadingScreenDrawsBothPanelsFromTheAtlasAndRestoresBlending) {
    int table[kTextureSlots] = {};
    table[kSlotAtlas] = makeAtlas(dir_);
    ASSERT_NE(table[kSlotAtlas], 0);
    int* saved = textures;
    textures = table;
    ScriptedIo io;
    ScopedIo scoped(&io);

    const struct {
        float progress;
        uint8_t r, g, b;
    } cases[] = {{0.8f, 0, 255, 0}, {0.1f, 0, 0, 255}, {0.75f, 128, 128, 128}};
    for (const auto& c : cases) {
        resetGlFrame();
        glColor3f(0.2f, 0.2f, 0.2f);
        drawLoadingScreen(c.progress);
        // Static panel, away from where the animated one overlaps it.
        EXPECT_EQ(readPixel(400, 450), (std::array<uint8_t, 3>{255, 0, 0})) << c.progress;
        EXPECT_EQ(readPixel(383, 450), (std::array<uint8_t, 3>{0, 0, 0}));
        // Animated panel, centre (604, 278).
        EXPECT_EQ(readPixel(604, 278), (std::array<uint8_t, 3>{c.r, c.g, c.b})) << c.progress;
        EXPECT_EQ(readPixel(604, 100), (std::array<uint8_t, 3>{0, 0, 0}));
        GLint src = 0, dst = 0;
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        EXPECT_EQ(src, GL_SRC_ALPHA);
        EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
        EXPECT_TRUE(glIsEnabled(GL_BLEND));
    }
    // The animated panel is added on top of the static one where they meet.
    EXPECT_EQ(readPixel(600, 430), (std::array<uint8_t, 3>{255, 128, 128}));
    EXPECT_EQ(io.swaps, 3);

    // Without the atlas both panels are plain white.
    table[kSlotAtlas] = 0;
    resetGlFrame();
    drawLoadingScreen(0.5f);
    EXPECT_EQ(readPixel(400, 450), (std::array<uint8_t, 3>{255, 255, 255}));
    EXPECT_EQ(readPixel(604, 278), (std::array<uint8_t, 3>{255, 255, 255}));
    textures = saved;
}
