// Checks on the generated music: the file the show plays must be a stereo
// 44.1 kHz Ogg Vorbis loop of sensible length and level that joins its end
// to its start without a click or a gap, comes out the same on every run, and
// is accepted by SDL_mixer.

#include <SDL.h>
#include <SDL_mixer.h>
#include <ebur128.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kSongPath = MIJOTINE_DATA_DIR "/song.ogg";
const long kRate = 44100;
// Above this seam score the join is not like the samples around it. Ordinary
// positions inside the song score about 1.3 (median) and below 4 (maximum
// over 300 positions).
const double kSeamLimit = 5.0;

struct Decoded {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<float> left, right;
    long frames() const { return long(left.size()); }
};

Decoded decode(const std::string& path) {
    Decoded d;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return d;
    vorbis_info* vi = ov_info(&vf, -1);
    d.rate = vi->rate;
    d.channels = vi->channels;
    int section = 0;
    for (;;) {
        float** pcm = nullptr;
        long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n <= 0) {
            d.ok = n == 0;
            break;
        }
        d.left.insert(d.left.end(), pcm[0], pcm[0] + n);
        d.right.insert(d.right.end(), pcm[d.channels > 1 ? 1 : 0], pcm[d.channels > 1 ? 1 : 0] + n);
    }
    ov_clear(&vf);
    return d;
}

const Decoded& song() {
    static const Decoded d = decode(kSongPath);
    return d;
}

double rms(const std::vector<float>& x, long from, long count) {
    double s = 0;
    for (long i = from; i < from + count; ++i) s += double(x[i]) * x[i];
    return std::sqrt(s / count);
}

// Linear-prediction coefficients (order p) of a stretch of signal, by the
// autocorrelation method with a Hann window and Levinson-Durbin recursion.
std::vector<double> lpc(const std::vector<double>& x, int order) {
    const size_t n = x.size();
    std::vector<double> w(n);
    for (size_t i = 0; i < n; ++i) w[i] = x[i] * (0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / n));
    std::vector<double> r(order + 1, 0.0);
    for (int k = 0; k <= order; ++k)
        for (size_t i = size_t(k); i < n; ++i) r[k] += w[i] * w[i - k];
    r[0] *= 1.0 + 1e-9;
    std::vector<double> a(order + 1, 0.0), prev;
    a[0] = 1;
    double e = r[0];
    for (int i = 1; i <= order && e > 0; ++i) {
        double acc = r[i];
        for (int j = 1; j < i; ++j) acc += a[j] * r[i - j];
        double k = -acc / e;
        prev = a;
        for (int j = 1; j < i; ++j) a[j] = prev[j] + k * prev[i - j];
        a[i] = k;
        e *= 1 - k * k;
    }
    return a;
}

// How surprising the join from the last sample to the first one is,
// compared with the ordinary samples within 50 ms on either side of it.
// A linear predictor learnt from that neighbourhood predicts each sample from
// the ones before it; the score is the largest prediction error just after
// the join divided by the RMS prediction error around it. A click, a gap or a
// loop of the wrong length breaks the prediction there and scores high; a
// seamless join scores like any other sample.
double seamScore(const std::vector<float>& x, long frames) {
    const long window = kRate / 20;
    const int order = 24;
    auto at = [&](long i) { return double(x[((i % frames) + frames) % frames]); };
    std::vector<double> around;
    for (long i = -window; i < window; ++i) around.push_back(at(i));
    std::vector<double> a = lpc(around, order);
    auto err = [&](long i) {
        double e = at(i);
        for (int k = 1; k <= order; ++k) e += a[k] * at(i - k);
        return std::fabs(e);
    };
    double sum = 0;
    int count = 0;
    for (long i = -window + order; i < window; ++i) {
        if (i >= 0 && i < 4) continue;  // the predictions right after the join
        double e = err(i);
        sum += e * e;
        ++count;
    }
    double ordinary = std::sqrt(sum / count);
    double worst = 0;
    for (long i = 0; i < 4; ++i) worst = std::max(worst, err(i));
    return worst / ordinary;
}

// Same as above for the plain first difference: the jump across the seam
// against the largest ordinary jump nearby.
double jumpRatio(const std::vector<float>& x, long frames) {
    const long window = kRate / 20;
    double largest = 0;
    for (long i = frames - window; i < frames - 1; ++i) largest = std::max(largest, double(std::fabs(x[i + 1] - x[i])));
    for (long i = 0; i < window; ++i) largest = std::max(largest, double(std::fabs(x[i + 1] - x[i])));
    return std::fabs(x[0] - x[frames - 1]) / largest;
}

