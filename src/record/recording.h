#pragma once
// One run of the recorder: the tour read, the places it writes to checked,
// the show played on the recorder's clock with every frame and its sound
// handed to the encoder (or only the tour's stills saved), the file put in
// place and the summary said.
//
// It ends the process itself where the recording cannot go on (exit status
// 1: failed or interrupted; 2: a bad tour), so that no destructor runs with
// the show half played; what it leaves behind then is only the temporary file,
// which the exit takes away.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/encoder.h"
#include "record/framebuffer.h"
#include "record/picture_copies.h"
#include "record/options.h"
#include "record/progress.h"
#include "record/record_io.h"
#include "record/screen_log.h"
#include "audio/recorded_music.h"
#include "record/tour.h"

class EncodeWorker;

// The show's steps as the recording runs them, handed over by the entry:
// the show sits above the recorder's pieces.
struct ShowSteps {
    void (*initState)();
    void (*openWindow)(bool fullscreen);
    void (*load)(int drawableWidth, int drawableHeight);
    void (*playPhases)();
    void (*shutDown)();
    int (*screenSlot)();  // the table slot whose words the screen shows now; -1 for none
};

class Recording {
public:
    Recording(const RecordOptions& options, const ShowSteps& show);
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // Records; gives the exit status when the process is to end normally.
    int run();

private:
    using Clock = std::chrono::steady_clock;

    [[noreturn]] void interrupted() const;
    int readTour();
    void checkOutputs();
    void goToData();
    void openEncoder();
    void setUpShow();
    int play();
    void frame(long index, bool repeat);
    void saveStills(Uint32 shownAt);
    void addToVideo(long index);
    int finish();
    void writeCaptions(const std::string& path);
    void summarise() const;
    bool stillsAllTaken() const;
    void warnUnusedPreset() const;

    RecordOptions o_;
    ShowSteps show_;
    std::string tourName_ = "built-in tour";
    Tour tour_;

    Encoder encoder_;
    std::unique_ptr<EncodeWorker> worker_;
    std::unique_ptr<RecordIo> io_;
    std::unique_ptr<RecordedMusic> music_;
    Framebuffer framebuffer_;
    FramebufferPictureCopies copies_;
    SoundRenderer sound_;
    bool soundOpen_ = false;
    ScreenLog screen_;  // chapters and captions of the frames kept
    std::vector<float> samples_;
    std::optional<Progress> progress_;  // from the show's start

    // Video frames: the first kept, the one the recording ends before (-1:
    // the show's end), the one drawing stops before, how many are expected.
    long firstFrame_ = 0, endFrame_ = -1, stopFrame_ = -1, expected_ = 0;
    long written_ = 0;
    bool showEnded_ = false;  // rather than stopped at --to or the last still
    const std::vector<uint8_t>* picture_ = nullptr;  // the frame on screen

    // Where the time went, in seconds.
    double drawing_ = 0, readBack_ = 0, soundSeconds_ = 0, encodeWait_ = 0;
    Clock::time_point frameEnd_, started_;
};
