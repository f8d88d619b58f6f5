// What a frame of each phase costs against its 20 ms budget, what start-up
// costs against decoding the same files, the CPU share of a resting slide and
// the peak resident memory, with the real data set on this machine's OpenGL
// (run it under Xvfb for Mesa's software renderer).
//
// A frame's work is timed from the end of the timer's sleep to the end of the
// buffer swap, with real swaps. The clock the show sees is scripted (20 ms a
// frame, sleeping only on the scripted clock), so a whole show runs as fast as
// the machine draws it; only the CPU-share run sleeps for real.
//
//   frame_bench [scroller-frames] [WxH ...]   (run from the repository root)
//   frame_bench startup [WxH ...]             (the start-up figures alone)
//
// Each size (800x600 unless any is named) is measured in a window of its own
// in a process of its own, one after the other, the show drawn into the whole
// window as a full screen of that size is drawn: 1440x1080 is the 4:3 area of
// a 1920 x 1080 screen. Run it under an X screen that holds the largest, e.g.
// xvfb-run -a -s "-screen 0 1920x1080x24" build/frame_bench 1500 800x600 1440x1080.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <type_traits>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "audio/music_player.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "core/io.h"
#include "core/drawing_area.h"
#include "gfx/loading_screen.h"
#include "gfx/quad.h"
#include "gfx/show_pictures.h"
#include "gfx/textures.h"
#include "gfx/window.h"
#include "particles/particle_system.h"
#include "particles/trail.h"
#include "show/phases.h"
#include "slides/ambient.h"
#include "slides/transition.h"
#include "support/scripted_io.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// The scripted clock of ScriptedIo with real presentation: the swap goes to
// the window, and the frame's work ends when it has.
class BenchIo : public ScriptedIo {
public:
    void swapBuffers() override {
        SDL_GL_SwapBuffers();
        glFinish();
        ++swaps;
        if (onSwap) onSwap(*this, swaps);
    }
};

// The real clock, sleeping for real, with real presentation.
class RealIo : public ShowIo {
public:
    Uint32 getTicks() override { return SDL_GetTicks(); }
    void delay(Uint32 ms) override { SDL_Delay(ms); }
    int pollEvent(SDL_Event* event) override { return SDL_PollEvent(event); }
    Uint8 getMouseState(int* x, int* y) override {
        *x = 400;
        *y = 300;
        return 0;
    }
    void swapBuffers() override { SDL_GL_SwapBuffers(); }
};

struct Stats {
    size_t frames = 0;
    double median = 0, p90 = 0, p99 = 0, max = 0;
    size_t over = 0;  // frames over 20 ms
};

Stats summarise(std::vector<double> ms) {
    Stats s;
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * ms.size()))]; };
    s.frames = ms.size();
    s.median = at(0.5);
    s.p90 = at(0.9);
    s.p99 = at(0.99);
    s.max = ms.back();
    s.over = static_cast<size_t>(std::count_if(ms.begin(), ms.end(), [](double v) { return v > 20.0; }));
    return s;
}

// The cost of presenting a frame, and of one full-screen textured layer on top.
double presentMs = 0, layerMs = 0, blendedLayerMs = 0;

void printRow(const char* what, const Stats& s) {
    const double layers = layerMs > 0 ? (s.median - presentMs) / layerMs : 0;
    std::printf("| %-26s | %5.2f | %5.2f | %5.2f | %5.2f | %3.0f %% | %4.1f | %4zu of %4zu |\n", what, s.median,
                s.p90, s.p99, s.max, s.median / 20 * 100, layers, s.over, s.frames);
}

// Runs a phase's frames, timing each one's work; classify puts a frame's time
// into one of two piles (the slideshow's rest and wipe).
template <class Phase, class Script, class Classify>
void timePhase(Phase& phase, int limit, Script script, Classify classify, std::vector<double>* piles) {
    for (int i = 0; i < limit && phase.running(); ++i) {
        script(i);
        const auto t0 = Clock::now();
        phase.frame();
        piles[classify()].push_back(msSince(t0));
    }
}

