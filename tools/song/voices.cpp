#include "voices.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace song {
namespace {

constexpr double kTwoPi = 2.0 * kPi;

// A sine oscillator by rotation: one complex multiply per sample instead of
// a sin() call. Starts at phase 0, so its first output is exactly zero.
struct Osc {
    double c = 1, s = 0, wc = 1, ws = 0;
    explicit Osc(double hz) {
        double w = kTwoPi * hz / kRate;
        wc = std::cos(w);
        ws = std::sin(w);
    }
    double next() {
        double out = s;
        double nc = c * wc - s * ws;
        s = s * wc + c * ws;
        c = nc;
        return out;
    }
};

// The gate of a note: a linear attack, full level until the note ends, then
// a raised-cosine release that lands exactly on zero.
double gate(double t, double attack, double held, double release) {
    double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (t <= held) return a;
    double r = (t - held) / release;
    if (r >= 1.0) return 0.0;
    return a * 0.5 * (1.0 + std::cos(kPi * r));
}

void write(Mix& mix, const Note& note, long i, double v, double pan) {
    double gl, gr;
    panGains(std::clamp(pan, -1.0, 1.0), gl, gr);
    long pos = note.start + i;
    mix.dry.add(pos, v * gl, v * gr);
    mix.send.add(pos, v * gl * note.reverb, v * gr * note.reverb);
}

struct Partial {
    double ratio, amp, tau;
};

// Sum of exponentially decaying sine partials under a gate. Partials that
// would sit near or above the Nyquist frequency are left out.
void additive(Mix& mix, const Note& note, const std::vector<Partial>& partials, double attack,
              double held, double release, double level, double tremoloHz = 0,
              double tremoloDepth = 0) {
    double f0 = midiToHz(note.midi);
    std::vector<Osc> osc;
    std::vector<double> amp, decay;
    for (const Partial& p : partials) {
        if (f0 * p.ratio > 18000.0) continue;
        osc.emplace_back(f0 * p.ratio);
        amp.push_back(p.amp);
        decay.push_back(std::exp(-1.0 / (p.tau * kRate)));
    }
    long total = long((held + release) * kRate) + 1;
    Osc trem(tremoloHz > 0 ? tremoloHz : 1.0);
    double gain = note.velocity * level;
    for (long i = 0; i < total; ++i) {
        double t = double(i) / kRate;
        double v = 0;
        for (size_t k = 0; k < osc.size(); ++k) {
            v += amp[k] * osc[k].next();
            amp[k] *= decay[k];
        }
        double g = gate(t, attack, held, release);
        double tr = trem.next();
        if (tremoloDepth > 0) g *= 1.0 - tremoloDepth * 0.5 * (1.0 - tr);
        write(mix, note, i, v * g * gain, note.pan);
    }
}

// A decaying one-shot sample, stamped into the mix with a gain.
struct Sample {
    std::vector<float> data;
};

void stamp(Mix& mix, const Note& hit, const Sample& s, double gain) {
    for (long i = 0; i < long(s.data.size()); ++i) write(mix, hit, i, s.data[i] * gain, hit.pan);
}

// Fades the last few milliseconds of a sample to zero.
void fadeTail(std::vector<float>& d, double seconds) {
    long n = std::min<long>(long(d.size()), long(seconds * kRate));
    for (long i = 0; i < n; ++i) {
        double r = double(i) / n;
        d[d.size() - 1 - i] *= float(0.5 - 0.5 * std::cos(kPi * r));
    }
}

Sample makeRide(Rng& rng) {
    // A dense cloud of inharmonic modes between 500 Hz and 11 kHz, each with
    // its own decay, so the cymbal shimmers instead of ringing a chord; plus
    // a little bell "ping" and the tip's click.
    long n = long(1.6 * kRate);
    Sample s;
    s.data.assign(n, 0.0f);
    for (int k = 0; k < 70; ++k) {
        double f = 500.0 * std::pow(22.0, rng.uniform());
        double a = 0.12 * rng.range(0.4, 1.0);
        double tau = rng.range(0.25, 1.0);
        Osc o(f);
        double dec = std::exp(-1.0 / (tau * kRate));
        for (long i = 0; i < n; ++i) {
            s.data[i] += float(a * o.next());
            a *= dec;
        }
    }
    Osc ping(2870.0 * rng.range(0.995, 1.005));
    for (long i = 0; i < n; ++i) s.data[i] += float(0.12 * ping.next() * std::exp(-double(i) / (0.5 * kRate)));
    Biquad hp1 = Biquad::highpass(5000, 0.7), hp2 = Biquad::highpass(5000, 0.7);
    Biquad stick = Biquad::bandpass(3200, 1.2);
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double noise = rng.noise();
        double wash = hp2.process(hp1.process(noise)) * 0.5 * std::exp(-t / 0.35);
        double click = stick.process(noise) * 1.2 * std::exp(-t / 0.006);
        double attack = std::min(1.0, t / 0.0006);
        s.data[i] = float((s.data[i] * 0.35 + wash + click) * attack);
    }
    fadeTail(s.data, 0.08);
    return s;
}

