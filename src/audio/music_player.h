#pragma once
// Plays the one music track through SDL_mixer with fade-in and fade-out.

#include <string>

#include <SDL/SDL_mixer.h>

class MusicPlayer {
public:
    static constexpr int kTracks = 1;

    std::string names[kTracks];
    bool effectsMuted = false;
    bool musicMuted = false;
    bool loadFailed = false;
    bool audioFailed = false;  // the sound device could not be opened
    Mix_Music* music[kTracks] = {};

    MusicPlayer();
    void load();
    void play(int index);
    void fadeOut(int ms);
    bool toggleMusicMute();
    bool toggleEffectsMute();
    void close();
};
