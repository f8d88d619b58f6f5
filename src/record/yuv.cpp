#include "record/yuv.h"

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// BT.601's weights scaled to the limited range (219 levels of luma, 224 of
// chroma, of 255) in 1/65536. Each chroma row sums to zero, so grey stays grey.
constexpr int kYr = 16829, kYg = 33039, kYb = 6416;
constexpr int kUr = -9714, kUg = -19070, kUb = 28784;
constexpr int kVr = 28784, kVg = -24103, kVb = -4681;
constexpr int kYOffset = (16 << 16) + (1 << 15);  // 16, and a half to round
constexpr int kCOffset = (128 << 18) + (1 << 17);  // 128, and a half, for sums of four

inline uint8_t luma(const uint8_t* p) {
    return static_cast<uint8_t>((kYr * p[0] + kYg * p[1] + kYb * p[2] + kYOffset) >> 16);
}

// r, g and b are sums over four pixels, so the scale is 1/(4 * 65536).
inline uint8_t chroma(int wr, int wg, int wb, int r, int g, int b) {
    return static_cast<uint8_t>((wr * r + wg * g + wb * b + kCOffset) >> 18);
}

// Pixels [from, width) of an upper and a lower row, one pixel (and chroma
// sample) at a time.
void convertPairTail(const uint8_t* upper, const uint8_t* lower, int from, int width, uint8_t* y0, uint8_t* y1,
                     uint8_t* u, uint8_t* v) {
    for (int x = from; x < width; ++x) {
        y0[x] = luma(upper + 4 * x);
        y1[x] = luma(lower + 4 * x);
    }
    for (int x = from / 2; x < width / 2; ++x) {
        const uint8_t* a = upper + 8 * x;
        const uint8_t* b = lower + 8 * x;
        const int red = a[0] + a[4] + b[0] + b[4];
        const int green = a[1] + a[5] + b[1] + b[5];
        const int blue = a[2] + a[6] + b[2] + b[6];
        u[x] = chroma(kUr, kUg, kUb, red, green, blue);
        v[x] = chroma(kVr, kVg, kVb, red, green, blue);
    }
}

#if defined(__SSE2__)

// The same sums eight pixels at a time, exactly: every product and sum fits
// the 32-bit lanes that pmaddwd gives, and the weights its 16-bit ones (the
// green's luma weight, too large for them, taken in two halves).
struct Channels {
    __m128i r, g, b;  // eight pixels, 16 bits each
};

inline Channels channels(const uint8_t* rgba) {
    const __m128i byte = _mm_set1_epi32(0xff);
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgba + 16));
    const auto channel = [&](int shift) {
        return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, shift), byte),
                               _mm_and_si128(_mm_srli_epi32(hi, shift), byte));
    };
    return Channels{channel(0), channel(8), channel(16)};
}

inline __m128i weights(int first, int second) {
    const unsigned pair = (static_cast<unsigned>(second) << 16) | (static_cast<unsigned>(first) & 0xffff);
    return _mm_set1_epi32(static_cast<int>(pair));
}

// Eight luma values, stored.
inline void lumaEight(const Channels& c, uint8_t* out) {
    constexpr int kYg1 = kYg / 2, kYg2 = kYg - kYg / 2;
    const __m128i rg = weights(kYr, kYg1), gb = weights(kYg2, kYb), offset = _mm_set1_epi32(kYOffset);
    const auto four = [&](__m128i redGreen, __m128i greenBlue) {
        const __m128i sum = _mm_add_epi32(_mm_madd_epi16(redGreen, rg), _mm_madd_epi16(greenBlue, gb));
        return _mm_srai_epi32(_mm_add_epi32(sum, offset), 16);
    };
    const __m128i first = four(_mm_unpacklo_epi16(c.r, c.g), _mm_unpacklo_epi16(c.g, c.b));
    const __m128i second = four(_mm_unpackhi_epi16(c.r, c.g), _mm_unpackhi_epi16(c.g, c.b));
    const __m128i words = _mm_packs_epi32(first, second);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(words, words));
}

// Four chroma values from the sums of their blocks (in the low four 16-bit
// lanes), stored.
inline void chromaFour(__m128i r, __m128i g, __m128i b, int wr, int wg, int wb, uint8_t* out) {
    const __m128i sum = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(r, g), weights(wr, wg)),
                                      _mm_madd_epi16(_mm_unpacklo_epi16(b, _mm_setzero_si128()), weights(wb, 0)));
    const __m128i values = _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(kCOffset)), 18);
    const __m128i words = _mm_packs_epi32(values, values);
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bytes >> (8 * i));
}

// Pixels [0, a multiple of eight) of a pair of rows; returns where it stopped.
int convertPairFast(const uint8_t* upper, const uint8_t* lower, int width, uint8_t* y0, uint8_t* y1, uint8_t* u,
                    uint8_t* v) {
    const __m128i ones = _mm_set1_epi16(1);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const Channels a = channels(upper + 4 * x), b = channels(lower + 4 * x);
        lumaEight(a, y0 + x);
        lumaEight(b, y1 + x);
        // Each block's sum: its two pixels in each row, then both rows.
        const auto blocks = [&](__m128i top, __m128i bottom) {
            const __m128i sums = _mm_add_epi32(_mm_madd_epi16(top, ones), _mm_madd_epi16(bottom, ones));
            return _mm_packs_epi32(sums, sums);
        };
        const __m128i red = blocks(a.r, b.r), green = blocks(a.g, b.g), blue = blocks(a.b, b.b);
        chromaFour(red, green, blue, kUr, kUg, kUb, u + x / 2);
        chromaFour(red, green, blue, kVr, kVg, kVb, v + x / 2);
    }
    return x;
}

#else

int convertPairFast(const uint8_t*, const uint8_t*, int, uint8_t*, uint8_t*, uint8_t*, uint8_t*) { return 0; }

#endif

}  // namespace

void rgbaToYuv420(const uint8_t* rgbaBottomUp, int width, int height, const YuvPlanes& out) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(width) * 4;
    for (int row = 0; row < height; row += 2) {
        // The picture's top row is the read-back's last.
        const uint8_t* upper = rgbaBottomUp + stride * (height - 1 - row);
        const uint8_t* lower = upper - stride;
        uint8_t* y0 = out.y + static_cast<ptrdiff_t>(out.yStride) * row;
        uint8_t* y1 = y0 + out.yStride;
        uint8_t* u = out.u + static_cast<ptrdiff_t>(out.uStride) * (row / 2);
        uint8_t* v = out.v + static_cast<ptrdiff_t>(out.vStride) * (row / 2);
        const int done = convertPairFast(upper, lower, width, y0, y1, u, v);
        convertPairTail(upper, lower, done, width, y0, y1, u, v);
    }
}
