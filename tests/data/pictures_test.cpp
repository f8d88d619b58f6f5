// The pictures that mkpictures draws into data/: formats the show can load,
// transparent backgrounds where the show blends, the chef standing on the
// bottom edge, captions inside the bubble, and byte-for-byte repeatable runs.
#include "data/pictures_image.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/data_set.h"

namespace {

std::vector<std::string> jpegNames() {
    std::vector<std::string> v;
    for (int n = 1; n <= 13; ++n) v.push_back("mij" + std::to_string(n) + ".jpg");
    return v;
}

std::vector<std::string> overlayNames() {
    std::vector<std::string> v = {"chef.png", "bubble.png"};
    for (int n = 4; n <= 10; ++n) v.push_back("mij" + std::to_string(n) + "_txt.png");
    return v;
}

bool startsWith(const std::vector<uint8_t>& bytes, std::initializer_list<uint8_t> sig) {
    if (bytes.size() < sig.size()) return false;
    size_t i = 0;
    for (uint8_t b : sig)
        if (bytes[i++] != b) return false;
    return true;
}

int run(const std::string& command) {
    int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string tempDir(const std::string& tag) {
    std::string t = "/tmp/mij_pictures_" + tag + "_" + std::to_string(getpid());
    run("rm -rf '" + t + "'");
    return t;
}

const std::string generator = std::string(MIJOTINE_BINARY_DIR) + "/mkpictures";

}  // namespace

TEST(PictureFiles, FullScreenPicturesAre800x600RgbJpegs) {
    for (const std::string& name : jpegNames()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(startsWith(fileBytes(dataPath(name)), {0xFF, 0xD8, 0xFF}));
        PictureImage img(dataPath(name));
        ASSERT_TRUE(img.loaded) << IMG_GetError();
        EXPECT_EQ(img.w, 800);
        EXPECT_EQ(img.h, 600);
        EXPECT_EQ(img.bytesPerPixel, 3);
    }
}

TEST(PictureFiles, OverlaysAre512RgbaPngsWithTransparentCorners) {
    for (const std::string& name : overlayNames()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(startsWith(fileBytes(dataPath(name)), {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
        PictureImage img(dataPath(name));
        ASSERT_TRUE(img.loaded) << IMG_GetError();
        EXPECT_EQ(img.w, 512);
        EXPECT_EQ(img.h, 512);
        ASSERT_EQ(img.bytesPerPixel, 4);
        EXPECT_EQ(img.alpha(0, 0), 0);
        EXPECT_EQ(img.alpha(511, 0), 0);
        EXPECT_EQ(img.alpha(0, 511), 0);
        EXPECT_EQ(img.alpha(511, 511), 0);
        // and there is something to see
        int opaque = 0;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) opaque += img.alpha(x, y) > 200;
        EXPECT_GT(opaque, 3000);
    }
}

TEST(PictureFiles, IconIsASmallSquareJpeg) {
    EXPECT_TRUE(startsWith(fileBytes(dataPath("icon.jpg")), {0xFF, 0xD8, 0xFF}));
    PictureImage img(dataPath("icon.jpg"));
    ASSERT_TRUE(img.loaded) << IMG_GetError();
    EXPECT_EQ(img.w, img.h);
    EXPECT_GE(img.w, 16);
    EXPECT_LE(img.w, 64);
    EXPECT_EQ(img.bytesPerPixel, 3);
}

TEST(PictureFiles, ParticleIsAPowerOfTwoGlowFadingToTransparentEdges) {
    PictureImage img(dataPath("particle.png"));
    ASSERT_TRUE(img.loaded) << IMG_GetError();
    ASSERT_EQ(img.bytesPerPixel, 4);
    EXPECT_EQ(img.w, img.h);
    EXPECT_EQ(img.w & (img.w - 1), 0) << "size must be a power of two";
    int n = img.w;
    EXPECT_GT(img.alpha(n / 2, n / 2), 200);
    EXPECT_GT(img.luminance(n / 2, n / 2), 220);
    for (int i = 0; i < n; ++i) {  // every border pixel is fully transparent
        EXPECT_EQ(img.alpha(i, 0), 0);
        EXPECT_EQ(img.alpha(i, n - 1), 0);
        EXPECT_EQ(img.alpha(0, i), 0);
        EXPECT_EQ(img.alpha(n - 1, i), 0);
    }
    // alpha falls off from the centre outwards, without rings
    for (int x = n / 2 + 1; x < n; ++x) EXPECT_LE(img.alpha(x, n / 2), img.alpha(x - 1, n / 2));
}

TEST(PictureLayout, ChefStandsOnTheBottomEdge) {
    PictureImage chef(dataPath("chef.png"));
    ASSERT_TRUE(chef.loaded);
    // wide and solid in the last rows, so that at rest he meets the screen's edge
    for (int y = 508; y < 512; ++y) {
        int solid = 0;
        for (int x = 0; x < 512; ++x) solid += chef.alpha(x, y) == 255;
        EXPECT_GT(solid, 250) << "row " << y;
    }
    // and his head (the top of the figure) is well above the bubble's tail end
    int top = 512;
    for (int y = 0; y < 512 && top == 512; ++y)
        for (int x = 0; x < 512; ++x)
            if (chef.alpha(x, y) > 128) {
                top = y;
                break;
            }
    EXPECT_LT(top, 60);
}

// Each caption shares the bubble's rectangle and turns about its centre by up
// to 10 degrees while breathing up to 5 %: all its lettering must stay on the
// bubble's light, opaque inside in every such pose.
TEST(PictureLayout, CaptionsStayInsideTheBubbleWhileTiltingAndBreathing) {
    PictureImage bubble(dataPath("bubble.png"));
    ASSERT_TRUE(bubble.loaded);
    for (int n = 4; n <= 10; ++n) {
        std::string name = "mij" + std::to_string(n) + "_txt.png";
        SCOPED_TRACE(name);
        PictureImage cap(dataPath(name));
        ASSERT_TRUE(cap.loaded);
        int lettering = 0;
        for (double degrees : {0.0, -10.0, 10.0}) {
            double a = degrees * M_PI / 180, scale = 1.05;
            int outside = 0;
            for (int y = 0; y < 512; ++y)
                for (int x = 0; x < 512; ++x) {
                    if (cap.alpha(x, y) < 32) continue;
                    if (degrees == 0) ++lettering;
                    double dx = (x - 256) * scale, dy = (y - 256) * scale;
                    int bx = static_cast<int>(std::lround(256 + dx * std::cos(a) - dy * std::sin(a)));
                    int by = static_cast<int>(std::lround(256 + dx * std::sin(a) + dy * std::cos(a)));
                    bool onLight = bx >= 0 && by >= 0 && bx < 512 && by < 512 &&
                                   bubble.alpha(bx, by) == 255 && bubble.luminance(bx, by) > 200;
                    outside += !onLight;
                }
            EXPECT_EQ(outside, 0) << "at " << degrees << " degrees";
        }
        EXPECT_GT(lettering, 4000) << "caption too small to read at 200 x 200";
    }
}

TEST(PictureLayout, ScrollerBackgroundKeepsAQuietLightPageForBlackText) {
    PictureImage bg(dataPath("mij13.jpg"));
    ASSERT_TRUE(bg.loaded);
    // where the text runs: light everywhere, and hardly any texture
    double sum = 0, sum2 = 0, darkest = 255;
    int count = 0;
    for (int y = 310; y < 600; ++y)
        for (int x = 56; x < 760; ++x) {
            double l = bg.luminance(x, y);
            sum += l;
            sum2 += l * l;
            darkest = std::min(darkest, l);
            ++count;
        }
    double mean = sum / count, sd = std::sqrt(sum2 / count - mean * mean);
    EXPECT_GT(mean, 200);
    EXPECT_LT(sd, 12);
    EXPECT_GT(darkest, 150);
    // the upper half is a picture, not the same page
    EXPECT_LT(bg.meanLuminance(0, 0, 800, 300), mean - 30);
}

TEST(PictureLayout, FullScreenPicturesAreIllustratedNotFlat) {
    std::vector<double> means;
    for (const std::string& name : jpegNames()) {
        SCOPED_TRACE(name);
        PictureImage img(dataPath(name));
        ASSERT_TRUE(img.loaded);
        // in each 100 x 100 tile of the upper half the pixels vary: texture or shapes everywhere
        for (int ty = 0; ty < 300; ty += 100)
            for (int tx = 0; tx < 800; tx += 100) {
                double s = 0, s2 = 0;
                for (int y = ty; y < ty + 100; ++y)
                    for (int x = tx; x < tx + 100; ++x) {
                        double l = img.luminance(x, y);
                        s += l;
                        s2 += l * l;
                    }
                double m = s / 1e4;
                EXPECT_GT(std::sqrt(s2 / 1e4 - m * m), 1.0) << "tile " << tx << "," << ty;
            }
        means.push_back(img.meanLuminance(0, 0, 800, 600));
    }
    // and no two pictures are the same picture
    for (size_t i = 0; i < means.size(); ++i)
        for (size_t j = i + 1; j < means.size(); ++j) {
            PictureImage a(dataPath(jpegNames()[i])), b(dataPath(jpegNames()[j]));
            long diff = 0;
            for (size_t k = 0; k < a.rgba.size(); k += 4 * 97) diff += std::abs(a.rgba[k] - b.rgba[k]);
            EXPECT_GT(diff, 10000) << jpegNames()[i] << " vs " << jpegNames()[j];
        }
}

// Each finer picture is its plain one drawn at twice the resolution: the same
// format at twice the size, and the same picture, block by block. (Pixel by
// pixel they differ where the grain and the lettering's hinting do: up to
// 0.027 for a caption, whose stems the hinting draws thicker at the small size.)
TEST(PictureFiles, FinerPicturesAreThePlainOnesDrawnAtTwiceTheResolution) {
    // The mean of a block of a picture, colours weighted by alpha, as blended.
    auto blockMean = [](const PictureImage& p, int x0, int y0, int size, int ch) {
        double sum = 0;
        for (int y = y0; y < y0 + size; ++y)
            for (int x = x0; x < x0 + size; ++x) sum += ch == 3 ? p.at(x, y)[3] : p.at(x, y)[ch] * p.at(x, y)[3] / 255.0;
        return sum / (size * size * 255.0);
    };
    for (int key = 0; key < kDataFiles; ++key) {
        if (!hasFinerFile(key)) continue;
        SCOPED_TRACE(finerFileName(key));
        PictureImage plain(dataPath(dataFileName(key))), finer(dataPath(finerFileName(key)));
        ASSERT_TRUE(plain.loaded && finer.loaded) << IMG_GetError();
        ASSERT_EQ(finer.w, plain.w * kFinerScale);
        ASSERT_EQ(finer.h, plain.h * kFinerScale);
        EXPECT_EQ(finer.bytesPerPixel, plain.bytesPerPixel);
        const int block = 8;
        double sum = 0;
        int n = 0;
        for (int y = 0; y + block <= plain.h; y += block)
            for (int x = 0; x + block <= plain.w; x += block)
                for (int ch = 0; ch < 4; ++ch, ++n) {
                    const double d = blockMean(finer, 2 * x, 2 * y, 2 * block, ch) - blockMean(plain, x, y, block, ch);
                    sum += d * d;
                }
        EXPECT_LT(std::sqrt(sum / n), 0.035);
    }
}

TEST(PictureGenerator, TwoRunsWriteIdenticalFiles) {
    std::string a = tempDir("a"), b = tempDir("b");
    ASSERT_EQ(run("'" + generator + "' '" + a + "'"), 0);
    ASSERT_EQ(run("'" + generator + "' '" + b + "'"), 0);
    // Every picture of the data set's table, and the finer ones.
    std::vector<std::string> names;
    for (const DataFile& file : kDataSet)
        if (file.source == DataSource::Pictures) names.push_back(file.name);
    for (int key = 0; key < kDataFiles; ++key)
        if (hasFinerFile(key)) names.push_back(finerFileName(key));
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> x = fileBytes(a + "/" + n), y = fileBytes(b + "/" + n);
        EXPECT_FALSE(x.empty());
        EXPECT_TRUE(x == y);
    }
    run("rm -rf '" + a + "' '" + b + "'");
}

TEST(PictureGenerator, RefusesMissingArgumentsAndUnusableDirectories) {
    EXPECT_NE(run("'" + generator + "' 2>/dev/null"), 0);
    std::string f = tempDir("file");
    ASSERT_EQ(run("touch '" + f + "'"), 0);
    EXPECT_NE(run("'" + generator + "' '" + f + "' 2>/dev/null"), 0);
    run("rm -f '" + f + "'");
}

// At rest the bubble stands 115 px right of and 50 px above the chef, both
// drawn at 200 x 200: it must point at him without hiding his face.
TEST(PictureLayout, BubbleSpeaksToTheChefWithoutHidingHisHead) {
    PictureImage chef(dataPath("chef.png")), bubble(dataPath("bubble.png"));
    ASSERT_TRUE(chef.loaded && bubble.loaded);
    const double k = 512.0 / 200.0;
    auto chefAt = [&](int sx, int sy) {  // screen pixel relative to the chef's rectangle
        int x = static_cast<int>(sx * k), y = static_cast<int>(sy * k);
        return x >= 0 && y >= 0 && x < 512 && y < 512 && chef.alpha(x, y) > 128;
    };
    auto bubbleAt = [&](int sx, int sy) {  // same screen frame, bubble moved by (115, -50)
        int x = static_cast<int>((sx - 115) * k), y = static_cast<int>((sy + 50) * k);
        return x >= 0 && y >= 0 && x < 512 && y < 512 && bubble.alpha(x, y) > 128;
    };
    // the head: the chef's opaque pixels in the upper 120 screen rows of his rectangle
    int head = 0, hidden = 0;
    for (int sy = 0; sy < 120; ++sy)
        for (int sx = 0; sx < 200; ++sx)
            if (chefAt(sx, sy)) {
                ++head;
                hidden += bubbleAt(sx, sy);
            }
    ASSERT_GT(head, 2000);
    EXPECT_LT(hidden, head / 20) << hidden << " of " << head << " head pixels hidden";
    // the tail's tip (the bubble's leftmost opaque pixel) ends close to the chef
    int tipX = 1000, tipY = 0;
    for (int sy = -50; sy < 150; ++sy)
        for (int sx = 115; sx < 315; ++sx)
            if (bubbleAt(sx, sy) && sx < tipX) {
                tipX = sx;
                tipY = sy;
            }
    double nearest = 1e9;
    for (int sy = 0; sy < 200; ++sy)
        for (int sx = 0; sx < 200; ++sx)
            if (chefAt(sx, sy)) nearest = std::min(nearest, std::hypot(sx - tipX, sy - tipY));
    EXPECT_LT(nearest, 25) << "tail tip at " << tipX << "," << tipY;
    EXPECT_GT(tipY, 40) << "the tail points down towards the head";
}