std::vector<char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Song, IsAStereo44kVorbisStreamOfWholeBarsBetween90And240Seconds) {
    const Decoded& d = song();
    ASSERT_TRUE(d.ok) << "cannot decode " << kSongPath;
    EXPECT_EQ(d.rate, 44100);
    EXPECT_EQ(d.channels, 2);
    double seconds = double(d.frames()) / kRate;
    EXPECT_GE(seconds, 90.0);
    EXPECT_LE(seconds, 240.0);
    // The stream must end exactly where the music does: 4/4 bars at 120 BPM
    // are 88200 frames each, and the looping player seeks back to frame 0.
    EXPECT_EQ(d.frames() % 88200, 0) << d.frames() << " frames";
}

TEST(Song, LevelsPeakLoudnessAndDcOffset) {
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    double peak = 0, sumL = 0, sumR = 0;
    std::vector<float> inter(size_t(d.frames()) * 2);
    for (long i = 0; i < d.frames(); ++i) {
        peak = std::max({peak, double(std::fabs(d.left[i])), double(std::fabs(d.right[i]))});
        sumL += d.left[i];
        sumR += d.right[i];
        inter[2 * i] = d.left[i];
        inter[2 * i + 1] = d.right[i];
    }
    double peakDb = 20 * std::log10(peak);
    EXPECT_LT(peakDb, -1.0);
    EXPECT_GT(peakDb, -12.0) << "far too quiet to be mastered";

    ebur128_state* st = ebur128_init(2, kRate, EBUR128_MODE_I);
    ASSERT_NE(st, nullptr);
    ebur128_add_frames_float(st, inter.data(), size_t(d.frames()));
    double lufs = 0;
    ASSERT_EQ(ebur128_loudness_global(st, &lufs), EBUR128_SUCCESS);
    ebur128_destroy(&st);
    EXPECT_NEAR(lufs, -16.0, 3.0);

    EXPECT_LT(std::fabs(sumL / d.frames()), 1e-3);
    EXPECT_LT(std::fabs(sumR / d.frames()), 1e-3);
}

TEST(Song, IsStereoNotTwoCopiesOfOneChannel) {
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    double ll = 0, rr = 0, lr = 0;
    for (long i = 0; i < d.frames(); ++i) {
        ll += double(d.left[i]) * d.left[i];
        rr += double(d.right[i]) * d.right[i];
        lr += double(d.left[i]) * d.right[i];
    }
    double correlation = lr / std::sqrt(ll * rr);
    EXPECT_LT(correlation, 0.98);
    EXPECT_GT(correlation, 0.3) << "the channels should still share the band";
}

TEST(Song, LoopsWithoutAClickOrAGap) {
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    const long n = d.frames();
    for (const std::vector<float>* ch : {&d.left, &d.right}) {
        EXPECT_LT(seamScore(*ch, n), kSeamLimit);
        EXPECT_LE(jumpRatio(*ch, n), 1.0);
        // Sound right up to both ends: 50 ms of RMS well above silence (-50 dBFS).
        EXPECT_GT(rms(*ch, 0, kRate / 20), 0.003);
        EXPECT_GT(rms(*ch, n - kRate / 20, kRate / 20), 0.003);
    }
}

TEST(Song, SeamCheckSeesClicksAndLoopsOfTheWrongLength) {
    // The seam score must be able to fail. A small click at the join (a
    // sample 0.1 off, -20 dBFS) must stand out.
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    std::vector<float> clicked = d.left;
    clicked[0] += 0.1f;
    EXPECT_GE(seamScore(clicked, d.frames()), kSeamLimit);
    // Cutting the loop short by a few milliseconds misaligns the join. Now
    // and then the waveform happens to line up again by chance, so ask only
    // that most such joins are seen.
    int flagged = 0, tried = 0;
    for (long cut = 61; cut < 4000; cut += 331) {
        ++tried;
        if (std::max(seamScore(d.left, d.frames() - cut), seamScore(d.right, d.frames() - cut)) >= kSeamLimit)
            ++flagged;
    }
    EXPECT_GE(flagged * 2, tried) << flagged << " of " << tried << " bad joins seen";
}