// Median time of frames that draw `quads` full-screen quads of a slide and present.
double layerFrameMs(int quads, bool blended) {
    std::vector<double> ms;
    glColor3f(1, 1, 1);
    for (int f = 0; f < 60; ++f) {
        const auto t0 = Clock::now();
        if (blended)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        for (int q = 0; q < quads; ++q) {
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures[kSlotFirstSlide + q % 7]));
            drawFullscreenQuad();
        }
        SDL_GL_SwapBuffers();
        glFinish();
        ms.push_back(msSince(t0));
    }
    glEnable(GL_BLEND);
    return summarise(ms).median;
}

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Decodes every picture the show loads, as SDL_image does, and throws them away.
double decodeAllMs() {
    // The files the show reads at this size: the finer ones where it draws finer.
    const float scale = showScale(drawingArea());
    std::vector<std::string> paths;
    for (int slot = 0; slot < kTextureSlots; ++slot)
        paths.push_back(readsFinerFile(slot, scale) ? finerFilePath(slot) : dataFilePath(slot));
    const auto t0 = Clock::now();
    for (const std::string& p : paths) {
        SDL_Surface* s = IMG_Load(p.c_str());
        if (!s) {
            std::printf("cannot decode %s\n", p.c_str());
            std::exit(1);
        }
        SDL_FreeSurface(s);
    }
    return msSince(t0);
}

// The window of the size to measure at, with the show's GL state; false
// when the X screen cannot hold it.
bool openBenchWindow(int width, int height) {
    drawWindowDirectly(false);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::printf("SDL_Init failed: %s\n", SDL_GetError());
        return false;
    }
    setVideoMode("Mijotine frame bench", width, height, false);
    int drawnWidth = 0, drawnHeight = 0;
    drawableSize(drawnWidth, drawnHeight);
    if (drawnWidth != width || drawnHeight != height) {
        std::printf("got a window of %d x %d for %d x %d: is the X screen large enough?\n", drawnWidth, drawnHeight,
                    width, height);
        return false;
    }
    initGl(800, 600);
    setDrawable(width, height);
    decideDrawingPath();  // as loadShow does: the stencil, the largest texture for the bakes
    pushOrtho2D(800, 600);
    std::printf("\n======== %d x %d\nGL renderer: %s\n", width, height,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    return true;
}

struct StartUp {
    double ms = 0, cpuMs = 0, decodeMs = 0;
    long rssKb = 0;
    double picturesMs = 0, loadingFramesMs = 0;  // its parts alone
};

// The show's own sequence from the window to the first title card (the
// music, which streams, is left out), with real presentation, beside the
// decoding of the same pictures in the same run (the page cache warmed first).
StartUp timeStartUp() {
    StartUp s;
    decodeAllMs();
    const double cpu0 = cpuSeconds();
    const auto start = Clock::now();
    ShowPictures pictures(showScale(drawingArea()));
    textures = new int[kTextureSlots]();
    textures[kSlotAtlas] = loadTexture(showPictureFile(kSlotAtlas, pictures.scale()));
    initAmbientGlows();
    particleSystem = new ParticleSystem();
    drawLoadingScreen(0.1f);
    loadAllTextures(textures, pictures, 0.1f, 0.75f);
    drawLoadingScreen(0.75f);
    frameTimer = new FrameTimer();
    slideTransition = new SlideTransition();
    drawLoadingScreen(0.8f);
    musicPlayer = new MusicPlayer();
    musicPlayer->loadFailed = true;  // silent: only the pictures are measured
    drawLoadingScreen(0.9f);
    initScrollText();
    drawLoadingScreen(1.0f);
    glFinish();
    s.ms = msSince(start);
    s.cpuMs = (cpuSeconds() - cpu0) * 1000;
    s.rssKb = peakRssKb();
    s.decodeMs = std::min(decodeAllMs(), decodeAllMs());
    return s;
}

