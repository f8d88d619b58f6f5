// mijotine-record: plays the show on a fixed clock, with the viewer's part
// taken from a tour, and writes every frame and the music into a video file.

#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>
#include <getopt.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "core/io.h"
#include "core/music_io.h"
#include "record/encode_worker.h"
#include "record/encoder.h"
#include "record/files.h"
#include "record/framebuffer.h"
#include "record/progress.h"
#include "record/quote.h"
#include "record/record_io.h"
#include "record/sound.h"
#include "record/tour.h"
#include "show/show.h"

#ifndef MIJOTINE_VERSION
#define MIJOTINE_VERSION "1.0"
#endif

namespace {

const char* const kProgram = "mijotine-record";

void usage(FILE* to) {
    std::fprintf(to,
                 "Usage: %s [OPTION]... OUTPUT\n"
                 "Plays the show on a fixed clock of 50 frames a second and records every frame and the\n"
                 "music into OUTPUT. The name's extension picks the format: .mp4 (H.264 and AAC, the\n"
                 "default choice), .mov, .mkv, .webm (VP9 and Opus) or .webp (animated, no sound).\n"
                 "\n"
                 "  -t, --tour FILE       the viewer's actions, one a line (default: the built-in tour)\n"
                 "      --print-tour      print the built-in tour and exit\n"
                 "  -s, --seed N          seed of the random numbers (default 1: the show's own sequence)\n"
                 "      --size WxH        picture size, 4:3 and even (default 800x600; e.g. 1440x1080)\n"
                 "      --from SECONDS    leave out the frames before this show time\n"
                 "      --to SECONDS      stop the recording at this show time\n"
                 "      --stills DIR      save the tour's still frames as PNG files in DIR; OUTPUT may\n"
                 "                        then be left out to save stills only\n"
                 "      --quality N       constant-quality level (x264/VP9 CRF, lower is better;\n"
                 "                        WebP quality 0-100); default 20, 32 and 70\n"
                 "      --preset NAME     x264 speed preset (default veryfast)\n"
                 "  -C, --directory DIR   run in DIR, which holds the data set in data/ (default:\n"
                 "                        the installed data set, or . in a build tree)\n"
                 "  -q, --quiet           no progress report\n"
                 "  -h, --help            show this help and exit\n"
                 "  -V, --version         show the version and exit\n"
                 "\n"
                 "Needs no display: it draws offscreen through SDL's offscreen video driver (OpenGL\n"
                 "by EGL) unless SDL_VIDEODRIVER names another. Exit status: 0 when the file is\n"
                 "written, 1 when recording failed or was interrupted, 2 on bad usage or a bad tour.\n",
                 kProgram);
}

[[noreturn]] void badUsage(const std::string& what) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram, what.c_str(), kProgram);
    std::exit(2);
}