Sample makeBrushTap(Rng& rng) {
    long n = long(0.45 * kRate);
    Sample s;
    s.data.assign(n, 0.0f);
    Biquad bp = Biquad::bandpass(2300, 0.6);
    Biquad lp = Biquad::lowpass(8000, 0.7);
    Osc body(185 * rng.range(0.97, 1.03));
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.003) * std::exp(-t / 0.09);
        double v = lp.process(bp.process(rng.noise())) * 1.6 * env;
        v += 0.25 * body.next() * std::exp(-t / 0.035) * std::min(1.0, t / 0.002);
        s.data[i] = float(v);
    }
    fadeTail(s.data, 0.05);
    return s;
}

Sample makeHatFoot(Rng& rng) {
    long n = long(0.16 * kRate);
    Sample s;
    s.data.assign(n, 0.0f);
    Biquad hp = Biquad::highpass(6000, 0.7);
    Biquad bp = Biquad::bandpass(9000, 1.0);
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double env = std::min(1.0, t / 0.001) * std::exp(-t / 0.022);
        s.data[i] = float(bp.process(hp.process(rng.noise())) * 2.0 * env);
    }
    fadeTail(s.data, 0.03);
    return s;
}

struct DrumKit {
    std::vector<Sample> ride, tap, hat;
};

const DrumKit& kit() {
    static const DrumKit k = [] {
        DrumKit d;
        Rng rng(0x6B69745F73616D70ull);
        for (int i = 0; i < 6; ++i) d.ride.push_back(makeRide(rng));
        for (int i = 0; i < 6; ++i) d.tap.push_back(makeBrushTap(rng));
        for (int i = 0; i < 6; ++i) d.hat.push_back(makeHatFoot(rng));
        return d;
    }();
    return k;
}

}  // namespace

void playRhodes(Mix& mix, const Note& note) {
    double f = midiToHz(note.midi);
    double held = double(note.length) / kRate;
    const double release = 0.09;
    long total = long((held + release) * kRate) + 1;
    double tau = 1.6 * std::pow(262.0 / f, 0.4);
    double decay = std::exp(-1.0 / (tau * kRate));
    double brightness = note.velocity * std::min(1.0, 520.0 / f);
    bool bell = 29.0 * f < 19500.0;
    Osc mod(f), tine(14.0 * f), pan(4.5);
    double phase = 0, step = kTwoPi * f / kRate, env = 1.0;
    double gain = 0.21 * note.velocity;
    for (long i = 0; i < total; ++i) {
        double t = double(i) / kRate;
        double index = brightness * (1.1 * std::exp(-t / 0.16) + 0.3);
        double bark = bell ? 0.55 * brightness * std::exp(-t / 0.025) : 0.0;
        double v = std::sin(phase + index * mod.next() + bark * tine.next());
        phase += step;
        if (phase > kTwoPi) phase -= kTwoPi;
        v *= env * gate(t, 0.002, held, release) * gain;
        env *= decay;
        write(mix, note, i, v, note.pan + 0.25 * pan.next());
    }
}

