// The recorder as a program: short tours recorded and read back with
// libavformat; one frame set against the frame the show draws through the
// test seam; the seed; refusals and interruptions that must leave no file.

#include <gtest/gtest.h>

#include <SDL/SDL_opengl.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/globals.h"
#include "core/music_io.h"
#include "media.h"
#include "audio/recorded_music.h"
#include "record/tour.h"
#include "show/show.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"

namespace {

struct Result {
    int status = -1;
    std::string output;  // standard error and output together
};

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Runs the recorder on the repository's data set, output and tour in `dir`;
// `prefix` goes before the program (timeout, runuser).
Result recordOnce(const std::string& args, const std::string& prefix = "") {
    const std::string log = "recorder.log";
    const std::string command = prefix + std::string(MIJOTINE_RECORD) + " -C " + MIJOTINE_SOURCE_DIR + " " + args +
                                " >" + log + " 2>&1 </dev/null";
    const int rc = std::system(command.c_str());
    Result run;
    run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    run.output = readAll(log);
    return run;
}

// In the sanitizer build, LeakSanitizer's own tracer now and then crashes at
// the recorder's exit ("Tracer caught signal 11 ... LeakSanitizer has
// encountered a fatal error"), after a complete recording and before any leak
// is looked for: the checker failed, not the recorder. Such a run is made once
// more; a leak report, or the same crash twice, still fails.
Result record(const std::string& args, const std::string& prefix = "") {
    Result run = recordOnce(args, prefix);
    if (run.output.find("LeakSanitizer has encountered a fatal error") != std::string::npos &&
        run.output.find("detected memory leaks") == std::string::npos) {
        std::fprintf(stderr, "LeakSanitizer crashed at the recorder's exit; recording once more\n");
        run = recordOnce(args, prefix);
    }
    return run;
}

std::string here(const std::string& name) {
    char cwd[4096];
    return std::string(getcwd(cwd, sizeof cwd) ? cwd : ".") + "/" + name;
}

// Files beside an output that a recording left behind under a temporary name.
int leftovers(const std::string& dir) {
    const std::string cmd = "ls -A '" + dir + "' | grep -c '\\.part$' >leftovers.txt";
    if (std::system(cmd.c_str()) < 0) return -1;
    return std::atoi(readAll("leftovers.txt").c_str());
}

// Starts the recorder on the repository's data set with its output in `log`.
// The signals a test sends are put back to their defaults first: a shell
// that runs the suite in the background ignores SIGINT, and the recorder
// leaves an ignored signal ignored.
pid_t startRecorder(const std::string& log, std::vector<std::string> args) {
    args.insert(args.begin(), {MIJOTINE_RECORD, "-C", MIJOTINE_SOURCE_DIR});
    std::remove(log.c_str());
    const pid_t pid = fork();
    if (pid == 0) {
        for (int sig : {SIGINT, SIGTERM, SIGUSR1, SIGHUP}) signal(sig, SIG_DFL);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Waits (generously: the machine may be busy) until `done` holds.
template <class F>
bool waitUntil(F&& done, int seconds = 180) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The exit status of a child, or -1 when a signal ended it.
int exitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Skip the Intro, page once (a wipe), click for sparks.
const char* const kWipeTour =
    "0.5 move 300 200\n"
    "1.0 press escape\n"
    "1.5 press right\n"
    "2.0 click\n";

}  // namespace

TEST(Recorder, ShortTourReadsBackWithItsFramesStreamsAndMusic) {
    // The Intro, Slideshow and Scroller skipped while the music still fades
    // in, so the player stops it at once; the Outro then runs for a second.
    writeFile("short.tour",
              "1.6 press escape\n"
              "1.7 press escape\n"
              "1.8 press escape\n"
              "2.8 press escape\n");
    const std::string out = here("short.mp4");
    std::remove(out.c_str());
    const Result run = record("--tour short.tour " + out);
    ASSERT_EQ(run.status, 0) << run.output;

    const Media m = readMedia(out, false);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(m.videoCodec, "h264");
    EXPECT_EQ(m.audioCodec, "aac");
    EXPECT_EQ(m.width, 800);
    EXPECT_EQ(m.height, 600);
    EXPECT_EQ(m.rateNum * 1, 50 * m.rateDen);
    // The show ends in the frame after the last Escape: 2.8 s and a frame.
    EXPECT_NEAR(m.frameCount, 141, 1);
    EXPECT_NE(run.output.find(std::to_string(m.frameCount) + " frames"), std::string::npos) << run.output;
    EXPECT_NEAR(m.duration, m.frameCount / 50.0, 0.05);
    EXPECT_NEAR(m.sound.size() / 2 / 44100.0, m.frameCount / 50.0, 0.03);

    // Silence over the loading screen; the music starts with the last
    // loading frame (0.52 s) and rises over its fade-in.
    size_t onset = 0;
    while (onset < m.sound.size() && std::fabs(m.sound[onset]) < 1e-3f) ++onset;
    EXPECT_NEAR(onset / 2 / 44100.0, 0.53, 0.03);
    const double early = soundLevel(m, 0.6, 0.9), late = soundLevel(m, 1.4, 1.7);
    std::printf("level 0.6-0.9 s %.4f, 1.4-1.7 s %.4f, after the stop %.6f\n", early, late, soundLevel(m, 2.0, 2.8));
    EXPECT_GT(early, 0.002);
    EXPECT_GT(late, 2 * early);
    // Stopped when the Outro began (1.82 s): silent from there on.
    EXPECT_LT(soundLevel(m, 1.95, 2.8), 1e-4);
}

TEST(Recorder, FrameMatchesWhatTheShowDrawsThroughTheSeam) {
    writeFile("wipe.tour", std::string(kWipeTour) + "2.4 still wipe\n");
    const std::string out = here("wipe.mp4");
    const Result run = record("--tour wipe.tour --to 2.6 --stills stills " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    const Media m = readMedia(out, true);
    ASSERT_TRUE(m.ok) << m.error;
    ASSERT_EQ(m.frames.size(), 130u);

    // The same tour driven through the test seam in a window of our own:
    // one frame every 20 ms, the actions at the first poll at or after
    // their time.
    const int wanted = 120;  // 2.4 s: in mid-wipe, sparks from the click
    const std::string stillPath = here("stills/wipe.png");
    ensureGlWindow();
    // In the repository, for ./data; back where the test started afterwards,
    // so that the tests after it in the same process write where they should.
    char started[4096];
    ASSERT_NE(getcwd(started, sizeof started), nullptr);
    ASSERT_EQ(chdir(MIJOTINE_SOURCE_DIR), 0);
    struct BackTo {
        const char* dir;
        ~BackTo() {
            if (chdir(dir) != 0) std::perror(dir);
        }
    } backTo{started};
    ScriptedIo io;
    io.workMsPerFrame = 20;
    ScopedIo scoped(&io);
    RecordedMusic music([](void* p) { return static_cast<unsigned>(static_cast<ScriptedIo*>(p)->ticks); }, &io);
    setMusicIo(&music);
    Tour tour;
    std::string error;
    ASSERT_TRUE(parseTour(kWipeTour, tour, error)) << error;
    size_t next = 0;
    std::vector<uint8_t> drawn(800 * 600 * 3);
    struct Captured {};
    io.onSwap = [&](ScriptedIo& s, int swaps) {
        if (swaps - 1 == wanted) {
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            std::vector<uint8_t> rows(drawn.size());
            glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
            for (int y = 0; y < 600; ++y)
                std::copy_n(&rows[static_cast<size_t>(599 - y) * 2400], 2400, &drawn[static_cast<size_t>(y) * 2400]);
            throw Captured{};
        }
        for (; next < tour.actions.size() && tour.actions[next].timeMs <= s.ticks; ++next) {
            const TourAction& a = tour.actions[next];
            if (a.kind == TourAction::Move) s.mouseMotion(a.x, a.y);
            if (a.kind == TourAction::KeyDown) s.keyDown(a.key);
            if (a.kind == TourAction::KeyUp) s.keyUp(a.key);
            if (a.kind == TourAction::ButtonDown) s.mouseButtonDown(static_cast<Uint8>(a.button), s.mouseX, s.mouseY);
            if (a.kind == TourAction::ButtonUp) s.mouseButtonUp(static_cast<Uint8>(a.button), s.mouseX, s.mouseY);
        }
    };
    std::srand(1);
    initShowState();
    bool captured = false;
    try {
        loadShow(800, 600);
        playPhases();
    } catch (const Captured&) {
        captured = true;
    }
    setMusicIo(nullptr);
    ASSERT_TRUE(captured);

    auto difference = [&](const std::vector<uint8_t>& frame) {
        double sum = 0;
        for (size_t i = 0; i < drawn.size(); ++i) sum += std::abs(int(frame[i]) - int(drawn[i]));
        return sum / static_cast<double>(drawn.size());
    };
    // The still of that moment is the very picture.
    const Media still = readMedia(stillPath, true);
    ASSERT_EQ(still.frames.size(), 1u) << still.error;
    int most = 0;
    for (size_t i = 0; i < drawn.size(); ++i) most = std::max(most, std::abs(int(still.frames[0][i]) - int(drawn[i])));
    EXPECT_LE(most, 1);

    // The video's frame, through H.264 at its default quality with colour at
    // half resolution, is nearer to it than any frame around it.
    const double same = difference(m.frames[wanted]);
    double nearestOther = 1e9;
    for (int k = wanted - 5; k <= wanted + 5; ++k)
        if (k != wanted) nearestOther = std::min(nearestOther, difference(m.frames[k]));
    std::printf("mean difference per channel: frame %d %.2f, the nearest of its neighbours %.2f; still %d at most\n",
                wanted, same, nearestOther, most);
    EXPECT_LT(same, 3.0);
    EXPECT_LT(same, nearestOther - 0.3);
}

TEST(Recorder, SameSeedGivesTheSameFramesAndAnotherSeedDoesNot) {
    writeFile("seed.tour", kWipeTour);
    std::vector<uint64_t> hashes[3];
    const char* seeds[3] = {"7", "7", "8"};
    for (int i = 0; i < 3; ++i) {
        const std::string out = here("seed" + std::to_string(i) + ".mp4");
        const Result run = record(std::string("--seed ") + seeds[i] + " --size 320x240 --tour seed.tour --to 2.6 " + out);
        ASSERT_EQ(run.status, 0) << run.output;
        const Media m = readMedia(out, false, &hashes[i]);
        ASSERT_TRUE(m.ok) << m.error;
        EXPECT_EQ(m.width, 320);
        EXPECT_EQ(m.height, 240);
    }
    ASSERT_EQ(hashes[0].size(), 130u);
    EXPECT_EQ(hashes[0], hashes[1]);
    // The wipe's centre and the sparks come from the seed.
    ASSERT_EQ(hashes[2].size(), hashes[0].size());
    EXPECT_NE(hashes[0][120], hashes[2][120]);
}

TEST(Recorder, RefusalsAndInterruptionsLeaveNoFile) {
    // A bad tour line: its number and what was expected; nothing written.
    writeFile("bad.tour", "# a tour\n1.0 press left\n2.0 jump 3 4\n");
    const std::string dir = here("refusals");
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
    Result run = record("--tour bad.tour " + dir + "/out.mp4");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("bad.tour:3: expected an action"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("found 'jump'"), std::string::npos) << run.output;

    // A place that cannot be written (a path through a plain file, which even
    // root cannot write): refused before a frame is drawn.
    writeFile(dir + "/plain", "x");
    run = record(dir + "/plain/out.mp4");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot write " + dir + "/plain/out.mp4"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("frame"), std::string::npos) << run.output;

    // Interrupted in mid-recording: says so, exits 1, leaves nothing.
    const std::string out = dir + "/cut.mp4";
    const pid_t pid = startRecorder("cut.log", {out});
    ASSERT_GE(pid, 0);
    // Wait until frames are being written, then Ctrl-C.
    waitUntil([] { return readAll("cut.log").find("frame") != std::string::npos; });
    ASSERT_NE(readAll("cut.log").find("frame"), std::string::npos) << readAll("cut.log");
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readAll("cut.log").find("interrupted by SIGINT; nothing written to " + out), std::string::npos)
        << readAll("cut.log");
    EXPECT_FALSE(exists(out));
    EXPECT_EQ(leftovers(dir), 0);
}

TEST(Recorder, HostileToursAreQuotedBoundedAndRefused) {
    const std::string out = here("hostile.mp4");
    std::remove(out.c_str());
    // A tour's bytes never reach the terminal raw: an escape sequence that
    // would retitle the window, a NUL, a word too long to print whole.
    writeFile("escape.tour", "1.0 press \033]0;PWNED\007\n");
    Result run = record("--tour escape.tour " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("escape.tour:1: expected a key"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("found '\\x1b]0;PWNED\\x07'"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find_first_of(std::string("\033\007", 2)), std::string::npos) << run.output;

    writeFile("nul.tour", std::string("1.0 jump\0ed\n", 12));
    run = record("--tour nul.tour " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("found 'jump\\x00ed'\n"), std::string::npos) << run.output;

    writeFile("long.tour", "1.0 " + std::string(4000, 'A') + "\n2.0 " + std::string(5000, 'B') + "\n");
    run = record("--tour long.tour " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("found '" + std::string(60, 'A') + "'... (4000 bytes)"), std::string::npos)
        << run.output;
    EXPECT_LT(run.output.size(), 400u) << run.output;
    writeFile("long.tour", "1.0 quit\n2.0 " + std::string(5000, 'B') + "\n");
    run = record("--tour long.tour " + out);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("long.tour:2: the line is longer than 4096 bytes"), std::string::npos) << run.output;
    EXPECT_LT(run.output.size(), 400u) << run.output;

    // A directory, or an endless device, is a bad tour, refused at once
    // (`timeout` only keeps a failing run from hanging the suite).
    ASSERT_EQ(std::system("rm -rf tourdir && mkdir tourdir"), 0);
    run = record("-q --to 3 --tour tourdir " + out, "timeout -s KILL 120 ");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("tourdir: a directory, not a tour"), std::string::npos) << run.output;
    for (const char* device : {"/dev/zero", "/dev/urandom"}) {
        run = record(std::string("-q --tour ") + device + " " + out, "timeout -s KILL 120 ");
        EXPECT_EQ(run.status, 2) << device;
        EXPECT_NE(run.output.find(std::string(device) + ": longer than 1048576 bytes"), std::string::npos)
            << run.output.substr(0, 300);
    }
    EXPECT_FALSE(exists(out));

    // A tour that never comes (a FIFO whose writer sends nothing): SIGTERM
    // ends the wait with the promised message and status.
    ASSERT_EQ(std::system("rm -f wait.fifo && mkfifo wait.fifo"), 0);
    const int writer = open("wait.fifo", O_RDWR | O_CLOEXEC);  // a writer that never writes
    ASSERT_GE(writer, 0);
    const pid_t pid = startRecorder("fifo.log", {"--tour", here("wait.fifo"), out});
    ASSERT_GE(pid, 0);
    // Once the recorder (not the child before its exec, which holds the
    // writer) has the FIFO open, it is waiting for the tour's bytes.
    auto link = [&](const std::string& name) {
        char target[4096];
        const ssize_t n = readlink(("/proc/" + std::to_string(pid) + "/" + name).c_str(), target, sizeof target);
        return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
    };
    const bool waiting = waitUntil([&] {
        if (link("exe").find("mijotine-record") == std::string::npos) return false;
        for (int fd = 3; fd < 64; ++fd)
            if (link("fd/" + std::to_string(fd)) == here("wait.fifo")) return true;
        return false;
    });
    kill(pid, SIGTERM);
    EXPECT_TRUE(waiting);
    EXPECT_EQ(exitStatus(pid), 1);
    close(writer);
    EXPECT_NE(readAll("fifo.log").find("interrupted by SIGTERM; nothing written to " + out), std::string::npos)
        << readAll("fifo.log");
}

TEST(Recorder, UsageStillsAndOutputsAreCheckedBeforeAnythingIsDrawn) {
    const std::string dir = here("early");
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
    Result run = record("--preset fastest " + dir + "/out.mp4");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("bad preset 'fastest': expected one of x264's presets"), std::string::npos)
        << run.output;

    // --stills naming a plain file: refused before the first frame.
    writeFile(dir + "/plain", "x");
    writeFile("stills.tour", "0.1 still first\n0.2 still second\n");
    run = record("--tour stills.tour --stills " + dir + "/plain " + dir + "/out.mp4");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot write stills into " + dir + "/plain: not a directory"), std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frame"), std::string::npos) << run.output;
    // Still lines with no --stills: said once, and the recording is made.
    run = record("--tour stills.tour --to 0.3 " + dir + "/out.mp4");
    EXPECT_EQ(run.status, 0) << run.output;
    const size_t said = run.output.find("stills.tour:1: the tour's stills are left out: no --stills DIR given");
    EXPECT_NE(said, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("stills are left out", said + 40), std::string::npos) << run.output;
    EXPECT_TRUE(exists(dir + "/out.mp4"));

    // Stills the show never reaches are named with the reason, and the run fails.
    writeFile("late.tour", "0.1 still early\n1 press escape\n2 press escape\n3 press escape\n"
                           "83 still late1\n87 still late2\n");
    run = record("-q --tour late.tour --stills " + dir);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(exists(dir + "/early.png"));
    EXPECT_NE(run.output.find("late.tour:5: still late1 at 83.00 s was not taken: the show ended at "),
              std::string::npos) << run.output;
    EXPECT_NE(run.output.find("late.tour:6: still late2 at 87.00 s"), std::string::npos) << run.output;
    // --preset where the encoder has none: said once, and the video is made.
    writeFile("short.tour", "0.2 quit\n");
    run = record("--preset slow --to 0.3 --tour short.tour " + dir + "/out.webm");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("--preset is left out: VP9 and Opus in WebM has no speed presets"), std::string::npos)
        << run.output;
    EXPECT_TRUE(exists(dir + "/out.webm"));

    // Someone else's file in a sticky folder cannot be renamed over: found
    // before the recording, not after it. Needs root to set it up.
    const std::string sticky = "/tmp/mijotine-record-sticky." + std::to_string(getpid());
    if (geteuid() != 0 || std::system("command -v runuser >/dev/null") != 0 ||
        std::system(("runuser -u nobody -- test -x " + std::string(MIJOTINE_RECORD)).c_str()) != 0)
        GTEST_SKIP() << "the sticky-folder case needs root, runuser and a recorder that nobody may run";
    ASSERT_EQ(std::system(("rm -rf " + sticky + " && mkdir -m 1777 " + sticky + " && echo theirs >" + sticky +
                           "/e.mp4").c_str()),
              0);
    run = record("--to 1 " + sticky + "/e.mp4", "runuser -u nobody -- ");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot write " + sticky +
                              "/e.mp4: the file there belongs to another user and its folder is sticky"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("frame"), std::string::npos) << run.output;
    EXPECT_EQ(readAll(sticky + "/e.mp4"), "theirs\n");
    EXPECT_EQ(leftovers(sticky), 0);
    ASSERT_EQ(std::system(("rm -rf " + sticky).c_str()), 0);
}

