#include "pictures/words.h"

#include <cstdio>
#include <cstdlib>

#include "core/data_set.h"
#include "pictures/pictures.h"

std::vector<std::string>* drawnText = nullptr;

std::vector<std::string> pictureWords(int key) {
    std::vector<std::string> lines;
    const char* words = kDataSet[key].words;
    if (!words) return lines;
    std::string line;
    for (const char* p = words;; ++p) {
        if (*p == '\n' || *p == '\0') {
            lines.push_back(line);
            line.clear();
            if (*p == '\0') break;
        } else {
            line += *p;
        }
    }
    return lines;
}

std::string wordsLine(int key, size_t i) {
    const std::vector<std::string> lines = pictureWords(key);
    if (i >= lines.size()) {
        std::fprintf(stderr, "mkpictures: %s has no line %zu in the data set's words\n", dataFileName(key), i + 1);
        std::exit(1);
    }
    return lines[i];
}

std::pair<std::string, std::string> wordsColumns(const std::string& line) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return {line, ""};
    return {line.substr(0, tab), line.substr(tab + 1)};
}

bool printDrawnWords() {
    struct Drawing {
        int key, w, h;
        void (*draw)(Canvas&, int);
        int n;
    };
    const Drawing drawings[] = {
        {kSlotFirstCard + 0, 800, 600, drawTitleCard, 1},   {kSlotFirstCard + 1, 800, 600, drawTitleCard, 2},
        {kSlotFirstCard + 2, 800, 600, drawTitleCard, 3},   {kSlotOutroCard1, 800, 600, drawClosingCard, 1},
        {kSlotOutroCard2, 800, 600, drawClosingCard, 2},
        {kSlotAtlas, 512, 512, [](Canvas& c, int) { drawAtlas(c); }, 0},
        // and those that have none
        {kSlotScrollerBackground, 800, 600, [](Canvas& c, int) { drawScrollerBackground(c); }, 0},
        {kSlotChef, 512, 512, [](Canvas& c, int) { drawChef(c); }, 0},
        {kSlotBubble, 512, 512, [](Canvas& c, int) { drawBubble(c); }, 0},
        {kSlotParticle, 64, 64, [](Canvas& c, int) { drawParticle(c); }, 0},
        {kFileIcon, 32, 32, [](Canvas& c, int) { drawIcon(c); }, 0},
    };
    // A picture that sets nothing still says so, with an empty mark.
    auto print = [](int key, const std::vector<std::string>& said) {
        std::printf("%s\n", dataFileName(key));
        for (const std::string& s : said) std::printf("%s\t%s\n", dataFileName(key), s.c_str());
    };
    std::vector<std::string> said;
    drawnText = &said;
    for (const Drawing& d : drawings) {
        said.clear();
        Canvas c(d.w, d.h);
        d.draw(c, d.n);
        print(d.key, said);
    }
    for (int k = 0; k < 7; ++k) {
        said.clear();
        Canvas slide(800, 600);
        drawSlide(slide, k);
        print(kSlotFirstSlide + k, said);
        said.clear();
        Canvas caption(512, 512);
        drawCaption(caption, k);
        print(kSlotFirstCaption + k, said);
    }
    drawnText = nullptr;
    return std::fflush(stdout) == 0;
}
