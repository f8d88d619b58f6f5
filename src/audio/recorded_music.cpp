#include "audio/recorded_music.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace {
// Stands for the one loaded track; the show only passes it back to us.
char trackHandle;
constexpr double kSamplesPerMs = kSoundRate / 1000.0;
}  // namespace

MusicState musicStateAt(const std::vector<MusicEvent>& events, long long sample) {
    MusicState s;
    long long start = 0;
    const MusicEvent* fadeIn = nullptr;
    const MusicEvent* fadeOut = nullptr;
    float outFrom = 1;
    auto gainIn = [&](long long at) {
        if (!fadeIn || fadeIn->ms <= 0) return 1.0f;
        const double len = static_cast<double>(fadeIn->ms) * kSamplesPerMs;
        return static_cast<float>(std::min(1.0, static_cast<double>(at - start) / len));
    };
    for (const MusicEvent& e : events) {
        if (e.sample > sample) break;
        switch (e.kind) {
            case MusicEvent::FadeIn:
                s.playing = true;
                start = e.sample;
                fadeIn = &e;
                fadeOut = nullptr;
                s.loops = e.loops;
                break;
            case MusicEvent::FadeOut:
                if (s.playing && !fadeOut) {
                    outFrom = gainIn(e.sample);
                    fadeOut = &e;
                }
                break;
            case MusicEvent::Halt:
                s.playing = false;
                fadeIn = fadeOut = nullptr;
                break;
        }
    }
    if (!s.playing) return s;
    s.position = sample - start;
    s.gain = gainIn(sample);
    if (s.gain < 1) s.fading = MIX_FADING_IN;
    if (fadeOut) {
        const double len = static_cast<double>(fadeOut->ms) * kSamplesPerMs;
        const double done = static_cast<double>(sample - fadeOut->sample) / len;
        if (done >= 1) {
            // The fade-out has run its course: the music stops.
            s.playing = false;
            s.gain = 0;
            s.fading = MIX_NO_FADING;
            return s;
        }
        s.gain = static_cast<float>(outFrom * (1 - done));
        s.fading = MIX_FADING_OUT;
    }
    return s;
}

// ------------------------------------------------------------------ the sound system

RecordedMusic::~RecordedMusic() = default;

Mix_Music* RecordedMusic::loadMusic(const char* path) {
    OggVorbis_File vf;
    if (ov_fopen(path, &vf) != 0) {
        error_ = std::string("Couldn't open '") + path + "'";
        return nullptr;
    }
    ov_clear(&vf);
    track_ = path;
    return reinterpret_cast<Mix_Music*>(&trackHandle);
}

int RecordedMusic::fadeInMusic(Mix_Music* music, int loops, int ms) {
    if (!music) {
        error_ = "music parameter was NULL";
        return -1;
    }
    events_.push_back({MusicEvent::FadeIn, nowSample(), ms, loops});
    return 0;
}

int RecordedMusic::fadeOutMusic(int ms) {
    const MusicState s = musicStateAt(events_, nowSample());
    if (!s.playing) return 0;
    events_.push_back({MusicEvent::FadeOut, nowSample(), ms, -1});
    return 1;
}

Mix_Fading RecordedMusic::fadingMusic() { return musicStateAt(events_, nowSample()).fading; }

int RecordedMusic::haltMusic() {
    events_.push_back({MusicEvent::Halt, nowSample(), 0, -1});
    return 0;
}

// ------------------------------------------------------------------ mixing

SoundRenderer::~SoundRenderer() {
    if (file_) {
        ov_clear(static_cast<OggVorbis_File*>(file_));
        delete static_cast<OggVorbis_File*>(file_);
    }
}

bool SoundRenderer::open(const std::string& path, std::string& error) {
    auto* vf = new OggVorbis_File;
    if (ov_fopen(path.c_str(), vf) != 0) {
        delete vf;
        error = "cannot decode " + path;
        return false;
    }
    const vorbis_info* info = ov_info(vf, -1);
    if (!info || info->rate != kSoundRate || (info->channels != 1 && info->channels != 2)) {
        ov_clear(vf);
        delete vf;
        error = path + " is not mono or stereo at 44100 Hz";
        return false;
    }
    file_ = vf;
    trackFrames_ = ov_pcm_total(vf, -1);
    decoded_ = 0;
    return true;
}

void SoundRenderer::seekTrack(long long position) {
    auto* vf = static_cast<OggVorbis_File*>(file_);
    if (decoded_ != position) {
        ov_pcm_seek(vf, position);
        decoded_ = position;
    }
}

void SoundRenderer::render(const std::vector<MusicEvent>& events, long long from, int count, float* out) {
    std::memset(out, 0, sizeof(float) * 2 * static_cast<size_t>(count));
    if (!file_ || trackFrames_ <= 0) return;
    auto* vf = static_cast<OggVorbis_File*>(file_);
    const int channels = ov_info(vf, -1)->channels;
    int i = 0;
    while (i < count) {
        const MusicState s = musicStateAt(events, from + i);
        if (!s.playing) {
            ++i;
            continue;
        }
        const long long loop = s.position / trackFrames_;
        if (s.loops >= 0 && loop >= std::max(1, s.loops)) {
            ++i;
            continue;
        }
        seekTrack(s.position % trackFrames_);
        // Decode a run that stays within this play-through of the track.
        const long long left = trackFrames_ - s.position % trackFrames_;
        const int want = static_cast<int>(std::min<long long>({count - i, left, 4096}));
        float** pcm = nullptr;
        int section = 0;
        const long got = ov_read_float(vf, &pcm, want, &section);
        if (got <= 0) {
            decoded_ = -1;  // end of the stream: the next run starts a new play-through
            ++i;
            continue;
        }
        for (long k = 0; k < got; ++k) {
            const float g = k == 0 ? s.gain : musicStateAt(events, from + i + k).gain;
            const float l = pcm[0][k];
            const float r = channels > 1 ? pcm[1][k] : l;
            out[2 * (i + k)] = l * g;
            out[2 * (i + k) + 1] = r * g;
        }
        decoded_ += got;
        i += static_cast<int>(got);
    }
}
