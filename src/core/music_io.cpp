#include "core/music_io.h"

namespace {

class MixerIo : public MusicIo {
public:
    int openAudio(int frequency, Uint16 format, int channels, int chunkSize) override {
        return Mix_OpenAudio(frequency, format, channels, chunkSize);
    }
    int allocateChannels(int count) override { return Mix_AllocateChannels(count); }
    Mix_Music* loadMusic(const char* path) override { return Mix_LoadMUS(path); }
    void freeMusic(Mix_Music* music) override { Mix_FreeMusic(music); }
    int fadeInMusic(Mix_Music* music, int loops, int ms) override {
        return Mix_FadeInMusic(music, loops, ms);
    }
    int fadeOutMusic(int ms) override { return Mix_FadeOutMusic(ms); }
    Mix_Fading fadingMusic() override { return Mix_FadingMusic(); }
    int haltMusic() override { return Mix_HaltMusic(); }
    void closeAudio() override { Mix_CloseAudio(); }
    const char* error() override { return SDL_GetError(); }
};

MixerIo mixerIo;
MusicIo* current = &mixerIo;

}  // namespace

MusicIo& musicIo() { return *current; }

void setMusicIo(MusicIo* io) { current = io ? io : &mixerIo; }
