// The music player under SDL's disk audio driver: what the mixer plays is
// written, in real time, to a raw file that the tests then measure.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>
#include <unistd.h>

#include "audio/music_player.h"

namespace {

const int kRate = 44100;
const int kAmplitude = 12000;
const int kWindowMs = 10;

std::string tempDir;
int recordings = 0;

void put16(FILE* f, int v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v & 0xff), static_cast<unsigned char>((v >> 8) & 0xff)};
    std::fwrite(b, 1, 2, f);
}
void put32(FILE* f, unsigned v) {
    put16(f, static_cast<int>(v & 0xffff));
    put16(f, static_cast<int>(v >> 16));
}

// Two seconds of a 100 Hz square wave at constant amplitude, 16-bit stereo:
// the loudness of every 10 ms of output is its peak.
void writeToneWav(const std::string& path) {
    const unsigned frames = kRate * 2;
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + frames * 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, 2);
    put32(f, kRate);
    put32(f, kRate * 4);
    put16(f, 4);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, frames * 4);
    for (unsigned i = 0; i < frames; ++i) {
        const int v = (i / 220) % 2 ? kAmplitude : -kAmplitude;
        put16(f, v);
        put16(f, v);
    }
    std::fclose(f);
}

// Peak level of each 10 ms of a recording of 16-bit stereo.
std::vector<int> envelope(const std::string& path) {
    std::vector<int> env;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return env;
    const size_t perWindow = kRate * kWindowMs / 1000 * 2;
    std::vector<int16_t> buf(perWindow);
    while (std::fread(buf.data(), 2, perWindow, f) == perWindow) {
        int peak = 0;
        for (int16_t s : buf) peak = std::max(peak, std::abs(static_cast<int>(s)));
        env.push_back(peak);
    }
    std::fclose(f);
    return env;
}

int firstSounding(const std::vector<int>& env, size_t from = 0) {
    for (size_t i = from; i < env.size(); ++i)
        if (env[i] > 0) return static_cast<int>(i);
    return -1;
}

class Music : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/mij-audio-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        tempDir = tmpl;
        ASSERT_EQ(std::system(("mkdir '" + tempDir + "/data'").c_str()), 0);
        writeToneWav(tempDir + "/data/tone.wav");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        ASSERT_GE(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() {
        SDL_Quit();
        std::system(("rm -rf '" + tempDir + "'").c_str());
    }
    void SetUp() override {
        char buf[4096];
        ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
        oldCwd_ = buf;
        ASSERT_EQ(chdir(tempDir.c_str()), 0);
        // Each test records into its own file; the driver reads this when the device opens.
        recording_ = tempDir + "/out" + std::to_string(++recordings) + ".raw";
        setenv("SDL_DISKAUDIOFILE", recording_.c_str(), 1);
    }
    void TearDown() override {
        if (open_) player_.close();
        if (chdir(oldCwd_.c_str()) != 0) ADD_FAILURE() << "could not return to " << oldCwd_;
    }
    // Opens the device and loads the tone as the player's one track.
    void loadTone() {
        player_.names[0] = "tone.wav";
        testing::internal::CaptureStdout();
        player_.load();
        open_ = true;
        ASSERT_EQ(testing::internal::GetCapturedStdout(), "");
        ASSERT_NE(player_.music[0], nullptr);
        int freq = 0, channels = 0;
        Uint16 format = 0;
        ASSERT_EQ(Mix_QuerySpec(&freq, &format, &channels), 1);
        ASSERT_EQ(freq, kRate);
        ASSERT_EQ(format, AUDIO_S16LSB);
        ASSERT_EQ(channels, 2);
        ASSERT_EQ(Mix_AllocateChannels(-1), 16);
    }
    std::vector<int> finish() {
        player_.close();
        open_ = false;
        return envelope(recording_);
    }
    MusicPlayer player_;
    bool open_ = false;
    std::string recording_, oldCwd_;
};

}  // namespace

TEST_F(Music, PlayFadesInOverTwoAndAHalfSecondsAndLoops) {
    loadTone();
    SDL_Delay(200);
    testing::internal::CaptureStdout();
    player_.play(0);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
    SDL_Delay(3300);  // past the fade and past the end of the two-second tone
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "the track loops";
    EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::vector<int> env = finish();

    const int on = firstSounding(env);
    ASSERT_GE(on, 0);
    const int perSec = 1000 / kWindowMs;
    ASSERT_GT(static_cast<int>(env.size()), on + 3 * perSec) << "recording too short";
    const int full = env[on + 3 * perSec];
    EXPECT_NEAR(full, kAmplitude, kAmplitude * 0.03);
    // Roughly linear: a quarter, a half and four fifths of the way up.
    EXPECT_NEAR(env[on + perSec * 625 / 1000], full * 0.25, full * 0.1);
    EXPECT_NEAR(env[on + perSec * 1250 / 1000], full * 0.5, full * 0.1);
    EXPECT_NEAR(env[on + perSec * 2000 / 1000], full * 0.8, full * 0.1);
    EXPECT_LT(env[on + perSec * 2300 / 1000], full);
    EXPECT_GE(env[on + perSec * 2750 / 1000], full * 0.97);
    for (int i = on + 1; i < on + 3 * perSec; ++i) ASSERT_GE(env[i] + 50, env[i - 1]) << "falls at window " << i;
}

