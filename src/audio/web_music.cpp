// The music through the page's Web Audio: the track decoded by the browser,
// played from a looping buffer source through one GainNode whose linear
// ramps make the fades (the browser's SDL_mixer starts and stops at once).
// The page makes the AudioContext when the viewer answers the question,
// since browsers allow sound only after a gesture; it can read the gain as
// Module.music.gain, and when the track started on the audio clock as
// Module.music.startedAt.

#include <emscripten.h>

#include "audio/web_music.h"

// clang-format off
EM_JS(int, pageMusicOpen, (), {
    const context = Module.audioContext;
    if (!context) return 0;
    const gain = context.createGain();
    gain.gain.value = 0;
    gain.connect(context.destination);
    const music = {context : context, gain : gain, tracks : [], source : null, fading : 0, fadeEnd : 0, apart : 0};
    Module.music = music;
    // The show's clock keeps to the page's (performance.now), the track to
    // the audio clock, and the two part when that one runs slow or stops
    // while the page's goes on: a tab in the background (Firefox's audio
    // clock runs slow there), a page frozen and resumed (its sound stops with
    // it, and it may come back still counted as hidden). The track is then
    // put where the page's clock says it should be: as the page comes back to
    // the front or out of its freeze, as its audio starts again, and whenever
    // the two are found more than 50 ms apart twice in a row (once could be a
    // late reading of either clock).
    music.resync = (checked) => {
        if (!music.source || !music.source.buffer || music.context.state !== 'running') return;
        const now = music.context.currentTime;
        const due = performance.now() / 1000 - music.startedOnPage;
        if (Math.abs(due - (now - music.startedAt)) <= 0.05) {
            music.apart = 0;
            return;
        }
        if (checked && ++music.apart < 2) return;
        music.apart = 0;
        const old = music.source;
        const duration = old.buffer.duration;
        if (!old.loop && due >= duration) return;
        const source = music.context.createBufferSource();
        source.buffer = old.buffer;
        source.loop = old.loop;
        source.connect(music.gain);
        source.start(now, old.loop ? due % duration : due);
        if (music.fading == 1 && music.fadeEnd > now) source.stop(music.fadeEnd);
        try { old.stop(); } catch (e) {}
        old.disconnect();
        music.source = source;
        music.startedAt = now - due;
    };
    const again = () => music.resync(false);
    document.addEventListener('visibilitychange', again);
    document.addEventListener('resume', again);
    context.addEventListener('statechange', again);
    music.checking = setInterval(() => music.resync(true), 200);
    return 1;
});

// The track's number, or -1 when the file is missing, -2 when it does not
// decode. The page fetches and decodes the song itself, beside the pictures
// (Module.decodedMusic, by its file name); any other file comes from the
// program's files.
EM_ASYNC_JS(int, pageMusicLoad, (const char* path), {
    const music = Module.music;
    const name = UTF8ToString(path).replace(/^.*[/]/, "");
    const early = Module.decodedMusic && Module.decodedMusic[name];
    let bytes = null;
    if (!early) {
        try {
            bytes = FS.readFile(UTF8ToString(path));
        } catch (e) {
            return -1;
        }
    }
    try {
        const buffer = await (early ||
            music.context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength)));
        music.tracks.push(buffer);
        return music.tracks.length - 1;
    } catch (e) {
        return e && e.missing ? -1 : -2;
    }
});

EM_JS(void, pageMusicStop, (), {
    const music = Module.music;
    if (!music) return;
    if (music.source) {
        try { music.source.stop(); } catch (e) {}
        music.source.disconnect();
        music.source = null;
    }
    const now = music.context.currentTime;
    music.gain.gain.cancelScheduledValues(now);
    music.gain.gain.setValueAtTime(0, now);
    music.gain.gain.value = 0;
    music.fading = 0;
});

EM_JS(void, pageMusicFadeIn, (int track, int loops, int ms), {
    const music = Module.music;
    const source = music.context.createBufferSource();
    source.buffer = music.tracks[track];
    source.loop = loops != 0;
    source.connect(music.gain);
    const now = music.context.currentTime;
    const end = now + ms / 1000;
    music.gain.gain.cancelScheduledValues(now);
    music.gain.gain.setValueAtTime(0, now);
    music.gain.gain.linearRampToValueAtTime(1, end);
    source.start(now);
    music.source = source;
    music.startedAt = now;
    music.startedOnPage = performance.now() / 1000;
    music.fading = 2;
    music.fadeEnd = end;
});

EM_JS(int, pageMusicFadeOut, (int ms), {
    const music = Module.music;
    if (!music || !music.source) return 0;
    const now = music.context.currentTime;
    const end = now + ms / 1000;
    const level = music.gain.gain.value;
    music.gain.gain.cancelScheduledValues(now);
    music.gain.gain.setValueAtTime(level, now);
    music.gain.gain.linearRampToValueAtTime(0, end);
    music.source.stop(end);
    music.fading = 1;
    music.fadeEnd = end;
    return 1;
});

// 0: no fade, 1: fading out, 2: fading in (SDL_mixer's Mix_Fading order).
EM_JS(int, pageMusicFading, (), {
    const music = Module.music;
    if (!music || !music.fading) return 0;
    if (music.context.currentTime >= music.fadeEnd) music.fading = 0;
    return music.fading;
});

EM_JS(void, pageMusicClose, (), {
    const music = Module.music;
    if (!music) return;
    clearInterval(music.checking);
    music.resync = () => {};
    music.gain.disconnect();
    music.tracks = [];
});
// clang-format on

namespace {

class PageMusicIo : public MusicIo {
public:
    int openAudio(int, Uint16, int, int) override {
        if (pageMusicOpen()) return 0;
        error_ = "this page has no sound (the question was not answered)";
        return -1;
    }
    int allocateChannels(int count) override { return count; }
    Mix_Music* loadMusic(const char* path) override {
        const int track = pageMusicLoad(path);
        if (track == -1) error_ = "Couldn't open the music file";
        if (track == -2) error_ = "The browser could not decode the music file";
        if (track < 0 || track >= kTracks) return nullptr;
        return reinterpret_cast<Mix_Music*>(&handles_[track]);
    }
    void freeMusic(Mix_Music*) override {}
    int fadeInMusic(Mix_Music* music, int loops, int ms) override {
        if (!music) {
            error_ = "no music to play";
            return -1;
        }
        pageMusicStop();
        pageMusicFadeIn(static_cast<int>(reinterpret_cast<char*>(music) - handles_), loops, ms);
        return 0;
    }
    int fadeOutMusic(int ms) override { return pageMusicFadeOut(ms); }
    Mix_Fading fadingMusic() override {
        switch (pageMusicFading()) {
            case 1:
                return MIX_FADING_OUT;
            case 2:
                return MIX_FADING_IN;
            default:
                return MIX_NO_FADING;
        }
    }
    int haltMusic() override {
        pageMusicStop();
        return 0;
    }
    void closeAudio() override { pageMusicClose(); }
    const char* error() override { return error_; }

private:
    static constexpr int kTracks = 8;
    char handles_[kTracks] = {};
    const char* error_ = "";
};

PageMusicIo pageMusicIo;

}  // namespace

MusicIo& webMusicIo() { return pageMusicIo; }
