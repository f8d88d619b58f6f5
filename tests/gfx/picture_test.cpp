#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL.h>

#include "gfx/picture.h"
#include "gfx/picture_preparer.h"

TEST(TightPixels, RepacksPaddedRowsAndReordersChannels) {
    // 3 x 2, four bytes a pixel in B, G, R, A order with a padded pitch.
    SDL_Surface* s =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 3, 2, 32, 0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000);
    ASSERT_NE(s, nullptr);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Uint32* p = reinterpret_cast<Uint32*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch) + x;
            *p = SDL_MapRGBA(s->format, 10 * x + y, 100 + x, 200 - y, 50 + x + y);
        }
    const std::vector<unsigned char> out = tightRgbPixels(s);
    ASSERT_EQ(out.size(), 3u * 2 * 4);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const unsigned char* p = &out[(y * 3 + x) * 4];
            EXPECT_EQ(p[0], 10 * x + y);
            EXPECT_EQ(p[1], 100 + x);
            EXPECT_EQ(p[2], 200 - y);
            EXPECT_EQ(p[3], 50 + x + y);
        }
    SDL_FreeSurface(s);

    // Four bytes without an alpha mask come out opaque.
    s = SDL_CreateRGBSurface(SDL_SWSURFACE, 2, 1, 32, 0x000000ff, 0x0000ff00, 0x00ff0000, 0);
    ASSERT_NE(s, nullptr);
    static_cast<Uint32*>(s->pixels)[0] = 0x00030201;
    static_cast<Uint32*>(s->pixels)[1] = 0x00060504;
    const std::vector<unsigned char> opaque = tightRgbPixels(s);
    EXPECT_EQ(opaque, (std::vector<unsigned char>{1, 2, 3, 255, 4, 5, 6, 255}));
    SDL_FreeSurface(s);
}

TEST(PictureInk, KeepsTwoTexelsAroundTheInkUpToTheEdgesInSourceUnits) {
    constexpr int kSize = 64;  // a 512-unit source rectangle counts 8 units a texel
    std::vector<unsigned char> rgba(kSize * kSize * 4, 255);
    for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 0;
    EXPECT_EQ(inkOf(rgba.data(), kSize).w(), 0) << "a wholly transparent picture has nothing to draw";

    auto ink = [&](int x, int y) { rgba[(static_cast<size_t>(y) * kSize + x) * 4 + 3] = 1; };
    ink(10, 20);
    ink(30, 63);  // on the bottom edge: the part runs to it
    const Rect part = inkOf(rgba.data(), kSize);
    EXPECT_EQ(part.x(), 8 * 8);
    EXPECT_EQ(part.y(), 18 * 8);
    EXPECT_EQ(part.w(), (33 - 8) * 8);
    EXPECT_EQ(part.h(), (64 - 18) * 8);
}

// Pictures prepared ahead on the caller's thread, with the second thread
// claiming others beside it, still come out of take() each in its own place.
TEST(PicturePreparer, PicturesPreparedAheadKeepTheirOrder) {
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) paths.push_back("/nonexistent/picture-" + std::to_string(i) + ".png");
    PicturePreparer preparer(paths);
    size_t ahead = 0;
    while (preparer.prepareNext()) ++ahead;
    EXPECT_LE(ahead, paths.size());
    EXPECT_FALSE(preparer.prepareNext());
    for (size_t i = 0; i < paths.size(); ++i) {
        const PreparedPicture p = preparer.take(i);
        EXPECT_NE(p.error.find(paths[i] + "'"), std::string::npos) << p.error;
    }
}

// A finer file that can't stand in for its plain one gives way to it, with
// one line that says why; a sound one is kept at its own size.
TEST(FinerPicture, ADamagedFinerFileGivesWayToThePlainOneWithOneLine) {
    const std::string data = MIJOTINE_DATA_DIR "/", plain = data + "mij4.jpg", dir = "/tmp/mij_finer_bad";
    std::system(("rm -rf " + dir + " && mkdir -p " + dir).c_str());
    std::system(("head -c 40000 " + data + "mij4@2x.jpg >" + dir + "/cut.jpg").c_str());
    std::system(("echo not a picture >" + dir + "/text.jpg").c_str());
    std::system(("truncate -s 40M " + dir + "/huge.jpg").c_str());
    // A whole PNG whose header says 16000 x 12000, never decoded.
    std::system(("cp " + data + "chef@2x.png " + dir + "/giant.png && printf '\\0\\0\\076\\200\\0\\0\\056\\340' | dd of=" + dir +
                 "/giant.png bs=1 seek=16 conv=notrunc 2>/dev/null")
                    .c_str());
    const struct {
        std::string finer, why;
    } cases[] = {
        {dir + "/none.jpg", "it is missing"},
        {dir + "/cut.jpg", "it is cut short"},
        {data + "mij4.jpg", "it is 800 x 600, not 1600 x 1200"},
        {dir + "/giant.png", "it is 16000 x 12000, not 1600 x 1200"},
        {dir + "/text.jpg", "it is neither a PNG nor a JPEG"},
        {dir + "/huge.jpg", "it is too large (41943040 bytes)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.finer);
        const PreparedPicture picture = preparePicture(PictureFile{plain, c.finer});
        EXPECT_EQ(picture.note, "  Using '" + plain + "' for its finer '" + c.finer + "': " + c.why + "\n");
        EXPECT_TRUE(picture.error.empty());
        EXPECT_EQ(picture.width, 1024) << "the plain picture, as it has always been kept";
    }
    const PreparedPicture finer = preparePicture(PictureFile{plain, data + "mij4@2x.jpg"});
    EXPECT_TRUE(finer.note.empty() && finer.error.empty()) << finer.note << finer.error;
    EXPECT_EQ(finer.width, 1600);
    EXPECT_EQ(finer.height, 1200);
    std::system(("rm -rf " + dir).c_str());
}
