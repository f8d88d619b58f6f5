#pragma once
// The music as the player plays it, rendered offline: the recorder's sound
// system notes in show time when the music fades in, fades out and halts,
// and the soundtrack is mixed from those notes and the decoded track.

#include <SDL/SDL_mixer.h>

#include <string>
#include <vector>

#include "core/music_io.h"

constexpr int kSoundRate = 44100;

// Show milliseconds to the sample that starts then (44.1 samples a ms).
inline long long sampleAt(unsigned long long ms) { return static_cast<long long>(ms * 441 / 10); }

struct MusicEvent {
    enum Kind { FadeIn, FadeOut, Halt };
    Kind kind;
    long long sample;  // when it happened
    int ms = 0;        // length of the fade
    int loops = -1;    // FadeIn: plays through this many times, -1 for ever
};

// The player's gain at a sample given the events so far, as SDL_mixer
// applies it: a linear ramp up over a fade-in, down from the level reached
// over a fade-out, the music stopping when a fade-out ends or on a halt.
// Also the position in the track (samples since the music started).
struct MusicState {
    bool playing = false;
    float gain = 0;
    long long position = 0;
    Mix_Fading fading = MIX_NO_FADING;
    int loops = -1;
};
MusicState musicStateAt(const std::vector<MusicEvent>& events, long long sample);

// The sound system of the recorder: SDL_mixer's calls answered from show time.
class RecordedMusic : public MusicIo {
public:
    // now() gives the show's clock in ms.
    explicit RecordedMusic(unsigned (*now)(void*), void* clock) : now_(now), clock_(clock) {}
    ~RecordedMusic() override;

    int openAudio(int, Uint16, int, int) override { return 0; }
    int allocateChannels(int count) override { return count; }
    Mix_Music* loadMusic(const char* path) override;
    void freeMusic(Mix_Music*) override {}
    int fadeInMusic(Mix_Music* music, int loops, int ms) override;
    int fadeOutMusic(int ms) override;
    Mix_Fading fadingMusic() override;
    int haltMusic() override;
    void closeAudio() override {}
    const char* error() override { return error_.c_str(); }

    const std::vector<MusicEvent>& events() const { return events_; }
    const std::string& trackPath() const { return track_; }

private:
    long long nowSample() const { return sampleAt(now_(clock_)); }
    unsigned (*now_)(void*);
    void* clock_;
    std::vector<MusicEvent> events_;
    std::string track_;
    std::string error_;
};

// Mixes the soundtrack piece by piece, in order: the decoded track under the
// gains of the events, silence where the music does not play.
class SoundRenderer {
public:
    SoundRenderer() = default;
    ~SoundRenderer();
    SoundRenderer(const SoundRenderer&) = delete;
    SoundRenderer& operator=(const SoundRenderer&) = delete;

    // Opens the Ogg Vorbis track (stereo, 44100 Hz); false with a reason if not.
    bool open(const std::string& path, std::string& error);
    // Writes samples [from, from + count) as interleaved stereo floats.
    void render(const std::vector<MusicEvent>& events, long long from, int count, float* out);

private:
    void seekTrack(long long position);
    void* file_ = nullptr;       // OggVorbis_File
    long long trackFrames_ = 0;  // length of the track in samples
    long long decoded_ = -1;     // track position the decoder stands at
};
