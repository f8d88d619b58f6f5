#include "audio/music_player.h"

#include <cstdio>

#include "core/data_set.h"
#include "core/music_io.h"

MusicPlayer::MusicPlayer() { names[0] = dataFileName(kFileSong); }

void MusicPlayer::load() {
    MusicIo& io = musicIo();
    // Without a sound device there is nothing to load or play: say so once
    // and let the show run on in silence.
    if (io.openAudio(44100, AUDIO_S16LSB, 2, 4096) == -1) {
        std::printf(" Mix_OpenAudio: %s\n", io.error());
        std::fflush(stdout);
        audioFailed = true;
        loadFailed = true;
        return;
    }
    io.allocateChannels(16);
    for (int i = 0; i < kTracks; ++i) {
        const std::string path = "./data/" + names[i];
        music[i] = io.loadMusic(path.c_str());
        if (!music[i]) {
            std::printf(" Mix_LoadMUS: %s\n", io.error());
            std::fflush(stdout);
            loadFailed = true;
        }
    }
}

void MusicPlayer::play(int index) {
    if (loadFailed || musicMuted || index < 0 || index >= kTracks) return;
    // Loop for ever, fading in over two and a half seconds.
    if (musicIo().fadeInMusic(music[index], -1, 2500) == -1) {
        std::printf("Mix_PlayMusic: %s\n", musicIo().error());
        std::fflush(stdout);
    }
}

void MusicPlayer::fadeOut(int ms) {
    if (audioFailed) return;
    MusicIo& io = musicIo();
    if (ms < 0) ms = 250;
    if (io.fadingMusic() == MIX_NO_FADING) {
        io.fadeOutMusic(ms);
    } else if (io.fadingMusic() == MIX_FADING_IN) {
        // Cut short while still fading in: stop at once.
        io.haltMusic();
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
    if (audioFailed) return;
    MusicIo& io = musicIo();
    // SDL_mixer waits for a running fade-out to finish before it frees the
    // track that plays; stop it first so that closing never stalls.
    io.haltMusic();
    for (int i = 0; i < kTracks; ++i) {
        if (music[i]) io.freeMusic(music[i]);
        music[i] = nullptr;
    }
    io.allocateChannels(0);
    io.closeAudio();
}
