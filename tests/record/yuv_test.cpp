#include <gtest/gtest.h>

#include <vector>

#include "record/yuv.h"

namespace {

struct Colour {
    uint8_t r, g, b;
    int y, u, v;  // BT.601, limited range
};

// A picture of 2 x 2 blocks, one colour each, laid out top to bottom in
// `rows` of blocks, handed over bottom-up as OpenGL reads it back.
std::vector<uint8_t> bottomUp(const std::vector<std::vector<Colour>>& rows) {
    const int width = static_cast<int>(rows[0].size()) * 2;
    const int height = static_cast<int>(rows.size()) * 2;
    std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour& c = rows[static_cast<size_t>(y / 2)][static_cast<size_t>(x / 2)];
            uint8_t* p = &rgba[static_cast<size_t>(((height - 1 - y) * width + x) * 4)];
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    return rgba;
}

}  // namespace

TEST(Yuv, TextbookColoursLandWhereTheyBelongTopRowFirst) {
    const Colour white{255, 255, 255, 235, 128, 128}, black{0, 0, 0, 16, 128, 128};
    const Colour red{255, 0, 0, 81, 90, 240}, green{0, 255, 0, 145, 54, 34}, blue{0, 0, 255, 41, 240, 110};
    const Colour grey{128, 128, 128, 126, 128, 128};
    const std::vector<std::vector<Colour>> rows = {{red, green, blue}, {white, black, grey}};
    const std::vector<uint8_t> rgba = bottomUp(rows);
    const int width = 6, height = 4, pad = 3;  // strides wider than the picture, as FFmpeg's are
    std::vector<uint8_t> y(static_cast<size_t>((width + pad) * height)), u((width / 2 + pad) * 2), v(u.size());
    rgbaToYuv420(rgba.data(), width, height, YuvPlanes{y.data(), u.data(), v.data(), width + pad, width / 2 + pad,
                                                       width / 2 + pad});
    for (size_t row = 0; row < rows.size(); ++row)
        for (size_t col = 0; col < rows[row].size(); ++col) {
            const Colour& c = rows[row][col];
            SCOPED_TRACE(testing::Message() << "block " << row << "," << col);
            for (size_t dy = 0; dy < 2; ++dy)
                for (size_t dx = 0; dx < 2; ++dx) EXPECT_EQ(y[(2 * row + dy) * (width + pad) + 2 * col + dx], c.y);
            EXPECT_EQ(u[row * (width / 2 + pad) + col], c.u);
            EXPECT_EQ(v[row * (width / 2 + pad) + col], c.v);
        }
}

TEST(Yuv, ChromaIsTheMeanOfItsFourPixels) {
    // Two columns of red beside two of blue in one 2 x 2 block each way: the
    // chroma of a block half red, half blue lies halfway between theirs.
    std::vector<uint8_t> rgba(2 * 2 * 4);
    for (int i = 0; i < 4; ++i) {
        const bool isRed = i % 2 == 0;
        rgba[static_cast<size_t>(i * 4 + 0)] = isRed ? 255 : 0;
        rgba[static_cast<size_t>(i * 4 + 2)] = isRed ? 0 : 255;
    }
    uint8_t y[4], u, v;
    rgbaToYuv420(rgba.data(), 2, 2, YuvPlanes{y, &u, &v, 2, 1, 1});
    EXPECT_EQ(u, (90 + 240 + 1) / 2);
    EXPECT_EQ(v, (240 + 110 + 1) / 2);
}

TEST(Yuv, EveryPixelOfAWidePictureAsThePlainSumsGiveIt) {
    // Random pixels, alpha included, at widths that the eight-pixel steps
    // cover exactly and with pixels left over; each value is checked against
    // the weighted sums worked out one pixel at a time.
    uint32_t seed = 12345;
    const auto next = [&] { return static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24); };
    for (const int width : {16, 54, 1440}) {
        const int height = 6;
        SCOPED_TRACE(testing::Message() << "width " << width);
        std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
        for (uint8_t& byte : rgba) byte = next();
        // A run of extremes, which the narrower lanes must carry whole.
        for (size_t i = 0; i < 64; ++i) rgba[i] = (i / 4) % 2 ? 255 : 0;
        std::vector<uint8_t> y(static_cast<size_t>(width * height)), u(static_cast<size_t>(width * height / 4)),
            v(u.size());
        rgbaToYuv420(rgba.data(), width, height, YuvPlanes{y.data(), u.data(), v.data(), width, width / 2, width / 2});
        const auto at = [&](int x, int row, int channel) {  // row 0 at the top
            return static_cast<int>(rgba[static_cast<size_t>(((height - 1 - row) * width + x) * 4 + channel)]);
        };
        int wrong = 0;
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x) {
                const int sum = 16829 * at(x, row, 0) + 33039 * at(x, row, 1) + 6416 * at(x, row, 2);
                wrong += y[static_cast<size_t>(row * width + x)] != (sum + (16 << 16) + (1 << 15)) >> 16;
            }
        for (int row = 0; row < height / 2; ++row)
            for (int x = 0; x < width / 2; ++x) {
                int sum[3] = {0, 0, 0};
                for (int c = 0; c < 3; ++c)
                    sum[c] = at(2 * x, 2 * row, c) + at(2 * x + 1, 2 * row, c) + at(2 * x, 2 * row + 1, c) +
                             at(2 * x + 1, 2 * row + 1, c);
                const int offset = (128 << 18) + (1 << 17);
                const int expectedU = (-9714 * sum[0] - 19070 * sum[1] + 28784 * sum[2] + offset) >> 18;
                const int expectedV = (28784 * sum[0] - 24103 * sum[1] - 4681 * sum[2] + offset) >> 18;
                wrong += u[static_cast<size_t>(row * width / 2 + x)] != expectedU;
                wrong += v[static_cast<size_t>(row * width / 2 + x)] != expectedV;
            }
        EXPECT_EQ(wrong, 0);
    }
}