TEST(Recorder, AnyStopSignalLeavesNoFileAndAKilledRunsLeftoversGo) {
    const std::string dir = here("signals");
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
    const std::string out = dir + "/out.mp4";
    auto recordingFrames = [] { return readAll("signal.log").find("frame") != std::string::npos; };

    // A signal it once died of (SIGUSR1: status 138) now stops it as Ctrl-C does.
    pid_t pid = startRecorder("signal.log", {out});
    ASSERT_TRUE(waitUntil(recordingFrames)) << readAll("signal.log");
    kill(pid, SIGUSR1);
    EXPECT_EQ(exitStatus(pid), 1);
    EXPECT_NE(readAll("signal.log").find("interrupted by SIGUSR1; nothing written to " + out), std::string::npos)
        << readAll("signal.log");
    EXPECT_EQ(leftovers(dir), 0);

    // SIGKILL cannot be caught: its temporary file stays...
    pid = startRecorder("signal.log", {out});
    ASSERT_TRUE(waitUntil(recordingFrames)) << readAll("signal.log");
    kill(pid, SIGKILL);
    EXPECT_EQ(exitStatus(pid), -1);
    const std::string killed = dir + "/.out.mp4." + std::to_string(pid) + ".part";
    EXPECT_TRUE(exists(killed));
    // ...until the next recording of that name, which removes the files of
    // that name whose process is gone, and only those.
    const std::string alive = dir + "/.out.mp4.1.part";  // process 1 is alive
    const std::string other = dir + "/.other.mp4.99999999.part";
    const std::string notPid = dir + "/.out.mp4.12ab.part";
    for (const std::string& p : {alive, other, notPid}) writeFile(p, "x");
    const Result run = record("--to 0.2 " + out);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("removed " + killed + ", left by a recording that was killed"), std::string::npos)
        << run.output;
    EXPECT_FALSE(exists(killed));
    for (const std::string& p : {alive, other, notPid}) EXPECT_TRUE(exists(p)) << p;
    EXPECT_TRUE(exists(out));
}