// The start-up's parts again, one by one: the pictures alone, the 24
// loading frames alone.
void timeStartUpParts(StartUp& s) {
    std::vector<int> table(kTextureSlots, 0);
    setLoadingScreenObserver([](float, int) {});
    const auto t0 = Clock::now();
    for (int slot = 0; slot < kTextureSlots; ++slot) table[slot] = loadTexture(dataFilePath(slot).c_str());
    glFinish();
    s.picturesMs = msSince(t0);
    deleteTextures(table.data());
    const auto t1 = Clock::now();
    for (int i = 0; i < 24; ++i) drawLoadingScreen(0.1f + i * 0.03f);
    glFinish();
    s.loadingFramesMs = msSince(t1);
}

void printStartUp(const StartUp& s) {
    std::printf("Start-up %.0f ms (CPU %.0f ms) beside decoding the same pictures %.0f ms: %.1f x\n", s.ms, s.cpuMs,
                s.decodeMs, s.ms / s.decodeMs);
    std::printf("  parts: the pictures alone %.0f ms, the 24 loading frames alone %.0f ms\n", s.picturesMs,
                s.loadingFramesMs);
}

struct ShowStats {
    Stats intro, rest, wipe, scroller, outro;
};

// A whole show on the scripted clock, phase by phase.
ShowStats timeShow(BenchIo& io, int scrollerFrames) {
    delete frameTimer;
    frameTimer = new FrameTimer();
    glDisable(GL_BLEND);  // as the show leaves it before the Intro
    mouseX = 400;
    mouseY = 300;
    io.mouseX = 400;
    io.mouseY = 300;
    trailCountdown = 100;
    ShowStats stats;
    std::vector<double> piles[2];
    auto none = [](int) {};
    auto first = [] { return 0; };

    // Every slide rests 1.5 s, then the next one wipes in (2.5 s); after the
    // last one's rest the slideshow ends. The Scroller's first lines come up
    // from the middle of the screen.
    playPhasesWith([&](auto& phase) {
        using Phase = std::decay_t<decltype(phase)>;
        phase.setUp();
        piles[0].clear();
        piles[1].clear();
        if constexpr (std::is_same_v<Phase, SlideshowPhase>) {
            timePhase(
                phase, 5000,
                [&](int i) {
                    if (i % 200 == 75) io.keyDown(phase.slide == kSlotLastSlide ? SDLK_ESCAPE : SDLK_RIGHT);
                },
                [] { return slideTransition->remaining > 0 ? 1 : 0; }, piles);
            stats.rest = summarise(piles[0]);
            stats.wipe = summarise(piles[1]);
        } else if constexpr (std::is_same_v<Phase, ScrollerPhase>) {
            scrollPosition = 0;
            timePhase(phase, scrollerFrames, none, first, piles);
            stats.scroller = summarise(piles[0]);
        } else {
            timePhase(phase, 5000, none, first, piles);
            (std::is_same_v<Phase, IntroPhase> ? stats.intro : stats.outro) = summarise(piles[0]);
        }
    });
    return stats;
}

// What presenting a frame costs, and a full-screen layer on top. Measured
// after the show, which so meets the renderer's states for the first time,
// as it does when it runs on its own.
void timeFloor() {
    glDisable(GL_BLEND);
    layerFrameMs(1, false);  // warm-up
    presentMs = layerFrameMs(0, false);
    const double one = layerFrameMs(1, false);
    layerMs = (layerFrameMs(5, false) - one) / 4;
    blendedLayerMs = (layerFrameMs(5, true) - layerFrameMs(1, true)) / 4;
    glEnable(GL_BLEND);
}

// The CPU share of a resting slide with the real frame timer sleeping
// between frames.
double restingCpuShare() {
    delete frameTimer;
    frameTimer = new FrameTimer();
    ShowFlags restFlags;
    SlideshowPhase resting(restFlags);
    resting.setUp();
    for (int i = 0; i < 10; ++i) resting.frame();
    const double restCpu0 = cpuSeconds();
    const auto restStart = Clock::now();
    for (int i = 0; i < 150; ++i) resting.frame();
    return (cpuSeconds() - restCpu0) * 1000 / msSince(restStart);
}