[[noreturn]] void failure(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", kProgram, what.c_str());
    std::exit(1);
}

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char here[4096];
    if (!getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// An installed recorder reads the installed data set wherever it is started
// from: the folder that holds data/ sits at a fixed place relative to the
// program (MIJOTINE_INSTALLED_DATA, set by the install rules), so a moved
// prefix still works. In a build tree there is none there, and the working
// directory is used.
std::string installedDataRoot() {
#ifdef MIJOTINE_INSTALLED_DATA
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    self[n] = '\0';
    const std::string root = directoryOf(self) + "/" + MIJOTINE_INSTALLED_DATA;
    struct stat st;
    if (stat((root + "/data").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return root;
#endif
    return "";
}

const char* const kPresetList = "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow, placebo";
bool knownPreset(const std::string& name) {
    const std::string list = std::string(", ") + kPresetList + ",";
    return !name.empty() && name.find(',') == std::string::npos && name.find(' ') == std::string::npos &&
           list.find(" " + name + ",") != std::string::npos;
}

bool parseSeconds(const char* text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return end && *end == '\0' && end != text && std::isfinite(seconds) && seconds >= 0 && seconds < 24 * 3600;
}

// ---------------------------------------------------------------- run state

// Removed at exit unless the recording was finished and renamed; the copy
// in a plain array is for the fault handler, which may not touch a string.
std::string partPath;
char partPathForFaults[4096];
void setPartPath(const std::string& path) {
    partPath = path;
    const size_t n = path.size() < sizeof partPathForFaults ? path.size() : 0;
    std::memcpy(partPathForFaults, path.data(), n);
    partPathForFaults[n] = '\0';
}
void removePart() {
    if (!partPath.empty()) ::unlink(partPath.c_str());
}

volatile sig_atomic_t stopSignal = 0;
void onSignal(int sig) {
    if (!stopSignal) stopSignal = sig;
}

// Every signal that would end the process where it stands ends the recording
// at the next frame instead, cleanly: the terminal's (Ctrl-C, Ctrl-\, a hang-
// up), kill's, a timer's, a limit's. One ignored when we start (nohup, a
// shell's background job) stays ignored.
std::vector<int> stopSignals() {
    std::vector<int> all = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM,
                            SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGIO,   SIGPWR};
#ifdef SIGSTKFLT
    all.push_back(SIGSTKFLT);
#endif
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) all.push_back(s);
    return all;
}
std::vector<int> caughtSignals;

const char* signalName(int sig) {
    static const struct {
        int sig;
        const char* name;
    } names[] = {{SIGHUP, "SIGHUP"},   {SIGINT, "SIGINT"},     {SIGQUIT, "SIGQUIT"}, {SIGTERM, "SIGTERM"},
                 {SIGUSR1, "SIGUSR1"}, {SIGUSR2, "SIGUSR2"},   {SIGPIPE, "SIGPIPE"}, {SIGALRM, "SIGALRM"},
                 {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"}, {SIGXCPU, "SIGXCPU"}, {SIGXFSZ, "SIGXFSZ"},
                 {SIGIO, "SIGIO"},     {SIGPWR, "SIGPWR"}};
    for (const auto& n : names)
        if (n.sig == sig) return n.name;
    static char other[32];
    if (sig >= SIGRTMIN && sig <= SIGRTMAX) std::snprintf(other, sizeof other, "SIGRTMIN+%d", sig - SIGRTMIN);
    else std::snprintf(other, sizeof other, "signal %d", sig);
    return other;
}

// SDL is asked to leave these signals alone, and they are taken back after
// its start-up in case it did not.
void catchStopSignals() {
    if (caughtSignals.empty())
        for (int sig : stopSignals()) {
            struct sigaction old {};
            // Ignored (nohup), or taken already by a runtime of its own (a
            // profiler, a sanitizer): left as it is.
            if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL)
                continue;
            caughtSignals.push_back(sig);
        }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : caughtSignals) sigaction(sig, &action, nullptr);
}

// A crash cannot wait for the next frame, but it need not leave a half file:
// the temporary file goes, and the signal then does what it did before (the
// default, or a sanitizer's report): a fault happens again as the handler
// returns, a sent signal is sent again.
const int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS};
struct sigaction faultBefore[sizeof kFaultSignals / sizeof kFaultSignals[0]];
void onFault(int sig, siginfo_t* info, void*) {
    if (partPathForFaults[0]) ::unlink(partPathForFaults);
    for (size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i)
        if (kFaultSignals[i] == sig) sigaction(sig, &faultBefore[i], nullptr);
    if (info->si_code <= 0) raise(sig);
}
void catchFaults() {
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;  // a sanitizer's stack for an overflow, where it has one
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < sizeof kFaultSignals / sizeof kFaultSignals[0]; ++i) {
        sigaction(kFaultSignals[i], nullptr, &faultBefore[i]);
        if (!(faultBefore[i].sa_flags & SA_SIGINFO) && faultBefore[i].sa_handler == SIG_IGN) continue;
        sigaction(kFaultSignals[i], &action, nullptr);
    }
}

struct Stop {
    bool failed;
    std::string why;
};

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

unsigned showClock(void* io) { return static_cast<RecordIo*>(io)->getTicks(); }

}  // namespace