void playMarimba(Mix& mix, const Note& note) {
    double f = midiToHz(note.midi);
    double tau = std::clamp(0.7 * std::pow(262.0 / f, 0.6), 0.15, 1.2);
    std::vector<Partial> p = {{1.0, 1.0, tau}, {3.93, 0.32, tau * 0.12}, {9.2, 0.06, 0.012}};
    double held = std::max(double(note.length) / kRate, 0.25) + tau;
    additive(mix, note, p, 0.001, held, 0.12, 0.55);
}

void playVibes(Mix& mix, const Note& note) {
    std::vector<Partial> p = {{1.0, 1.0, 2.5}, {4.0, 0.22, 0.25}, {10.0, 0.03, 0.04}};
    double held = std::max(double(note.length) / kRate, 0.1);
    additive(mix, note, p, 0.0015, held, 0.14, 0.48, 5.2, 0.28);
}

void playPizzicato(Mix& mix, const Note& note) {
    double f = midiToHz(note.midi);
    std::vector<Partial> p;
    double scale = std::pow(262.0 / f, 0.3);
    for (int k = 1; k <= 12 && k * f < 10000.0; ++k)
        p.push_back({double(k), 1.0 / std::pow(k, 1.1), 0.45 * scale / (1.0 + 0.5 * (k - 1))});
    double held = std::min(double(note.length) / kRate, 0.35);
    additive(mix, note, p, 0.0015, held, 0.08, 0.22);
}

void playBass(Mix& mix, const Note& note) {
    static const double amps[] = {1.0, 0.55, 0.35, 0.2, 0.12, 0.07};
    std::vector<Partial> p;
    for (int k = 1; k <= 6; ++k) p.push_back({double(k), amps[k - 1], 1.2 / (1.0 + 0.8 * (k - 1))});
    double held = double(note.length) / kRate;
    additive(mix, note, p, 0.006, held, 0.05, 0.3);
}

void playRide(Mix& mix, const Note& hit, Rng& rng) {
    const DrumKit& k = kit();
    stamp(mix, hit, k.ride[rng.below(int(k.ride.size()))], hit.velocity * 0.21);
}

void playBrushTap(Mix& mix, const Note& hit, Rng& rng) {
    const DrumKit& k = kit();
    stamp(mix, hit, k.tap[rng.below(int(k.tap.size()))], hit.velocity * 0.4);
}

void playHatFoot(Mix& mix, const Note& hit, Rng& rng) {
    const DrumKit& k = kit();
    stamp(mix, hit, k.hat[rng.below(int(k.hat.size()))], hit.velocity * 0.18);
}

void playBrushSwish(Mix& mix, const Note& hit, Rng& rng) {
    // One circular stroke of the brush on the snare head: band-passed noise
    // that swells and fades over the stroke.
    long n = hit.length;
    Biquad bp = Biquad::bandpass(3200, 0.5);
    Biquad lp = Biquad::lowpass(7500, 0.7);
    double gain = hit.velocity * 0.12;
    for (long i = 0; i < n; ++i) {
        double x = double(i) / n;
        double env = std::pow(std::sin(kPi * x), 2.0) * (0.6 + 0.4 * x);
        write(mix, hit, i, lp.process(bp.process(rng.noise())) * env * gain, hit.pan);
    }
}

void playKick(Mix& mix, const Note& hit) {
    long n = long(0.3 * kRate);
    double phase = 0;
    double gain = hit.velocity * 0.65;
    for (long i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double f = 52.0 + 38.0 * std::exp(-t / 0.03);
        double v = std::sin(phase) * std::exp(-t / 0.14) * gate(t, 0.002, 0.24, 0.06);
        phase += kTwoPi * f / kRate;
        write(mix, hit, i, v * gain, hit.pan);
    }
}

}  // namespace song