void printFrameTable(const ShowStats& stats) {
    std::printf("\nFrame work (end of the timer's sleep to the end of the swap), ms; budget 20 ms\n\n");
    std::printf("| %-26s | %5s | %5s | %5s | %5s | %5s | %4s | %12s |\n", "Phase", "med", "p90", "p99", "max",
                "share", "lay.", "over 20 ms");
    std::printf("|----------------------------|-------|-------|-------|-------|-------|------|--------------|\n");
    printRow("Intro", stats.intro);
    printRow("Slideshow, slide at rest", stats.rest);
    printRow("Slideshow, during a wipe", stats.wipe);
    printRow("Scroller", stats.scroller);
    printRow("Outro", stats.outro);
    std::printf("\n(share: median / 20 ms; lay.: (median - present) / one full-screen layer)\n");
    std::printf("Floor: present only %.2f ms; one opaque full-screen textured layer %.2f ms "
                "(blended %.2f ms)\n",
                presentMs, layerMs, blendedLayerMs);
}

// What the sparks cost: the most a trail holds at once, against the
// 36,000 spent sparks an hour of trail would leave if none were dropped.
void timeSparks() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textures[kSlotParticle]));
    for (size_t count : {size_t(40), size_t(36000)}) {
        ParticleSystem sparks;
        for (size_t i = 0; i < count; ++i) sparks.spawn(400, 300, 0, 0, 0, 0);
        std::vector<double> ms;
        for (int f = 0; f < 50; ++f) {
            glClear(GL_COLOR_BUFFER_BIT);
            const auto t0 = Clock::now();
            for (ParticleEmitter* e : sparks.emitters)
                static_cast<SparkEmitter*>(e)->ageMs = count > 100 ? 5000 : 300;  // spent, or in full bloom
            sparks.draw();
            glFinish();
            ms.push_back(msSince(t0));
        }
        std::printf("Drawing %zu sparks: median %.2f ms\n", count, summarise(ms).median);
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Every figure at one size, in this process.
int bench(bool startupOnly, int scrollerFrames, int width, int height) {
    if (!openBenchWindow(width, height)) return 1;
    RealIo realIo;
    setShowIo(&realIo);
    StartUp startUp = timeStartUp();
    timeStartUpParts(startUp);
    if (startupOnly) {
        printStartUp(startUp);
        return 0;
    }
    BenchIo io;
    setShowIo(&io);
    const ShowStats stats = timeShow(io, scrollerFrames);
    timeFloor();
    setShowIo(&realIo);
    const double restCpuShare = restingCpuShare();

    printFrameTable(stats);
    printStartUp(startUp);
    std::printf("CPU share while a slide rests (real timer): %.0f %% of one core\n", restCpuShare * 100);
    std::printf("Peak resident memory: %ld kB after start-up, %ld kB at the end\n", startUp.rssKb, peakRssKb());
    timeSparks();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool startupOnly = false;
    int scrollerFrames = 1500;
    std::vector<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        int w = 0, h = 0;
        char tail = 0;
        if (arg == "startup") {
            startupOnly = true;
        } else if (std::sscanf(arg.c_str(), "%dx%d%c", &w, &h, &tail) == 2 && w > 0 && h > 0) {
            sizes.emplace_back(w, h);
        } else if (std::atoi(arg.c_str()) > 0) {
            scrollerFrames = std::atoi(arg.c_str());
        } else {
            std::printf("usage: frame_bench [startup | scroller-frames] [WxH ...]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes.emplace_back(800, 600);
    int status = 0;
    for (const auto& size : sizes) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int rc = bench(startupOnly, scrollerFrames, size.first, size.second);
            std::fflush(stdout);
            _exit(rc);
        }
        int childStatus = 0;
        if (child < 0 || waitpid(child, &childStatus, 0) != child || !WIFEXITED(childStatus) ||
            WEXITSTATUS(childStatus) != 0)
            status = 1;
    }
    return status;
}
