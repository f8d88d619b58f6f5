#include "audio/music_player.h"

#include <cstdio>

MusicPlayer::MusicPlayer() { names[0] = "song.ogg"; }

void MusicPlayer::load() {
    // A device that can't be opened is not reported here: the loading and
    // playing calls that follow report whatever SDL_mixer has to say.
    Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096);
    Mix_AllocateChannels(16);
    for (int i = 0; i < kTracks; ++i) {
        const std::string path = "./data/" + names[i];
        music[i] = Mix_LoadMUS(path.c_str());
        if (!music[i]) {
            std::printf(" Mix_LoadMUS: %s\n", SDL_GetError());
            std::fflush(stdout);
            loadFailed = true;
        }
    }
}

void MusicPlayer::play(int index) {
    if (loadFailed || musicMuted || index < 0 || index >= kTracks) return;
    // Loop for ever, fading in over two and a half seconds.
    if (Mix_FadeInMusic(music[index], -1, 2500) == -1) {
        std::printf("Mix_PlayMusic: %s\n", SDL_GetError());
        std::fflush(stdout);
    }
}

void MusicPlayer::fadeOut(int ms) {
    if (ms < 0) ms = 250;
    if (Mix_FadingMusic() == MIX_NO_FADING) {
        Mix_FadeOutMusic(ms);
    } else if (Mix_FadingMusic() == MIX_FADING_IN) {
        // Cut short while still fading in: stop at once.
        Mix_HaltMusic();
    }
    // A fade-out already running keeps its own pace.
}

bool MusicPlayer::toggleMusicMute() {
    musicMuted = !musicMuted;
    return musicMuted;
}

bool MusicPlayer::toggleEffectsMute() {
    effectsMuted = !effectsMuted;
    return effectsMuted;
}

void MusicPlayer::close() {
    // SDL_mixer waits for a running fade-out to finish before it frees the
    // track that plays; stop it first so that closing never stalls.
    Mix_HaltMusic();
    for (int i = 0; i < kTracks; ++i) {
        Mix_FreeMusic(music[i]);
        music[i] = nullptr;
    }
    Mix_AllocateChannels(0);
    Mix_CloseAudio();
}
