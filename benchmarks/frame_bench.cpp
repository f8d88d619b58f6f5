// Measures what a frame of each phase costs, with the real data set, on this
// machine's OpenGL (run it under Xvfb for Mesa's software renderer). The clock
// the show sees is scripted (20 ms frames, no sleeping), so only the work is timed.
//
//   frame_bench [frames-per-phase]     (run from the repository root)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <SDL/SDL_opengl.h>

#include "audio/music_player.h"
#include "gfx/textures.h"
#include "gfx/window.h"
#include "particles/particle_system.h"
#include "particles/trail.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "show/phases.h"
#include "slides/ambient.h"
#include "slides/transition.h"
#include "support/scripted_io.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Stats {
    double median, p90;
};

Stats summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

template <class Phase>
Stats timeFrames(Phase& phase, int frames, ScriptedIo& io, int keyEvery, SDLKey key) {
    std::vector<double> ms;
    for (int i = 0; i < frames && phase.running(); ++i) {
        if (keyEvery > 0 && i % keyEvery == 0) io.keyDown(key);
        const auto t0 = Clock::now();
        phase.frame();
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return summarise(ms);
}

void report(const char* what, const Stats& s) {
    std::printf("%-44s median %6.2f ms   p90 %6.2f ms\n", what, s.median, s.p90);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    ScriptedIo io;
    setShowIo(&io);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("SDL_Init failed: %s\n", SDL_GetError());
        return 1;
    }
    setVideoMode("Mijotine frame bench", 800, 600, false);
    initGl(800, 600);
    pushOrtho2D(800, 600);
    std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    textures = new int[kTextureSlots]();
    textures[kSlotAtlas] = loadTexture("./data/unpack.jpg");
    loadAllTextures(textures, 0.1f, 0.75f);
    initAmbientGlows();
    particleSystem = new ParticleSystem();
    frameTimer = new FrameTimer();
    slideTransition = new SlideTransition();
    musicPlayer = new MusicPlayer();
    musicPlayer->loadFailed = true;  // silent: only the pictures are measured
    initScrollText();
    mouseX = 400;
    mouseY = 300;
    trailCountdown = 100;

    ShowFlags flags;
    IntroPhase intro(flags);
    intro.setUp();
    report("Intro (card, glows, trail)", timeFrames(intro, frames, io, 0, SDLK_UNKNOWN));
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    // a slide change every 60 frames keeps a transition running most of the time
    report("Slideshow (slide, transition, overlay)", timeFrames(slideshow, frames, io, 60, SDLK_RIGHT));
    ScrollerPhase scroller(flags);
    scroller.setUp();
    scrollPosition = 3000;  // text on screen from the start
    report("Scroller (text, cover, sprites, glows)", timeFrames(scroller, frames, io, 0, SDLK_UNKNOWN));
    OutroPhase outro;
    outro.setUp();
    report("Outro (card, centred transition)", timeFrames(outro, frames, io, 0, SDLK_UNKNOWN));

    // What the sparks cost: the most a trail holds at once, against the
    // 36,000 spent sparks an hour of trail would leave if none were dropped.
    for (size_t count : {size_t(40), size_t(36000)}) {
        ParticleSystem sparks;
        for (size_t i = 0; i < count; ++i) sparks.spawn(400, 300, 0, 0, 0, 0);
        std::vector<double> ms;
        for (int f = 0; f < 50; ++f) {
            glClear(GL_COLOR_BUFFER_BIT);
            const auto t0 = Clock::now();
            for (ParticleEmitter* e : sparks.emitters) {
                auto* spark = static_cast<SparkEmitter*>(e);
                spark->ageMs = count > 100 ? 5000 : 300;  // spent, or in full bloom
            }
            sparks.draw();
            glFinish();
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        }
        char what[64];
        std::snprintf(what, sizeof what, "drawing %zu sparks", count);
        report(what, summarise(ms));
    }
    return 0;
}