TEST(Recorder, ATourWhoseQuitComesWhileLoadingStillEnds) {
    // The show does not listen during its loading screen: the window is asked
    // to close again a minute after the tour's end, and the recording ends
    // (`timeout` only keeps a failing run from hanging the suite).
    writeFile("early-quit.tour", "0.2 quit\n");
    const std::string out = here("early-quit.mp4");
    std::remove(out.c_str());
    const Result run = record("-q --tour early-quit.tour " + out, "timeout -s KILL 600 ");
    ASSERT_EQ(run.status, 0) << run.output;
    const Media m = readMedia(out, false);
    EXPECT_GT(m.duration, 60.0);
    EXPECT_LT(m.duration, 75.0);
}

// What the WebVTT format asks of a file (the header, blank lines between
// blocks, a timing line of two ordered timestamps in each cue, cues in order
// of their start, no "-->" and no bare '&' or '<' in a cue's text); the
// first rule broken, or empty. `cues` gets each cue's start, end and text.
static std::string webVttProblem(const std::string& text, std::vector<std::tuple<double, double, std::string>>& cues) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (text.find('\r') != std::string::npos || text.find('\0') != std::string::npos) return "a CR or NUL";
    if (lines.empty() || !std::regex_match(lines[0], std::regex("WEBVTT([ \t].*)?"))) return "no WEBVTT header";
    if (lines.size() < 2 || !lines[1].empty()) return "no blank line after the header";
    const std::regex stamp("(?:(\\d{2,}):)?([0-5]\\d):([0-5]\\d)\\.(\\d{3})");
    const std::regex timing("((?:\\d{2,}:)?[0-5]\\d:[0-5]\\d\\.\\d{3}) --> ((?:\\d{2,}:)?[0-5]\\d:[0-5]\\d\\.\\d{3})( .*)?");
    const std::regex reference("&(amp|lt|gt|lrm|rlm|nbsp);");
    auto seconds = [&](const std::string& s) {
        std::smatch m;
        std::regex_match(s, m, stamp);
        return (m[1].matched ? std::stod(m[1]) * 3600 : 0) + std::stod(m[2]) * 60 + std::stod(m[3]) + std::stod(m[4]) / 1000;
    };
    double last = 0;
    for (size_t i = 2; i < lines.size();) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        if (lines[i].find("-->") == std::string::npos) ++i;  // the cue's identifier
        std::smatch m;
        if (i >= lines.size() || !std::regex_match(lines[i], m, timing)) return where + "no timing line";
        const double start = seconds(m[1]), end = seconds(m[2]);
        if (end <= start) return where + "a cue that ends before it starts";
        if (start < last) return where + "a cue before the one above it";
        last = start;
        std::string payload;
        for (++i; i < lines.size() && !lines[i].empty(); ++i) {
            if (lines[i].find("-->") != std::string::npos) return "line " + std::to_string(i + 1) + ": \"-->\" in a cue";
            const std::string bare = std::regex_replace(lines[i], reference, "");
            if (bare.find_first_of("&<") != std::string::npos) return "line " + std::to_string(i + 1) + ": a bare & or <";
            payload += (payload.empty() ? "" : "\n") + lines[i];
        }
        if (payload.empty()) return where + "a cue without text";
        cues.emplace_back(start, end, payload);
    }
    return "";
}

