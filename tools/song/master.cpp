#include "master.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace song {
namespace {

// Freeverb-style room: eight damped comb filters in parallel, then four
// all-pass diffusers in series, per channel, the right one slightly detuned.
class Comb {
public:
    Comb(int size, double feedback, double damp) : buf_(size, 0.0f), fb_(feedback), damp_(damp) {}
    double process(double in) {
        double out = buf_[idx_];
        store_ = out * (1.0 - damp_) + store_ * damp_;
        buf_[idx_] = float(in + store_ * fb_);
        if (++idx_ == int(buf_.size())) idx_ = 0;
        return out;
    }

private:
    std::vector<float> buf_;
    int idx_ = 0;
    double store_ = 0, fb_, damp_;
};

class Allpass {
public:
    explicit Allpass(int size) : buf_(size, 0.0f) {}
    double process(double in) {
        double held = buf_[idx_];
        buf_[idx_] = float(in + held * 0.5);
        if (++idx_ == int(buf_.size())) idx_ = 0;
        return held - in;
    }

private:
    std::vector<float> buf_;
    int idx_ = 0;
};

class Room {
public:
    Room(int spread, double feedback, double damp) {
        static const int combs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
        static const int passes[] = {556, 441, 341, 225};
        for (int c : combs) combs_.emplace_back(c + spread, feedback, damp);
        for (int a : passes) passes_.emplace_back(a + spread);
    }
    double process(double in) {
        double out = 0;
        for (Comb& c : combs_) out += c.process(in);
        for (Allpass& a : passes_) out = a.process(out);
        return out;
    }

private:
    std::vector<Comb> combs_;
    std::vector<Allpass> passes_;
};

long wrap(long i, long n) {
    i %= n;
    return i < 0 ? i + n : i;
}

// Look-ahead peak limiter over a circular buffer: the gain needed at each
// over-ceiling sample is held over +-lookahead, released smoothly afterwards,
// then averaged over the look-ahead window so it never jumps.
void limit(LoopBus& bus, double ceiling) {
    const long n = bus.frames();
    const long ahead = long(0.004 * kRate);
    std::vector<float> hold(n, 1.0f);
    for (long i = 0; i < n; ++i) {
        double e = std::max(std::fabs(bus.left[i]), std::fabs(bus.right[i]));
        if (e <= ceiling) continue;
        float need = float(ceiling / e);
        for (long j = i - ahead; j <= i + ahead; ++j) {
            float& h = hold[wrap(j, n)];
            h = std::min(h, need);
        }
    }
    // Release towards unity; two laps round the circle so the state at the
    // start of the second lap is the state left by the end of the first.
    const double rel = std::exp(-1.0 / (0.08 * kRate));
    std::vector<float> gain(n);
    double g = 1.0;
    for (int lap = 0; lap < 2; ++lap)
        for (long i = 0; i < n; ++i) {
            g = std::min<double>(hold[i], 1.0 - (1.0 - g) * rel);
            gain[i] = float(g);
        }
    // Centred moving average of width ahead+1 (circular prefix sums).
    const long half = ahead / 2;
    std::vector<double> prefix(n + 1, 0.0);
    for (long i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + gain[i];
    auto sumRange = [&](long a, long b) {  // inclusive, may wrap
        double s = 0;
        long ia = wrap(a, n), ib = wrap(b, n);
        if (ia <= ib) s = prefix[ib + 1] - prefix[ia];
        else s = (prefix[n] - prefix[ia]) + prefix[ib + 1];
        return s;
    };
    const double width = double(2 * half + 1);
    for (long i = 0; i < n; ++i) {
        double s = sumRange(i - half, i + half) / width;
        bus.left[i] = float(bus.left[i] * s);
        bus.right[i] = float(bus.right[i] * s);
    }
}

void scale(LoopBus& bus, double g) {
    for (long i = 0; i < bus.frames(); ++i) {
        bus.left[i] = float(bus.left[i] * g);
        bus.right[i] = float(bus.right[i] * g);
    }
}

}  // namespace

void addReverb(LoopBus& dry, const LoopBus& send, double wet) {
    const long n = dry.frames();
    const long preDelay = long(0.018 * kRate);
    const long warmUp = std::min(n, long(10 * kRate));  // tails die out well before this
    Room left(0, 0.86, 0.25), right(23, 0.86, 0.25);
    const double inputGain = 0.015;
    for (long j = -warmUp; j < n; ++j) {
        long src = wrap(j - preDelay, n);
        double in = (double(send.left[src]) + send.right[src]) * inputGain;
        double l = left.process(in), r = right.process(in);
        if (j < 0) continue;
        dry.left[j] += float(l * wet);
        dry.right[j] += float(r * wet);
    }
}

void removeDc(LoopBus& bus) {
    double sl = 0, sr = 0;
    for (long i = 0; i < bus.frames(); ++i) {
        sl += bus.left[i];
        sr += bus.right[i];
    }
    float ml = float(sl / bus.frames()), mr = float(sr / bus.frames());
    for (long i = 0; i < bus.frames(); ++i) {
        bus.left[i] -= ml;
        bus.right[i] -= mr;
    }
}

double integratedLoudness(const LoopBus& bus) {
    ebur128_state* st = ebur128_init(2, kRate, EBUR128_MODE_I);
    if (!st) {
        std::fprintf(stderr, "mksong: cannot start the loudness meter\n");
        std::exit(1);
    }
    const long chunk = 4096;
    std::vector<float> inter(chunk * 2);
    for (long at = 0; at < bus.frames(); at += chunk) {
        long m = std::min(chunk, bus.frames() - at);
        for (long i = 0; i < m; ++i) {
            inter[2 * i] = bus.left[at + i];
            inter[2 * i + 1] = bus.right[at + i];
        }
        ebur128_add_frames_float(st, inter.data(), size_t(m));
    }
    double lufs = -HUGE_VAL;
    ebur128_loudness_global(st, &lufs);
    ebur128_destroy(&st);
    return lufs;
}

double normalize(LoopBus& bus, double targetLufs, double ceiling) {
    // Limiting lowers the loudness a little, so aim again from the original
    // a couple of times with the shortfall added.
    LoopBus original = bus;
    double aim = targetLufs;
    double measured = integratedLoudness(original);
    double gain = 1.0;
    for (int round = 0; round < 3; ++round) {
        bus = original;
        gain = std::pow(10.0, (aim - measured) / 20.0);
        scale(bus, gain);
        limit(bus, ceiling);
        double got = integratedLoudness(bus);
        if (std::fabs(got - targetLufs) < 0.05) break;
        aim += targetLufs - got;
    }
    return gain;
}

double peak(const LoopBus& bus) {
    double p = 0;
    for (long i = 0; i < bus.frames(); ++i)
        p = std::max(p, double(std::max(std::fabs(bus.left[i]), std::fabs(bus.right[i]))));
    return p;
}

}  // namespace song
