#include "core/screen_words.h"

#include <vector>

#include "core/data_set.h"

namespace {

constexpr int kSlides = kSlotLastSlide - kSlotFirstSlide + 1;
constexpr const char* kChef = "Stovecraft";

// A picture's words as blocks of text: the lines of a paragraph run
// together, an empty line ends one, and a line in two columns is a block of
// its own ("Editor: Saucier").
std::vector<std::string> blocks(int key, bool lineByLine) {
    std::vector<std::string> out;
    const char* words = key >= 0 && key < kDataFiles ? kDataSet[key].words : nullptr;
    if (!words) return out;
    std::string block, line;
    auto endBlock = [&] {
        if (!block.empty()) out.push_back(block);
        block.clear();
    };
    auto endLine = [&] {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) {
            endBlock();
            out.push_back(line.substr(0, tab) + ": " + line.substr(tab + 1));
        } else if (line.empty()) {
            endBlock();
        } else {
            block += (block.empty() ? "" : " ") + line;
            if (lineByLine) endBlock();
        }
        line.clear();
    };
    for (const char* p = words; *p; ++p) {
        if (*p == '\n') endLine();
        else line += *p;
    }
    endLine();
    endBlock();
    return out;
}

bool endsSentence(const std::string& s) {
    return !s.empty() && std::string(".!?:").find(s.back()) != std::string::npos;
}

// Blocks said one after the other, each a sentence of its own.
std::string spoken(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!out.empty()) out += endsSentence(out) ? " " : ". ";
        out += part;
    }
    return out;
}

std::string lines(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts)
        if (!part.empty()) out += (out.empty() ? "" : "\n") + part;
    return out;
}

std::string ofCount(const char* what, int n, int count) {
    return std::string(what) + " " + std::to_string(n) + " of " + std::to_string(count);
}

}  // namespace

int screenSlot(ScreenPhase phase, int slot) {
    switch (phase) {
        case ScreenPhase::Loading:
            return kSlotAtlas;
        case ScreenPhase::Intro:
            return slot >= kSlotFirstCard && slot < kSlotFirstCard + 3 ? slot : -1;
        case ScreenPhase::Slideshow:
            // Past the last slide for the frame that ends the phase: still the last one on screen.
            return slot < kSlotFirstSlide ? kSlotFirstSlide : slot > kSlotLastSlide ? kSlotLastSlide : slot;
        case ScreenPhase::Scroller:
            return kSlotScrollerBackground;
        case ScreenPhase::Outro:
            return slot == kSlotOutroCard1 || slot == kSlotOutroCard2 ? slot : -1;
    }
    return -1;
}

std::string screenWords(int slot, WordsForm form) {
    const bool spokenForm = form == WordsForm::Spoken;
    if (slot >= kSlotFirstSlide && slot <= kSlotLastSlide) {
        // The step's tab and heading, its note, then the chef's caption.
        const int step = slot - kSlotFirstSlide + 1;
        std::vector<std::string> slide = blocks(slot, true);
        if (slide.empty()) slide.push_back("");
        slide[0] = ofCount("Step", step, kSlides) + ": " + slide[0];
        const std::string caption = spoken(blocks(kSlotFirstCaption + step - 1, false));
        if (!caption.empty()) slide.push_back(std::string(kChef) + (spokenForm ? " says: " : ": ") + caption);
        return spokenForm ? spoken(slide) : lines(slide);
    }
    if (slot == kSlotScrollerBackground)
        return spokenForm ? "The scroll text: letters and recipes from the makers, rolling up the screen."
                          : "[The scroll text: letters and recipes from the makers]";
    std::string where;
    if (slot >= kSlotFirstCard && slot < kSlotFirstCard + 3) where = ofCount("Title card", slot - kSlotFirstCard + 1, 3);
    else if (slot == kSlotOutroCard1 || slot == kSlotOutroCard2) where = ofCount("Closing card", slot - kSlotOutroCard1 + 1, 2);
    else if (slot == kSlotAtlas) where = "Loading";
    const std::vector<std::string> parts = blocks(slot, false);
    if (parts.empty()) return "";
    if (!spokenForm) return lines(parts);
    return where + ": " + spoken(parts);
}

int chapterOf(int slot) {
    if (slot == kSlotAtlas || (slot >= kSlotFirstCard && slot < kSlotFirstCard + 3)) return kSlotFirstCard;
    if (slot >= kSlotFirstSlide && slot <= kSlotLastSlide) return slot;
    if (slot == kSlotScrollerBackground) return slot;
    if (slot == kSlotOutroCard1 || slot == kSlotOutroCard2) return kSlotOutroCard1;
    return -1;
}

std::string chapterTitle(int chapter) {
    if (chapter == kSlotFirstCard) return "Title cards";
    if (chapter >= kSlotFirstSlide && chapter <= kSlotLastSlide) {
        const std::vector<std::string> slide = blocks(chapter, true);
        return "Step " + std::to_string(chapter - kSlotFirstSlide + 1) + ": " + (slide.empty() ? "" : slide[0]);
    }
    if (chapter == kSlotScrollerBackground) return "Scroll text";
    if (chapter == kSlotOutroCard1) return "Closing cards";
    return "";
}