TEST(Recorder, ChaptersAndCaptionsFollowTheTour) {
    // The cards skipped, three steps, one back, the scroll text, the closing cards.
    writeFile("chapters.tour",
              "1.0 press escape\n"
              "2.0 press right\n"
              "3.0 press right\n"
              "3.5 press left\n"
              "4.5 press escape\n"
              "5.5 press escape\n");
    const std::string out = here("chapters.mp4"), vtt = here("chapters.vtt");
    std::remove(vtt.c_str());
    const Result run = record("--size 320x240 --tour chapters.tour --captions chapters.vtt " + out);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("chapters: 7 (Title cards ... Closing cards)"), std::string::npos) << run.output;

    // The chapters a player lists, each where the tour reached it (the frame
    // that handles a key shows its result), one after the other to the end.
    const Media m = readMedia(out, false);
    ASSERT_TRUE(m.ok) << m.error;
    const std::vector<std::pair<double, std::string>> want = {
        {0, "Title cards"},          {1.0, "Step 1: The line-up"}, {2.0, "Step 2: Brown the beef"},
        {3.0, "Step 3: Bacon, onions, carrots"}, {3.5, "Step 2: Brown the beef"},
        {4.5, "Scroll text"},        {5.5, "Closing cards"}};
    ASSERT_EQ(m.chapters.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(want[i].second);
        EXPECT_EQ(m.chapters[i].title, want[i].second);
        EXPECT_NEAR(m.chapters[i].start, want[i].first, 0.041);
        EXPECT_NEAR(m.chapters[i].end, i + 1 < want.size() ? m.chapters[i + 1].start : m.frameCount / 50.0, 1e-6);
    }

    // The captions: a valid WebVTT file whose cues tell what the screen says,
    // from the loading screen to the last closing card, without a gap.
    std::vector<std::tuple<double, double, std::string>> cues;
    const std::string problem = webVttProblem(readAll(vtt), cues);
    ASSERT_EQ(problem, "") << readAll(vtt);
    ASSERT_GE(cues.size(), 8u);
    EXPECT_EQ(std::get<0>(cues.front()), 0.0);
    EXPECT_NEAR(std::get<1>(cues.back()), m.frameCount / 50.0, 1e-6);
    for (size_t i = 1; i < cues.size(); ++i) EXPECT_EQ(std::get<0>(cues[i]), std::get<1>(cues[i - 1]));
    auto saidAt = [&](double t) {
        for (const auto& [start, end, text] : cues)
            if (start <= t && t < end) return text;
        return std::string();
    };
    EXPECT_EQ(saidAt(0.7).rfind("Mijotine! the slow-cooking magazine", 0), 0u) << saidAt(0.7);
    EXPECT_EQ(saidAt(1.5), "Step 1 of 7: The line-up\nStovecraft: Meet the cast: beef, wine &amp; friends!");
    EXPECT_EQ(saidAt(3.2), "Step 3 of 7: Bacon, onions, carrots\nStovecraft: Bacon first. Always bacon first.");
    EXPECT_EQ(saidAt(4.0).rfind("Step 2 of 7: Brown the beef\n", 0), 0u) << saidAt(4.0);
    EXPECT_NE(saidAt(5.0).find("scroll text"), std::string::npos) << saidAt(5.0);
    EXPECT_EQ(saidAt(6.0).rfind("Merci! Thank you for cooking along.\nPresenter: Stovecraft\n", 0), 0u) << saidAt(6.0);
    EXPECT_EQ(saidAt(12.0).rfind("\xC3\x80 bient\xC3\xB4t!", 0), 0u) << saidAt(12.0);

    // The other formats with chapters carry the same ones.
    for (const char* format : {"mov", "mkv", "webm"}) {
        SCOPED_TRACE(format);
        const std::string other = here(std::string("chapters.") + format);
        const Result again = record("-q --size 320x240 --to 4 --tour chapters.tour " + other);
        ASSERT_EQ(again.status, 0) << again.output;
        const Media o = readMedia(other, false);
        ASSERT_TRUE(o.ok) << o.error;
        ASSERT_EQ(o.chapters.size(), 5u);
        EXPECT_EQ(o.chapters[3].title, "Step 3: Bacon, onions, carrots");
        EXPECT_NEAR(o.chapters[3].start, 3.0, 0.041);
        EXPECT_NEAR(o.chapters[3].end, 3.5, 0.041);
        EXPECT_NEAR(o.chapters[4].end, 4.0, 1e-6);  // where --to stopped it
    }
}

