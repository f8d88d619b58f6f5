// The atlas unpack.jpg: every region the show cuts from it holds its picture,
// regions drawn additively fade to black at their borders, and the space
// between regions stays black so that no region bleeds into another.
#include "data/pictures_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Region {
    const char* what;
    int x, y, w, h;
};

const Region steamFrames[] = {{"steam frame 0", 0, 0, 128, 320},
                              {"steam frame 1", 128, 0, 128, 320},
                              {"steam frame 2", 256, 0, 128, 320}};
const Region panel{"static panel", 0, 320, 256, 128};
const Region glowRegion{"glow", 448, 256, 64, 64};
const Region buttons[] = {{"previous, first slide", 384, 384, 31, 29},
                          {"previous, lit", 384, 448, 31, 29},
                          {"next, lit", 448, 448, 31, 29},
                          {"leave, lit", 448, 384, 31, 29},
                          {"leave, unlit", 448, 21, 31, 29}};

class Atlas : public ::testing::Test {
protected:
    static void SetUpTestSuite() { atlas = new PictureImage(dataPath("unpack.jpg")); }
    static void TearDownTestSuite() {
        delete atlas;
        atlas = nullptr;
    }
    static PictureImage* atlas;
};
PictureImage* Atlas::atlas = nullptr;

}  // namespace

TEST_F(Atlas, IsA512RgbJpeg) {
    EXPECT_TRUE(fileBytes(dataPath("unpack.jpg")).size() > 3);
    ASSERT_TRUE(atlas->loaded);
    EXPECT_EQ(atlas->w, 512);
    EXPECT_EQ(atlas->h, 512);
    EXPECT_EQ(atlas->bytesPerPixel, 3);
}

TEST_F(Atlas, AdditiveRegionsHaveContentAndDarkBorders) {
    ASSERT_TRUE(atlas->loaded);
    std::vector<Region> additive(std::begin(steamFrames), std::end(steamFrames));
    additive.push_back(glowRegion);
    for (const Region& r : additive) {
        SCOPED_TRACE(r.what);
        EXPECT_GT(atlas->meanLuminance(r.x, r.y, r.w, r.h), 12);
        int brightest = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) brightest = std::max(brightest, atlas->maxChannel(x, y));
        EXPECT_GT(brightest, 200);
        // the two outermost rows and columns are near black (texture edges
        // are sampled when the quad is drawn, and add onto the screen)
        for (int d = 0; d < 2; ++d) {
            for (int x = r.x; x < r.x + r.w; ++x) {
                EXPECT_LE(atlas->maxChannel(x, r.y + d), 16) << "x " << x;
                EXPECT_LE(atlas->maxChannel(x, r.y + r.h - 1 - d), 16) << "x " << x;
            }
            for (int y = r.y; y < r.y + r.h; ++y) {
                EXPECT_LE(atlas->maxChannel(r.x + d, y), 16) << "y " << y;
                EXPECT_LE(atlas->maxChannel(r.x + r.w - 1 - d, y), 16) << "y " << y;
            }
        }
    }
}

TEST_F(Atlas, SteamFramesDifferFromOneAnother) {
    ASSERT_TRUE(atlas->loaded);
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3;
        long diff = 0;
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 128; ++x)
                diff += std::abs(atlas->maxChannel(steamFrames[a].x + x, y) - atlas->maxChannel(steamFrames[b].x + x, y));
        EXPECT_GT(diff, 128 * 320 * 4) << "frames " << a << " and " << b << " are too alike to animate";
    }
}

TEST_F(Atlas, StaticPanelFillsItsWholeRectangle) {
    ASSERT_TRUE(atlas->loaded);
    // drawn opaque over black: no black rim inside its rectangle
    for (int x = panel.x; x < panel.x + panel.w; ++x) {
        EXPECT_GT(atlas->maxChannel(x, panel.y), 24) << "top x " << x;
        EXPECT_GT(atlas->maxChannel(x, panel.y + panel.h - 1), 24) << "bottom x " << x;
    }
    for (int y = panel.y; y < panel.y + panel.h; ++y) {
        EXPECT_GT(atlas->maxChannel(panel.x, y), 24) << "left y " << y;
        EXPECT_GT(atlas->maxChannel(panel.x + panel.w - 1, y), 24) << "right y " << y;
    }
    // with lettering on it: strong light and dark parts
    double lo = 255, hi = 0;
    for (int y = panel.y; y < panel.y + panel.h; ++y)
        for (int x = panel.x; x < panel.x + 150; ++x) {
            lo = std::min(lo, atlas->luminance(x, y));
            hi = std::max(hi, atlas->luminance(x, y));
        }
    EXPECT_GT(hi - lo, 150);
}

TEST_F(Atlas, ButtonsFillTheirRectanglesAndLitOnesAreBrighter) {
    ASSERT_TRUE(atlas->loaded);
    std::vector<double> mean;
    for (const Region& b : buttons) {
        SCOPED_TRACE(b.what);
        // no black corners: the whole 31 x 29 face covers the slide beneath
        for (int y = b.y + 1; y < b.y + b.h - 1; ++y)
            for (int x = b.x + 1; x < b.x + b.w - 1; ++x) EXPECT_GT(atlas->maxChannel(x, y), 20) << x << "," << y;
        mean.push_back(atlas->meanLuminance(b.x, b.y, b.w, b.h));
    }
    EXPECT_GT(mean[1], mean[0] + 20) << "previous: lit vs dimmed";
    EXPECT_GT(mean[3], mean[4] + 20) << "leave: lit vs unlit";
    // previous and next lit are mirror images of each other in brightness
    EXPECT_NEAR(mean[1], mean[2], 12);
    // leaving looks different from paging on
    long diff = 0;
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 31; ++x) {
            const uint8_t* p = atlas->at(448 + x, 448 + y);
            const uint8_t* q = atlas->at(448 + x, 384 + y);
            diff += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
        }
    EXPECT_GT(diff, 31 * 29 * 40);
}

TEST_F(Atlas, EverythingOutsideTheRegionsStaysBlack) {
    ASSERT_TRUE(atlas->loaded);
    // Each region may spread within the 8 x 8 blocks it touches; beyond them
    // the atlas must be black.
    std::vector<Region> all(std::begin(steamFrames), std::end(steamFrames));
    all.push_back(panel);
    all.push_back(glowRegion);
    all.insert(all.end(), std::begin(buttons), std::end(buttons));
    std::vector<uint8_t> allowed(512 * 512, 0);
    for (const Region& r : all) {
        int x0 = r.x / 8 * 8, y0 = r.y / 8 * 8;
        int x1 = std::min(512, (r.x + r.w + 7) / 8 * 8), y1 = std::min(512, (r.y + r.h + 7) / 8 * 8);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) allowed[y * 512 + x] = 1;
    }
    int bright = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (!allowed[y * 512 + x] && atlas->maxChannel(x, y) > 12) {
                if (bright++ == 0) {
                    firstX = x;
                    firstY = y;
                }
            }
    EXPECT_EQ(bright, 0) << "first at " << firstX << "," << firstY;
}
