#include "record/recording.h"

#include <SDL/SDL_opengl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

#include "core/io.h"
#include "core/music_io.h"
#include "record/encode_worker.h"
#include "record/files.h"
#include "record/frames.h"
#include "record/quote.h"
#include "record/stopping.h"

namespace {

// After the tour's last action, about what the show has left to play (the
// closing cards after an Escape): the progress bar's guess at the length.
constexpr unsigned kAfterTourMs = 7500;

[[noreturn]] void failure(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", kRecorderName, what.c_str());
    std::exit(1);
}

std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char here[4096];
    if (!getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

// Thrown out of the show from a frame to end the recording there.
struct Stop {
    bool failed;
    std::string why;
};

double since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

unsigned showClock(void* io) { return static_cast<RecordIo*>(io)->getTicks(); }

}  // namespace

Recording::Recording(const RecordOptions& options, const ShowSteps& show) : o_(options), show_(show) {}

Recording::~Recording() = default;

void Recording::interrupted() const {
    std::fprintf(stderr, "%s: interrupted by %s; %s\n", kRecorderName, signalName(stopSignal),
                 o_.output.empty() ? "stills stopped" : ("nothing written to " + escaped(o_.output)).c_str());
    std::exit(1);
}

int Recording::run() {
    // From here on a stop signal ends the run with its message, whatever the
    // run is doing: waiting for a tour's bytes, drawing, finishing the file.
    catchStopSignals();
    catchFaults();
    if (const int status = readTour()) return status;
    checkOutputs();
    goToData();
    std::atexit(removePart);
    openEncoder();
    setUpShow();
    if (const int status = play()) return status;
    const int status = finish();
    return status == 0 && !stillsAllTaken() ? 1 : status;
}

// The tour, or 2 when it is bad.
int Recording::readTour() {
    std::string tourText = defaultTourText();
    std::string error;
    if (!o_.tourPath.empty()) {
        tourName_ = escaped(o_.tourPath);
        switch (readTourFile(o_.tourPath, tourText, error, &stopSignal)) {
            case TourRead::Ok:
                break;
            case TourRead::Unreadable:
                failure("cannot read the tour " + tourName_ + ": " + error);
            case TourRead::Bad:
                std::fprintf(stderr, "%s: %s: %s\n", kRecorderName, tourName_.c_str(), error.c_str());
                return 2;
            case TourRead::Interrupted:
                interrupted();
        }
    }
    if (!parseTour(tourText, tour_, error)) {
        std::fprintf(stderr, "%s: %s:%s\n", kRecorderName, tourName_.c_str(), error.c_str());
        return 2;
    }
    warnUnusedPreset();
    if (o_.stillsDir.empty())
        for (const TourAction& a : tour_.actions)
            if (a.kind == TourAction::Still) {
                std::fprintf(stderr, "%s: %s:%d: the tour's stills are left out: no --stills DIR given\n",
                             kRecorderName, tourName_.c_str(), a.line);
                break;
            }
    return 0;
}

// Where things go, checked before anything is drawn.
void Recording::checkOutputs() {
    if (!o_.output.empty()) {
        o_.output = absolute(o_.output);
        struct stat st;
        if (stat(o_.output.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            failure("cannot write " + escaped(o_.output) + ": it is a directory");
        // What an earlier recording killed outright left behind.
        for (const std::string& stale : removeStaleParts(o_.output))
            if (!o_.quiet)
                std::fprintf(stderr, "%s: removed %s, left by a recording that was killed\n", kRecorderName,
                             escaped(stale).c_str());
        const std::string why = whyNotReplaceable(o_.output);
        if (!why.empty()) failure("cannot write " + escaped(o_.output) + ": " + why);
        setPartPath(partPathFor(o_.output, getpid()));
    }
    if (!o_.captions.empty()) {
        o_.captions = absolute(o_.captions);
        struct stat st;
        if (stat(o_.captions.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            failure("cannot write " + escaped(o_.captions) + ": it is a directory");
        std::string why = whyNotWritableDirectory(directoryOf(o_.captions));
        if (why.empty()) why = whyNotReplaceable(o_.captions);
        if (!why.empty()) failure("cannot write " + escaped(o_.captions) + ": " + why);
    }
    if (!o_.stillsDir.empty()) {
        o_.stillsDir = absolute(o_.stillsDir);
        ::mkdir(o_.stillsDir.c_str(), 0777);
        std::string why = whyNotWritableDirectory(o_.stillsDir);
        for (size_t i = 0; i < tour_.actions.size() && why.empty(); ++i)
            if (tour_.actions[i].kind == TourAction::Still) {
                const std::string still = o_.stillsDir + "/" + tour_.actions[i].name + ".png";
                why = whyNotReplaceable(still);
                if (!why.empty()) why = escaped(still) + ": " + why;
            }
        if (!why.empty()) failure("cannot write stills into " + escaped(o_.stillsDir) + ": " + why);
    }
}

void Recording::goToData() {
    if (!o_.directory.empty() && ::chdir(o_.directory.c_str()) != 0)
        failure("cannot go to " + escaped(o_.directory) + ": " + std::strerror(errno));
    struct stat dataStat;
    if (stat("data", &dataStat) != 0 || !S_ISDIR(dataStat.st_mode))
        failure("no data/ directory here: run in the directory that holds the data set (-C DIR), after "
                "building it (make)");
}

void Recording::openEncoder() {
    av_log_set_level(AV_LOG_ERROR);
    EncoderSettings settings;
    settings.width = o_.width;
    settings.height = o_.height;
    settings.fps = kFramesPerSecond;
    settings.quality = o_.quality;
    settings.speedPreset = o_.preset;
    if (!o_.output.empty()) {
        // Claim the temporary name: refused at once when the place is not writable.
        std::string error;
        if (!encoder_.open(partPath(), o_.output, settings, error)) {
            removePart();
            failure("cannot write " + escaped(o_.output) + ": " + error);
        }
    }
    if (stopSignal) {
        encoder_.abandon();
        removePart();
        interrupted();
    }
}

// The show on our clock, and which of its frames are kept.
void Recording::setUpShow() {
    // No window to show: draw offscreen, through EGL, unless told otherwise.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 1);
    io_.reset(new RecordIo(tour_));
    music_.reset(new RecordedMusic(showClock, io_.get()));
    setShowIo(io_.get());
    setMusicIo(music_.get());

    constexpr long fps = kFramesPerSecond;
    firstFrame_ = std::lround(o_.fromSeconds * fps);
    endFrame_ = o_.toSeconds >= 0 ? std::lround(o_.toSeconds * fps) : -1;
    long lastStillFrame = -1;
    for (const TourAction& a : tour_.actions)
        if (a.kind == TourAction::Still)
            lastStillFrame = std::max<long>(lastStillFrame, (a.timeMs + kFrameMs - 1) / kFrameMs);
    stopFrame_ = o_.output.empty() ? lastStillFrame + 1 : endFrame_;
    expected_ = endFrame_ >= 0       ? endFrame_ - firstFrame_
                : o_.output.empty() ? stopFrame_
                                    : static_cast<long>(tour_.endMs() + kAfterTourMs) / kFrameMs - firstFrame_;

    progress_.emplace(isatty(STDERR_FILENO) == 1);
    frameEnd_ = Clock::now();
    started_ = Clock::now();
    if (!o_.output.empty()) worker_.reset(new EncodeWorker(encoder_));
    io_->onFrame = [this](long index, bool repeat) { frame(index, repeat); };
}

// Plays the show through; 1 when a frame stopped it with a failure.
int Recording::play() {
    bool finishedShow = false;
    try {
        std::srand(o_.seed);
        show_.initState();
        show_.openWindow(false);
        catchStopSignals();
        std::string error;
        if (!framebuffer_.create(o_.width, o_.height, error)) failure(error);
        setPictureCopies(&copies_);
        show_.load(o_.width, o_.height);
        show_.playPhases();
        finishedShow = true;
        showEnded_ = true;
    } catch (const Stop& stop) {
        if (stop.failed) {
            if (!o_.quiet) std::fputc('\n', stderr);
            worker_.reset();
            encoder_.abandon();
            removePart();
            std::fprintf(stderr, "%s: %s; %s\n", kRecorderName, stop.why.c_str(),
                         o_.output.empty() ? "stills stopped" : ("nothing written to " + escaped(o_.output)).c_str());
            return 1;
        }
    }
    setShowIo(nullptr);
    setPictureCopies(nullptr);
    copies_.forget();
    if (finishedShow) {
        // Shut-down as the show does it; the sound is already complete.
        framebuffer_.destroy();
        setShowIo(io_.get());
        show_.shutDown();
        setShowIo(nullptr);
    }
    setMusicIo(nullptr);
    return 0;
}

// A video frame has been drawn (or, with repeat, the last picture stays).
void Recording::frame(long index, bool repeat) {
    if (stopSignal) throw Stop{true, std::string("interrupted by ") + signalName(stopSignal)};
    if (!repeat) {
        // Drawing is only done when the GL has finished it.
        glFinish();
        drawing_ += since(frameEnd_);
        const auto t = Clock::now();
        picture_ = &framebuffer_.read();
        readBack_ += since(t);
    }
    saveStills(static_cast<Uint32>(index) * kFrameMs);
    if (!o_.output.empty() && index >= firstFrame_) addToVideo(index);
    if (stopFrame_ >= 0 && index + 1 >= stopFrame_) throw Stop{false, ""};
    frameEnd_ = Clock::now();
}

void Recording::saveStills(Uint32 shownAt) {
    io_->takeStills(shownAt, [&](const std::string& name) {
        if (o_.stillsDir.empty()) return;
        std::string why;
        if (!writePng(o_.stillsDir + "/" + name + ".png", picture_->data(), o_.width, o_.height, why))
            throw Stop{true, why};
        if (!o_.quiet && o_.output.empty())
            std::fprintf(stderr, "%s/%s.png\n", escaped(o_.stillsDir).c_str(), name.c_str());
    });
}

void Recording::addToVideo(long index) {
    // The sound up to the end of this frame is settled: whatever the show
    // does to the music from here on happens in a later frame.
    samples_.clear();
    if (encoder_.hasSound()) {
        const auto t = Clock::now();
        const long long perFrame = sampleAt(kFrameMs);
        const int count = static_cast<int>(perFrame);
        samples_.resize(static_cast<size_t>(count) * 2);
        if (!soundOpen_ && !music_->trackPath().empty()) {
            std::string soundError;
            if (!sound_.open(music_->trackPath(), soundError))
                std::fprintf(stderr, "%s: %s; the recording is silent\n", kRecorderName, soundError.c_str());
            soundOpen_ = true;
        }
        sound_.render(music_->events(), index * perFrame, count, samples_.data());
        soundSeconds_ += since(t);
    }
    std::string why;
    if (!worker_->add(*picture_, samples_, why)) throw Stop{true, why};
    screen_.frame(written_ * static_cast<long>(kFrameMs), show_.screenSlot ? show_.screenSlot() : -1);
    ++written_;
    if (!o_.quiet) progress_->update(written_, std::max(expected_, written_));
}

// The file put in place once everything is encoded.
int Recording::finish() {
    if (o_.output.empty()) return stopSignal ? (interrupted(), 1) : 0;
    if (!o_.quiet) progress_->finish(written_);
    if (written_ == 0) {
        encoder_.abandon();
        removePart();
        failure("the show ended before --from: nothing written to " + escaped(o_.output));
    }
    encodeWait_ = worker_->waitSeconds;
    std::string error;
    const bool drained = worker_->drain(error);
    worker_.reset();
    screen_.end(written_ * static_cast<long>(kFrameMs));
    std::vector<Encoder::Chapter> chapters;
    for (const TimedText& c : screen_.chapters()) chapters.push_back({c.startMs, c.endMs, c.text});
    // Stopped while the last frames were encoded: the file is not put in place.
    if (stopSignal || !drained || !encoder_.finish(error, chapters) || stopSignal) {
        encoder_.abandon();
        removePart();
        if (stopSignal) interrupted();
        failure(error + "; nothing written to " + escaped(o_.output));
    }
    if (std::rename(partPath().c_str(), o_.output.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        removePart();
        failure("cannot rename the recording to " + escaped(o_.output) + ": " + why);
    }
    setPartPath("");
    if (!o_.captions.empty()) writeCaptions(o_.captions);
    if (!o_.quiet) summarise();
    return 0;
}

// The captions beside the finished recording, put in place whole.
void Recording::writeCaptions(const std::string& path) {
    const std::string part = partPathFor(path, getpid());
    const std::string text = webVtt(screen_.captions());
    FILE* f = std::fopen(part.c_str(), "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(part.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(part.c_str());
        failure("cannot write the captions to " + escaped(path) + ": " + why);
    }
}

void Recording::summarise() const {
    const double wall = since(started_);
    struct stat st {};
    stat(o_.output.c_str(), &st);
    const double length = written_ / static_cast<double>(kFramesPerSecond);
    std::fprintf(stderr,
                 "%s: %ld frames, %d:%04.1f, %d x %d, %s, %.1f MB; recorded in %.1f s (%.2f x the show's length)\n",
                 escaped(o_.output).c_str(), written_, static_cast<int>(length) / 60, std::fmod(length, 60.0),
                 o_.width, o_.height, o_.formatName.c_str(), st.st_size / 1e6, wall, wall / length);
    std::fprintf(stderr,
                 "time: drawing %.1f s, read-back %.1f s, sound %.1f s, waiting for the encoder %.1f s; "
                 "beside it: colour conversion %.1f s, encoding %.1f s\n",
                 drawing_, readBack_, soundSeconds_, encodeWait_, encoder_.convertSeconds, encoder_.encodeSeconds);
    if (encoder_.takesChapters() && !screen_.chapters().empty())
        std::fprintf(stderr, "chapters: %zu (%s ... %s)\n", screen_.chapters().size(),
                     screen_.chapters().front().text.c_str(), screen_.chapters().back().text.c_str());
    if (!o_.captions.empty())
        std::fprintf(stderr, "captions: %zu cues in %s\n", screen_.captions().size(), escaped(o_.captions).c_str());
}

// Stills the tour asks for after the show ended or the recording stopped,
// each named with the reason; false when there were any.
bool Recording::stillsAllTaken() const {
    if (o_.stillsDir.empty() || !io_) return true;
    const std::vector<const TourAction*> left = io_->stillsLeft();
    char why[96];
    if (showEnded_)
        std::snprintf(why, sizeof why, "the show ended at %.2f s", io_->getTicks() / 1000.0);
    else
        std::snprintf(why, sizeof why, "the recording stopped at %.2f s (--to)", endFrame_ / double(kFramesPerSecond));
    for (const TourAction* a : left)
        std::fprintf(stderr, "%s: %s:%d: still %s at %.2f s was not taken: %s\n", kRecorderName, tourName_.c_str(),
                     a->line, a->name.c_str(), a->timeMs / 1000.0, why);
    return left.empty();
}

// --preset is x264's: said once where the video has no such encoder.
void Recording::warnUnusedPreset() const {
    if (o_.preset.empty() || Encoder::takesPreset(o_.output)) return;
    std::fprintf(stderr, "%s: --preset is left out: %s\n", kRecorderName,
                 o_.output.empty() ? "no video is made, only stills"
                                   : (o_.formatName + " has no speed presets (only H.264 has: .mp4, .m4v, .mov, .mkv)").c_str());
}
