#pragma once
// What a recording shows, part by part, as its frames are kept: the chapters
// a player lists (the title cards, each step as the tour reaches it, the
// scroll text, the closing cards) and the captions of what the screen says
// at each moment, written as a WebVTT file.

#include <string>
#include <vector>

struct TimedText {
    long startMs = 0, endMs = 0;  // of the recording
    std::string text;
};

class ScreenLog {
public:
    // The frame kept at `ms` of the recording shows the part of the show
    // whose picture fills table slot `slot` (-1: one that says nothing).
    void frame(long ms, int slot);
    // The recording ends at `ms`: the last chapter and caption end there.
    void end(long ms);

    const std::vector<TimedText>& chapters() const { return chapters_; }
    const std::vector<TimedText>& captions() const { return captions_; }

private:
    std::vector<TimedText> chapters_, captions_;
    int chapter_ = -1, slot_ = -2;
    bool captionOpen_ = false;
};

// The captions as a WebVTT file.
std::string webVtt(const std::vector<TimedText>& captions);
