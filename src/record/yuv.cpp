#include "record/yuv.h"

#include <cstddef>

namespace {

// BT.601's weights scaled to the limited range (219 levels of luma, 224 of
// chroma, of 255) in 1/65536. Each chroma row sums to zero, so grey stays grey.
constexpr int kYr = 16829, kYg = 33039, kYb = 6416;
constexpr int kUr = -9714, kUg = -19070, kUb = 28784;
constexpr int kVr = 28784, kVg = -24103, kVb = -4681;

inline uint8_t luma(const uint8_t* p) {
    return static_cast<uint8_t>((kYr * p[2] + kYg * p[1] + kYb * p[0] + (16 << 16) + (1 << 15)) >> 16);
}

void lumaRow(const uint8_t* bgra, int width, uint8_t* out) {
    for (int x = 0; x < width; ++x) out[x] = luma(bgra + 4 * x);
}

// r, g and b are sums over four pixels, so the scale is 1/(4 * 65536).
inline uint8_t chroma(int wr, int wg, int wb, int r, int g, int b) {
    return static_cast<uint8_t>((wr * r + wg * g + wb * b + (128 << 18) + (1 << 17)) >> 18);
}

}  // namespace

void bgraToYuv420(const uint8_t* bgraBottomUp, int width, int height, const YuvPlanes& out) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
    for (int row = 0; row < height; row += 2) {
        // The picture's top row is the read-back's last.
        const uint8_t* upper = bgraBottomUp + stride * (height - 1 - row);
        const uint8_t* lower = upper - stride;
        lumaRow(upper, width, out.y + static_cast<ptrdiff_t>(out.yStride) * row);
        lumaRow(lower, width, out.y + static_cast<ptrdiff_t>(out.yStride) * (row + 1));
        uint8_t* u = out.u + static_cast<ptrdiff_t>(out.uStride) * (row / 2);
        uint8_t* v = out.v + static_cast<ptrdiff_t>(out.vStride) * (row / 2);
        for (int x = 0; x < width / 2; ++x) {
            const uint8_t* a = upper + 8 * x;
            const uint8_t* b = lower + 8 * x;
            const int blue = a[0] + a[4] + b[0] + b[4];
            const int green = a[1] + a[5] + b[1] + b[5];
            const int red = a[2] + a[6] + b[2] + b[6];
            u[x] = chroma(kUr, kUg, kUb, red, green, blue);
            v[x] = chroma(kVr, kVg, kVb, red, green, blue);
        }
    }
}