TEST_F(Music, FadeOutDuringTheFadeInStopsAtOnce) {
    loadTone();
    player_.play(0);
    SDL_Delay(1000);
    player_.fadeOut(7500);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    SDL_Delay(600);
    const std::vector<int> env = finish();

    const int on = firstSounding(env);
    ASSERT_GE(on, 0);
    int last = on;
    for (int i = on; i < static_cast<int>(env.size()); ++i)
        if (env[i] > 0) last = i;
    // Sound for about the second of fade-in, then silence to the end.
    EXPECT_NEAR((last - on) * kWindowMs, 1000, 250);
    EXPECT_GE((static_cast<int>(env.size()) - last) * kWindowMs, 300);
    EXPECT_LT(env[last], kAmplitude * 0.6) << "it was still fading in";
}

TEST_F(Music, FadeOutRunsItsLengthAndASecondRequestChangesNothing) {
    loadTone();
    ASSERT_EQ(Mix_PlayMusic(player_.music[0], -1), 0);
    SDL_Delay(500);
    player_.fadeOut(500);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    SDL_Delay(100);
    player_.fadeOut(5000);
    SDL_Delay(250);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    SDL_Delay(550);
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "the first fade-out kept its own length";
    SDL_Delay(200);
    const std::vector<int> env = finish();

    const int on = firstSounding(env);
    ASSERT_GE(on, 0);
    const int full = env[on + 20];
    EXPECT_NEAR(full, kAmplitude, kAmplitude * 0.03);
    int start = -1, end = -1;
    for (int i = on; i < static_cast<int>(env.size()); ++i) {
        if (start < 0 && env[i] < full * 0.97) start = i;
        if (start >= 0 && env[i] == 0) {
            end = i;
            break;
        }
    }
    ASSERT_GE(start, 0);
    ASSERT_GT(end, start);
    EXPECT_NEAR((end - start) * kWindowMs, 500, 150);
    EXPECT_NEAR(env[start + (end - start) / 2], full * 0.5, full * 0.2);
    EXPECT_EQ(firstSounding(env, end), -1) << "silent after the fade";
}

TEST_F(Music, ClosingDuringALongFadeOutDoesNotWaitForIt) {
    loadTone();
    ASSERT_EQ(Mix_PlayMusic(player_.music[0], -1), 0);
    SDL_Delay(100);
    player_.fadeOut(7500);
    ASSERT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    const Uint32 before = SDL_GetTicks();
    player_.close();
    open_ = false;
    EXPECT_LT(SDL_GetTicks() - before, 500u);
    EXPECT_EQ(player_.music[0], nullptr);
}

TEST_F(Music, NegativeFadeOutLengthMeansAQuarterSecond) {
    loadTone();
    ASSERT_EQ(Mix_PlayMusic(player_.music[0], -1), 0);
    SDL_Delay(400);
    player_.fadeOut(-5);
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_OUT);
    SDL_Delay(80);
    EXPECT_EQ(Mix_PlayingMusic(), 1) << "fading, not halted";
    SDL_Delay(420);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    const std::vector<int> env = finish();

    const int on = firstSounding(env);
    ASSERT_GE(on, 0);
    const int full = env[on + 20];
    int start = -1, end = -1;
    for (int i = on; i < static_cast<int>(env.size()); ++i) {
        if (start < 0 && env[i] < full * 0.97) start = i;
        if (start >= 0 && env[i] == 0) {
            end = i;
            break;
        }
    }
    ASSERT_GT(end, start);
    ASSERT_GE(start, 0);
    EXPECT_NEAR((end - start) * kWindowMs, 250, 120);
}

TEST_F(Music, QuietCasesPrintNothingAndPlayNothing) {
    EXPECT_EQ(player_.names[0], "song.ogg");
    EXPECT_FALSE(player_.loadFailed);
    EXPECT_FALSE(player_.musicMuted);
    EXPECT_FALSE(player_.effectsMuted);
    loadTone();

    testing::internal::CaptureStdout();
    player_.play(1);
    player_.play(-1);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_TRUE(player_.toggleMusicMute());
    player_.play(0);
    EXPECT_EQ(Mix_PlayingMusic(), 0) << "muted";
    EXPECT_FALSE(player_.toggleMusicMute());
    EXPECT_TRUE(player_.toggleEffectsMute());
    EXPECT_FALSE(player_.toggleEffectsMute());
    player_.play(0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(Music, MissingSongPrintsOneLineAndStaysSilent) {
    const std::string dir = tempDir + "/nodata";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    ASSERT_EQ(chdir(dir.c_str()), 0);

    testing::internal::CaptureStdout();
    player_.load();
    open_ = true;
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(player_.loadFailed);
    EXPECT_EQ(player_.music[0], nullptr);
    // The line carries SDL's error text for the failed load.
    ASSERT_EQ(Mix_LoadMUS("./data/song.ogg"), nullptr);
    EXPECT_EQ(out, std::string(" Mix_LoadMUS: ") + SDL_GetError() + "\n");
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);

    testing::internal::CaptureStdout();
    player_.play(0);
    player_.fadeOut(100);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Mix_PlayingMusic(), 0);
}

TEST_F(Music, WithoutASoundDeviceTheShowGoesOnSilently) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    player_.names[0] = "tone.wav";

    testing::internal::CaptureStdout();
    player_.load();
    player_.play(0);
    player_.fadeOut(7500);
    player_.fadeOut(-1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    // Exactly one line, from the device that could not be opened.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(out.rfind(" Mix_OpenAudio: ", 0), 0u) << out;
    player_.close();

    setenv("SDL_AUDIODRIVER", "disk", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
}
