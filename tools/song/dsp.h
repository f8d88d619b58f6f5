#pragma once
// Small signal-processing kit for the song generator: a seeded random source,
// a biquad filter, and a stereo mix bus whose length is the loop length, so
// anything written past its end wraps round onto its start.

#include <cmath>
#include <cstdint>
#include <vector>

namespace song {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// splitmix64: tiny, fast and identical on every platform, so the song does
// not depend on the C library's rand().
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [0, n).
    int below(int n) { return int(uniform() * n); }
    bool chance(double p) { return uniform() < p; }
    // White noise in [-1, 1).
    double noise() { return uniform() * 2.0 - 1.0; }

private:
    uint64_t state_;
};

// RBJ cookbook biquad, direct form I.
class Biquad {
public:
    static Biquad lowpass(double freq, double q) { return make(0, freq, q); }
    static Biquad highpass(double freq, double q) { return make(1, freq, q); }
    static Biquad bandpass(double freq, double q) { return make(2, freq, q); }

    double process(double x) {
        double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    static Biquad make(int kind, double freq, double q) {
        Biquad f;
        double w = 2.0 * kPi * freq / kRate;
        double c = std::cos(w), s = std::sin(w);
        double alpha = s / (2.0 * q);
        double b0, b1, b2;
        if (kind == 0) {
            b0 = (1 - c) / 2; b1 = 1 - c; b2 = (1 - c) / 2;
        } else if (kind == 1) {
            b0 = (1 + c) / 2; b1 = -(1 + c); b2 = (1 + c) / 2;
        } else {
            b0 = alpha; b1 = 0; b2 = -alpha;
        }
        double a0 = 1 + alpha;
        f.b0_ = b0 / a0; f.b1_ = b1 / a0; f.b2_ = b2 / a0;
        f.a1_ = -2 * c / a0; f.a2_ = (1 - alpha) / a0;
        return f;
    }
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A stereo bus as long as the whole loop. Positions are taken modulo the
// length, so a note that rings past the end of the piece sounds over its start.
class LoopBus {
public:
    explicit LoopBus(long frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    long frames() const { return long(left.size()); }
    void add(long pos, double l, double r) {
        long n = frames();
        long i = pos % n;
        if (i < 0) i += n;
        left[i] += float(l);
        right[i] += float(r);
    }
    std::vector<float> left, right;
};

// Equal-power gains for a pan position in [-1, 1].
inline void panGains(double pan, double& gl, double& gr) {
    double a = (pan + 1.0) * 0.25 * kPi;
    gl = std::cos(a);
    gr = std::sin(a);
}

inline double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

}  // namespace song
