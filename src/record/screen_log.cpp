#include "record/screen_log.h"

#include <cstdio>

#include "core/screen_words.h"

void ScreenLog::frame(long ms, int slot) {
    if (slot == slot_) return;
    slot_ = slot;
    const int chapter = chapterOf(slot);
    if (chapter >= 0 && chapter != chapter_) {
        if (!chapters_.empty()) chapters_.back().endMs = ms;
        chapters_.push_back({ms, ms, chapterTitle(chapter)});
        chapter_ = chapter;
    }
    if (captionOpen_) captions_.back().endMs = ms;
    captionOpen_ = false;
    const std::string words = slot >= 0 ? screenWords(slot, WordsForm::Caption) : "";
    if (!words.empty()) {
        captions_.push_back({ms, ms, words});
        captionOpen_ = true;
    }
}

void ScreenLog::end(long ms) {
    if (!chapters_.empty()) chapters_.back().endMs = ms;
    if (captionOpen_) captions_.back().endMs = ms;
    captionOpen_ = false;
}

namespace {

std::string timestamp(long ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld.%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                  ms % 1000);
    return text;
}

// Cue text: '&' and '<' are the format's own, written as references.
std::string cueText(const std::string& words) {
    std::string out;
    for (char c : words) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

}  // namespace

std::string webVtt(const std::vector<TimedText>& captions) {
    std::string out = "WEBVTT\n";
    int n = 0;
    for (const TimedText& cue : captions)
        out += "\n" + std::to_string(++n) + "\n" + timestamp(cue.startMs) + " --> " + timestamp(cue.endMs) + "\n" +
               cueText(cue.text) + "\n";
    return out;
}