TEST(Song, IsInTuneAndInFMajor) {
    // Energy per pitch class, measured with Goertzel filters on every
    // equal-tempered pitch from G3 to E6 over the whole piece: most of it must
    // fall on the F major scale. A mistuned or wrongly transposed voice
    // spreads it elsewhere.
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    const long block = 8192;
    double chroma[12] = {0};
    for (int midi = 55; midi <= 88; ++midi) {
        double f = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
        double coeff = 2 * std::cos(2 * M_PI * f / kRate);
        for (long at = 0; at + block <= d.frames(); at += block * 4) {
            double s1 = 0, s2 = 0;
            for (long i = 0; i < block; ++i) {
                double x = 0.5 * (double(d.left[at + i]) + d.right[at + i]);
                double s0 = x + coeff * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            chroma[midi % 12] += s1 * s1 + s2 * s2 - coeff * s1 * s2;
        }
    }
    const int scale[] = {5, 7, 9, 10, 0, 2, 4};  // F G A Bb C D E
    double inScale = 0, total = 0;
    for (int pc = 0; pc < 12; ++pc) total += chroma[pc];
    for (int pc : scale) inScale += chroma[pc];
    EXPECT_GT(inScale / total, 0.8);
    // Notes foreign to the key and to its chords (C#, Eb, Ab, B) stay rare;
    // F# and Db have their chords (D7, Bbm6) and are allowed more.
    for (int pc : {1, 3, 8, 11}) EXPECT_LT(chroma[pc] / total, 0.03) << "pitch class " << pc;
}

TEST(Song, KeepsASteadyBeatAt120Bpm) {
    // Onset strength (rise of the high-passed energy, 10 ms frames) repeats
    // every beat (0.5 s) or every two beats (1 s).
    const Decoded& d = song();
    ASSERT_TRUE(d.ok);
    const long hop = kRate / 100;
    std::vector<double> energy;
    for (long at = 1; at + hop <= d.frames(); at += hop) {
        double e = 0;
        for (long i = at; i < at + hop; ++i) {
            double dx = double(d.left[i]) - d.left[i - 1] + double(d.right[i]) - d.right[i - 1];
            e += dx * dx;
        }
        energy.push_back(std::log(1e-9 + e));
    }
    std::vector<double> onset(energy.size(), 0.0);
    for (size_t i = 1; i < energy.size(); ++i) onset[i] = std::max(0.0, energy[i] - energy[i - 1]);
    int bestLag = 0;
    double best = -1;
    for (int lag = 30; lag <= 120; ++lag) {
        double c = 0;
        for (size_t i = 0; i + lag < onset.size(); ++i) c += onset[i] * onset[i + lag];
        if (c > best) {
            best = c;
            bestLag = lag;
        }
    }
    EXPECT_TRUE(bestLag == 50 || bestLag == 100) << "strongest period " << bestLag * 10 << " ms";
}

TEST(Song, GeneratorIsDeterministic) {
    const std::string tool = MIJOTINE_BINARY_DIR "/mksong";
    const std::string a = "song_run_a.ogg", b = "song_run_b.ogg";
    std::remove(a.c_str());
    std::remove(b.c_str());
    ASSERT_EQ(std::system(("\"" + tool + "\" " + a + " >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system(("\"" + tool + "\" " + b + " >/dev/null").c_str()), 0);
    std::vector<char> first = readBytes(a), second = readBytes(b);
    ASSERT_GT(first.size(), 100000u);
    EXPECT_TRUE(first == second) << "two runs wrote different files";
    EXPECT_TRUE(first == readBytes(kSongPath)) << "data/song.ogg is not what the generator makes";
    std::remove(a.c_str());
    std::remove(b.c_str());
}

TEST(Song, GeneratorRejectsAMissingArgumentAndAnUnwritablePath) {
    const std::string tool = MIJOTINE_BINARY_DIR "/mksong";
    EXPECT_NE(std::system(("\"" + tool + "\" 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system(("\"" + tool + "\" /nonexistent-dir/x.ogg 2>/dev/null >/dev/null").c_str()), 0);
}

TEST(Song, SdlMixerLoadsAndStartsIt) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    Mix_Music* music = Mix_LoadMUS(kSongPath);
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music) {
        EXPECT_EQ(Mix_FadeInMusic(music, -1, 2500), 0) << Mix_GetError();
        SDL_Delay(300);
        EXPECT_EQ(Mix_PlayingMusic(), 1);
        Mix_HaltMusic();
        Mix_FreeMusic(music);
    }
    Mix_CloseAudio();
    SDL_Quit();
}

}  // namespace