int main(int argc, char** argv) {
    std::string tourPath, stillsDir, directory, preset;
    unsigned seed = 1;
    int width = 800, height = 600, quality = -1;
    double fromSeconds = 0, toSeconds = -1;
    bool quiet = false;

    enum { kSize = 256, kFrom, kTo, kStills, kQuality, kPreset, kPrintTour };
    const option longOptions[] = {
        {"tour", required_argument, nullptr, 't'},      {"seed", required_argument, nullptr, 's'},
        {"size", required_argument, nullptr, kSize},    {"from", required_argument, nullptr, kFrom},
        {"to", required_argument, nullptr, kTo},        {"stills", required_argument, nullptr, kStills},
        {"quality", required_argument, nullptr, kQuality}, {"preset", required_argument, nullptr, kPreset},
        {"directory", required_argument, nullptr, 'C'}, {"quiet", no_argument, nullptr, 'q'},
        {"print-tour", no_argument, nullptr, kPrintTour}, {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},         {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    int c;
    while ((c = getopt_long(argc, argv, ":t:s:C:qhV", longOptions, nullptr)) != -1) {
        switch (c) {
            case 't':
                tourPath = optarg;
                break;
            case 's': {
                char* end = nullptr;
                const unsigned long v = std::strtoul(optarg, &end, 10);
                if (!*optarg || *end || optarg[0] == '-' || v > 0xffffffffUL)
                    badUsage("bad seed " + quoted(optarg) + ": expected a whole number from 0 to 4294967295");
                seed = static_cast<unsigned>(v);
                break;
            }
            case kSize: {
                int w = 0, h = 0;
                char tail = 0;
                if (std::sscanf(optarg, "%dx%d%c", &w, &h, &tail) != 2 || w < 160 || h < 120 || w > 7680 ||
                    w * 3 != h * 4 || w % 2 || h % 2)
                    badUsage("bad size " + quoted(optarg) +
                             ": expected WIDTHxHEIGHT in the ratio 4:3, even, from 160x120 (e.g. 1440x1080)");
                width = w;
                height = h;
                break;
            }
            case kFrom:
                if (!parseSeconds(optarg, fromSeconds)) badUsage("bad --from " + quoted(optarg) + ": expected seconds");
                break;
            case kTo:
                if (!parseSeconds(optarg, toSeconds) || toSeconds <= 0)
                    badUsage("bad --to " + quoted(optarg) + ": expected seconds");
                break;
            case kStills:
                stillsDir = optarg;
                break;
            case kQuality: {
                char* end = nullptr;
                const long v = std::strtol(optarg, &end, 10);
                if (!*optarg || *end || v < 0 || v > 100)
                    badUsage("bad quality " + quoted(optarg) + ": expected a whole number from 0 to 100");
                quality = static_cast<int>(v);
                break;
            }
            case kPreset:
                // Checked here: the encoder would only refuse it after the
                // tour, the data and the window.
                if (!knownPreset(optarg))
                    badUsage("bad preset " + quoted(optarg) + ": expected one of x264's presets (" + kPresetList +
                             ")");
                preset = optarg;
                break;
            case 'C':
                directory = optarg;
                break;
            case 'q':
                quiet = true;
                break;
            case kPrintTour:
                std::fputs(defaultTourText(), stdout);
                return 0;
            case 'h':
                usage(stdout);
                return 0;
            case 'V':
                std::printf("%s (Mijotine) %s\n"
                            "Copyright 2026 the Mijotine authors\n"
                            "License: MIT <https://opensource.org/license/mit>\n"
                            "This is free software: you are free to change and redistribute it.\n"
                            "There is NO WARRANTY, to the extent permitted by law.\n",
                            kProgram, MIJOTINE_VERSION);
                return 0;
            case ':':
                badUsage("option " + quoted(argv[optind - 1]) + " needs a value");
            default:
                badUsage("unknown option " + quoted(argv[optind - 1]));
        }
    }
    std::string output;
    if (optind < argc) output = argv[optind++];
    if (optind < argc) badUsage("one output only; also given " + quoted(argv[optind]));
    if (output.empty() && stillsDir.empty()) badUsage("no OUTPUT given");
    if (toSeconds >= 0 && toSeconds <= fromSeconds) badUsage("--to must come after --from");
    std::string formatName;
    if (!output.empty() && !Encoder::knownFormat(output, &formatName))
        badUsage("cannot tell the format of " + quoted(output) + ": name it .mp4, .mov, .mkv, .webm or .webp");

    // From here on a stop signal ends the run with its message, whatever the
    // run is doing: waiting for a tour's bytes, drawing, finishing the file.
    catchStopSignals();
    catchFaults();
    auto interrupted = [&]() {
        std::fprintf(stderr, "%s: interrupted by %s; %s\n", kProgram, signalName(stopSignal),
                     output.empty() ? "stills stopped" : ("nothing written to " + escaped(output)).c_str());
        std::exit(1);
    };

    // ---- the tour
    std::string tourText = defaultTourText();
    std::string tourName = "built-in tour";
    std::string error;
    if (!tourPath.empty()) {
        tourName = escaped(tourPath);
        switch (readTourFile(tourPath, tourText, error, &stopSignal)) {
            case TourRead::Ok:
                break;
            case TourRead::Unreadable:
                failure("cannot read the tour " + tourName + ": " + error);
            case TourRead::Bad:
                std::fprintf(stderr, "%s: %s: %s\n", kProgram, tourName.c_str(), error.c_str());
                return 2;
            case TourRead::Interrupted:
                interrupted();
        }
    }
    Tour tour;
    if (!parseTour(tourText, tour, error)) {
        std::fprintf(stderr, "%s: %s:%s\n", kProgram, tourName.c_str(), error.c_str());
        return 2;
    }
    if (stillsDir.empty())
        for (const TourAction& a : tour.actions)
            if (a.kind == TourAction::Still) {
                std::fprintf(stderr, "%s: %s:%d: the tour's stills are left out: no --stills DIR given\n", kProgram,
                             tourName.c_str(), a.line);
                break;
            }

    // ---- where things go, checked before anything is drawn
    if (!output.empty()) {
        output = absolute(output);
        struct stat st;
        if (stat(output.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            failure("cannot write " + escaped(output) + ": it is a directory");
        // What an earlier recording killed outright left behind.
        for (const std::string& stale : removeStaleParts(output))
            if (!quiet) std::fprintf(stderr, "%s: removed %s, left by a recording that was killed\n", kProgram,
                                     escaped(stale).c_str());
        const std::string why = whyNotReplaceable(output);
        if (!why.empty()) failure("cannot write " + escaped(output) + ": " + why);
        setPartPath(partPathFor(output, getpid()));
    }
    if (!stillsDir.empty()) {
        stillsDir = absolute(stillsDir);
        ::mkdir(stillsDir.c_str(), 0777);
        std::string why = whyNotWritableDirectory(stillsDir);
        for (size_t i = 0; i < tour.actions.size() && why.empty(); ++i)
            if (tour.actions[i].kind == TourAction::Still) {
                const std::string still = stillsDir + "/" + tour.actions[i].name + ".png";
                why = whyNotReplaceable(still);
                if (!why.empty()) why = escaped(still) + ": " + why;
            }
        if (!why.empty()) failure("cannot write stills into " + escaped(stillsDir) + ": " + why);
    }
    if (directory.empty()) directory = installedDataRoot();
    if (!directory.empty() && ::chdir(directory.c_str()) != 0)
        failure("cannot go to " + escaped(directory) + ": " + std::strerror(errno));
    struct stat dataStat;
    if (stat("data", &dataStat) != 0 || !S_ISDIR(dataStat.st_mode))
        failure("no data/ directory here: run in the directory that holds the data set (-C DIR), after "
                "building it (make)");

    std::atexit(removePart);
    av_log_set_level(AV_LOG_ERROR);
    EncoderSettings settings;
    settings.width = width;
    settings.height = height;
    settings.quality = quality;
    settings.speedPreset = preset;
    Encoder encoder;
    if (!output.empty()) {
        // Claim the temporary name: refused at once when the place is not writable.
        if (!encoder.open(partPath, output, settings, error)) {
            const std::string why = error;
            removePart();
            failure("cannot write " + escaped(output) + ": " + why);
        }
    }
    if (stopSignal) {
        encoder.abandon();
        removePart();
        interrupted();
    }

    // ---- the show on our clock
    // No window to show: draw offscreen, through EGL, unless told otherwise.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    RecordIo io(tour);
    RecordedMusic music(showClock, &io);
    setShowIo(&io);
    setMusicIo(&music);

    const long firstFrame = std::lround(fromSeconds * 50);
    const long endFrame = toSeconds >= 0 ? std::lround(toSeconds * 50) : -1;
    long lastStillFrame = -1;
    for (const TourAction& a : tour.actions)
        if (a.kind == TourAction::Still) lastStillFrame = std::max<long>(lastStillFrame, (a.timeMs + 19) / 20);
    const long stopFrame = output.empty() ? lastStillFrame + 1 : endFrame;
    const long expected = endFrame >= 0 ? endFrame - firstFrame
                          : output.empty() ? stopFrame
                                           : static_cast<long>(tour.endMs() + 7500) / 20 - firstFrame;

    Framebuffer framebuffer;
    SoundRenderer sound;
    bool soundOpen = false;
    std::vector<float> samples;
    Progress progress(isatty(STDERR_FILENO) == 1);
    double drawing = 0, readBack = 0, soundSeconds = 0;
    auto frameEnd = Clock::now();
    const auto started = Clock::now();
    long written = 0;
    const long long perFrame = sampleAt(RecordIo::kFrameMs);

    const std::vector<uint8_t>* picture = nullptr;  // the frame on screen

    std::unique_ptr<EncodeWorker> worker;
    if (!output.empty()) worker.reset(new EncodeWorker(encoder));

    io.onFrame = [&](long index, bool repeat) {
        if (stopSignal) throw Stop{true, std::string("interrupted by ") + signalName(stopSignal)};
        if (!repeat) {
            // Drawing is only done when the GL has finished it.
            glFinish();
            drawing += since(frameEnd);
            const auto t = Clock::now();
            picture = &framebuffer.read();
            readBack += since(t);
        }
        const Uint32 shownAt = static_cast<Uint32>(index) * RecordIo::kFrameMs;
        io.takeStills(shownAt, [&](const std::string& name) {
            if (stillsDir.empty()) return;
            std::string why;
            if (!writePng(stillsDir + "/" + name + ".png", picture->data(), width, height, why)) throw Stop{true, why};
            if (!quiet && output.empty()) std::fprintf(stderr, "%s/%s.png\n", escaped(stillsDir).c_str(), name.c_str());
        });
        if (!output.empty() && index >= firstFrame) {
            std::string why;
            // The sound up to the end of this frame is settled: whatever the
            // show does to the music from here on happens in a later frame.
            samples.clear();
            if (encoder.hasSound()) {
                const auto t = Clock::now();
                const int count = static_cast<int>(perFrame);
                samples.resize(static_cast<size_t>(count) * 2);
                if (!soundOpen && !music.trackPath().empty()) {
                    std::string soundError;
                    if (!sound.open(music.trackPath(), soundError))
                        std::fprintf(stderr, "%s: %s; the recording is silent\n", kProgram, soundError.c_str());
                    soundOpen = true;
                }
                sound.render(music.events(), index * perFrame, count, samples.data());
                soundSeconds += since(t);
            }
            if (!worker->add(*picture, samples, why)) throw Stop{true, why};
            ++written;
            if (!quiet) progress.update(written, std::max(expected, written));
        }
        if (stopFrame >= 0 && index + 1 >= stopFrame) throw Stop{false, ""};
        frameEnd = Clock::now();
    };

    bool finishedShow = false;
    try {
        std::srand(seed);
        initShowState();
        openShowWindow(false);
        catchStopSignals();
        if (!framebuffer.create(width, height, error)) failure(error);
        loadShow(width, height);
        playPhases();
        finishedShow = true;
    } catch (const Stop& stop) {
        if (stop.failed) {
            if (!quiet) std::fputc('\n', stderr);
            worker.reset();
            encoder.abandon();
            removePart();
            std::fprintf(stderr, "%s: %s; %s\n", kProgram, stop.why.c_str(),
                         output.empty() ? "stills stopped" : ("nothing written to " + escaped(output)).c_str());
            return 1;
        }
    }
    setShowIo(nullptr);
    if (finishedShow) {
        // Shut-down as the show does it; the sound is already complete.
        framebuffer.destroy();
        setShowIo(&io);
        shutDownShow();
        setShowIo(nullptr);
    }
    setMusicIo(nullptr);

    if (output.empty()) return stopSignal ? (interrupted(), 1) : 0;
    if (!quiet) progress.finish(written);
    if (written == 0) {
        encoder.abandon();
        removePart();
        failure("the show ended before --from: nothing written to " + escaped(output));
    }
    const double encodeWait = worker->waitSeconds;
    const bool drained = worker->drain(error);
    worker.reset();
    // Stopped while the last frames were encoded: the file is not put in place.
    if (stopSignal || !drained || !encoder.finish(error) || stopSignal) {
        encoder.abandon();
        removePart();
        if (stopSignal) interrupted();
        failure(error + "; nothing written to " + escaped(output));
    }
    if (std::rename(partPath.c_str(), output.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        removePart();
        failure("cannot rename the recording to " + escaped(output) + ": " + why);
    }
    setPartPath("");

    const double wall = since(started);
    struct stat st {};
    stat(output.c_str(), &st);
    const double length = written / 50.0;
    if (!quiet) {
        std::fprintf(stderr, "%s: %ld frames, %d:%04.1f, %d x %d, %s, %.1f MB; recorded in %.1f s (%.2f x the show's length)\n",
                     escaped(output).c_str(), written, static_cast<int>(length) / 60, std::fmod(length, 60.0), width, height,
                     formatName.c_str(), st.st_size / 1e6, wall, wall / length);
        std::fprintf(stderr,
                     "time: drawing %.1f s, read-back %.1f s, sound %.1f s, waiting for the encoder %.1f s; "
                     "beside it: colour conversion %.1f s, encoding %.1f s\n",
                     drawing, readBack, soundSeconds, encodeWait, encoder.convertSeconds, encoder.encodeSeconds);
    }
    return 0;
}
