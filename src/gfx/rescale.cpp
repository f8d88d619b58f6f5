#include "gfx/rescale.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

int nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

int roundToPowerOfTwo(int n) {
    if (n <= 1) return 1;
    int p = 1;
    while (p * 2 <= n) p *= 2;
    // The bit below the highest decides: 768..1023 go up to 1024, 512..767 down to 512.
    return (n & (p >> 1)) ? p * 2 : p;
}

namespace {

// One output pixel's share of an axis: a run of input pixels and their weights.
struct Taps {
    int first = 0;
    int count = 0;
    size_t weights = 0;  // where its weights start in the axis' weight list
};

// The box filter along one axis: output pixel j covers input [j * in / out,
// (j + 1) * in / out]. Weights are the overlaps in units of 1 / out of an
// input pixel, so every sum stays an exact integer.
std::vector<Taps> boxTaps(int in, int out, std::vector<int>& weights) {
    std::vector<Taps> taps(static_cast<size_t>(out));
    for (int j = 0; j < out; ++j) {
        const long lo = static_cast<long>(j) * in, hi = static_cast<long>(j + 1) * in;
        Taps& t = taps[static_cast<size_t>(j)];
        t.first = static_cast<int>(lo / out);
        t.weights = weights.size();
        for (long i = t.first; i * out < hi; ++i, ++t.count)
            weights.push_back(static_cast<int>(std::min(hi, (i + 1) * out) - std::max(lo, i * out)));
    }
    return taps;
}

// The rescale for CH channels. Sums are of type Sum: 32 bits while the
// largest, w * h * 255, fits.
template <int CH, class Sum>
void rescaleChannels(const unsigned char* pixels, int w, int h, int outW, int outH, unsigned char* out) {
    std::vector<int> wx, wy;
    const std::vector<Taps> tx = boxTaps(w, outW, wx), ty = boxTaps(h, outH, wy);
    const int cells = outW * CH;

    // Columns first: an input row becomes outW weighted sums (at most
    // w * 255 each). Output rows take their input rows in order, sharing at
    // most one with the row before, so a ring of as many rows as the widest
    // output row takes holds all that is needed.
    int ringSize = 1;
    for (const Taps& t : ty) ringSize = std::max(ringSize, t.count);
    std::vector<Sum> ring(static_cast<size_t>(ringSize) * cells);
    std::vector<int> ringRow(static_cast<size_t>(ringSize), -1);
    // Where no output pixel spans more than two input pixels, the same sums
    // without the loop over a varying count: the second of a pixel with one
    // input pixel is that pixel again, with no weight.
    bool twoTaps = true;
    for (const Taps& t : tx) twoTaps = twoTaps && t.count <= 2;
    std::vector<std::pair<int, int>> pair, pairWeight;
    if (twoTaps)
        for (const Taps& t : tx) {
            pair.emplace_back(t.first, t.count == 2 ? t.first + 1 : t.first);
            pairWeight.emplace_back(wx[t.weights], t.count == 2 ? wx[t.weights + 1] : 0);
        }
    auto filteredRow = [&](int y) -> const Sum* {
        const size_t slot = static_cast<size_t>(y % ringSize);
        Sum* dst = ring.data() + slot * cells;
        if (ringRow[slot] == y) return dst;
        ringRow[slot] = y;
        const unsigned char* src = pixels + static_cast<size_t>(y) * w * CH;
        if (twoTaps) {
            // Widening: each output pixel takes one input pixel or two neighbours.
            for (int j = 0; j < outW; ++j, dst += CH) {
                const unsigned char* a = src + static_cast<size_t>(pair[j].first) * CH;
                const unsigned char* b = src + static_cast<size_t>(pair[j].second) * CH;
                const Sum wa = static_cast<Sum>(pairWeight[j].first), wb = static_cast<Sum>(pairWeight[j].second);
                for (int c = 0; c < CH; ++c) dst[c] = wa * a[c] + wb * b[c];
            }
            return ring.data() + slot * cells;
        }
        for (int j = 0; j < outW; ++j, dst += CH) {
            const Taps& t = tx[static_cast<size_t>(j)];
            const int* weight = wx.data() + t.weights;
            const unsigned char* in = src + static_cast<size_t>(t.first) * CH;
            Sum sum[CH] = {};
            for (int k = 0; k < t.count; ++k, in += CH)
                for (int c = 0; c < CH; ++c) sum[c] += static_cast<Sum>(weight[k]) * in[c];
            for (int c = 0; c < CH; ++c) dst[c] = sum[c];
        }
        return ring.data() + slot * cells;
    };

    // Then rows: the sum over the whole box, divided by its area (w * h in
    // these units) and rounded down. The division is a multiplication by a
    // reciprocal with enough bits to be exact for every sum up to area * 255.
    const uint64_t area = static_cast<uint64_t>(w) * h;
    int shift = 0;
    while (shift < 63 && (uint64_t(1) << shift) / 256 / area <= area) ++shift;
    const bool exactByReciprocal = shift <= 55;
    const uint64_t reciprocal = exactByReciprocal ? (uint64_t(1) << shift) / area + 1 : 0;
    std::vector<Sum> acc(static_cast<size_t>(cells));
    for (int i = 0; i < outH; ++i) {
        const Taps& t = ty[static_cast<size_t>(i)];
        std::fill(acc.begin(), acc.end(), Sum(0));
        for (int k = 0; k < t.count; ++k) {
            const Sum* row = filteredRow(t.first + k);
            const Sum wk = static_cast<Sum>(wy[t.weights + k]);
            Sum* a = acc.data();
            for (int x = 0; x < cells; ++x) a[x] += wk * row[x];
        }
        unsigned char* dst = out + static_cast<size_t>(i) * outW * 4;
        const Sum* a = acc.data();
        for (int j = 0; j < outW; ++j, dst += 4, a += CH) {
            for (int c = 0; c < CH; ++c) {
                const uint64_t sum = static_cast<uint64_t>(a[c]);
                dst[c] = static_cast<unsigned char>(exactByReciprocal ? (sum * reciprocal) >> shift : sum / area);
            }
            if (CH == 3) dst[3] = 255;
        }
    }
}

}  // namespace

void rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW, int outH,
                   unsigned char* out) {
    const bool narrow = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 255 < (uint64_t(1) << 32);
    if (channels == 3) {
        if (narrow)
            rescaleChannels<3, uint32_t>(pixels, w, h, outW, outH, out);
        else
            rescaleChannels<3, uint64_t>(pixels, w, h, outW, outH, out);
    } else {
        if (narrow)
            rescaleChannels<4, uint32_t>(pixels, w, h, outW, outH, out);
        else
            rescaleChannels<4, uint64_t>(pixels, w, h, outW, outH, out);
    }
}

std::vector<unsigned char> rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW,
                                         int outH) {
    std::vector<unsigned char> out(static_cast<size_t>(outW) * outH * 4);
    rescaleToRgba(pixels, w, h, channels, outW, outH, out.data());
    return out;
}