TEST(Tour, ReadsEveryFormAndNamesTheBadLine) {
    Tour tour;
    std::string error;
    ASSERT_TRUE(parseTour("# start\n\n1:02.5 keydown SDLK_RIGHT  # held\n+0.5 keyup right\n70 glide 10 20 1.5\n"
                          "+1 click right\n71 still card-1\n72 quit\n",
                          tour, error))
        << error;
    ASSERT_EQ(tour.actions.size(), 7u);
    EXPECT_EQ(tour.actions[0].timeMs, 62500u);
    EXPECT_EQ(tour.actions[0].key, SDLK_RIGHT);
    EXPECT_EQ(tour.actions[1].timeMs, 63000u);
    EXPECT_EQ(tour.actions[1].kind, TourAction::KeyUp);
    EXPECT_EQ(tour.actions[2].durationMs, 1500u);
    EXPECT_EQ(tour.actions[3].timeMs, 71000u);
    EXPECT_EQ(tour.actions[3].button, SDL_BUTTON_RIGHT);
    EXPECT_EQ(tour.actions[5].kind, TourAction::ButtonUp);  // a frame after the press, after the still
    EXPECT_EQ(tour.actions[5].timeMs, 71020u);
    EXPECT_TRUE(tour.hasQuit());
    // A UTF-8 byte order mark, as some editors save it, is no part of the first line.
    ASSERT_TRUE(parseTour("\xEF\xBB\xBF" "1.5 still a\n", tour, error)) << error;
    EXPECT_EQ(tour.actions[0].timeMs, 1500u);
    // The built-in tour reads, and lasts past the Slideshow and the Scroller.
    ASSERT_TRUE(parseTour(defaultTourText(), tour, error)) << error;
    EXPECT_GT(tour.endMs(), 100000u);

    const std::string longStill = "1 still " + std::string(129, 'a') + "\n";
    const struct {
        const char* text;
        const char* expected;
    } bad[] = {
        {"1 press\n", "1: expected 'press KEY', found 0 arguments"},
        {"\n1 press tab\n", "2: expected a key"},
        {"2 move 900 10\n", "1: expected a point X Y inside the 800 x 600 picture, found '900 10'"},
        {"5 quit\n4 quit\n", "2: time 4 s comes before the line above's 5 s"},
        {"soon quit\n", "1: expected a time"},
        {"1 glide 1 1 0\n", "1: expected the glide's length"},
        // only the documented forms of a time and a length
        {"1:-5 quit\n", "1: expected a time"},
        {"0x10 quit\n", "1: expected a time"},
        {" 1e2 quit\n", "1: expected a time"},
        {"1.5:05 quit\n", "1: expected a time"},
        {"1 glide 1 1 1e30\n", "1: expected the glide's length in seconds (more than 0, at most 3600), found '1e30'"},
        {longStill.c_str(), "1: expected a still's name of at most 128 characters"},
    };
    for (const auto& b : bad) {
        EXPECT_FALSE(parseTour(b.text, tour, error)) << b.text;
        EXPECT_EQ(error.rfind(b.expected, 0), 0u) << b.text << " gave: " << error;
    }
}
