#pragma once
// The seam between the music player and the sound system: the few SDL_mixer
// calls the player makes, nothing more. The program uses SDL_mixer itself;
// other hosts of the show (a recorder that renders the sound offline, a
// browser page with its own audio) install their own.

#include <SDL/SDL_mixer.h>

class MusicIo {
public:
    virtual ~MusicIo() = default;
    virtual int openAudio(int frequency, Uint16 format, int channels, int chunkSize) = 0;
    virtual int allocateChannels(int count) = 0;
    virtual Mix_Music* loadMusic(const char* path) = 0;
    virtual void freeMusic(Mix_Music* music) = 0;
    // Starts music looping `loops` times (-1: for ever), fading in over ms.
    virtual int fadeInMusic(Mix_Music* music, int loops, int ms) = 0;
    virtual int fadeOutMusic(int ms) = 0;
    virtual Mix_Fading fadingMusic() = 0;
    virtual int haltMusic() = 0;
    virtual void closeAudio() = 0;
    // The text of the last failure.
    virtual const char* error() = 0;
};

// The implementation in use; SDL_mixer unless another has been installed.
MusicIo& musicIo();
// Installs io (not owned); null goes back to SDL_mixer.
void setMusicIo(MusicIo* io);
