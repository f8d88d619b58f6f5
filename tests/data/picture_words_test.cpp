// The words the data set's table gives each picture are the lettering the
// generator sets on it: the generator draws every picture with words (and
// those without) and prints each string it set, which is held to the table.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "core/data_set.h"

namespace {

const std::string generator = std::string(MIJOTINE_BINARY_DIR) + "/mkpictures";

// name -> the strings set on it, in drawing order.
std::map<std::string, std::vector<std::string>> drawnWords() {
    std::map<std::string, std::vector<std::string>> drawn;
    FILE* out = popen(("'" + generator + "' --words").c_str(), "r");
    if (!out) return drawn;
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
    EXPECT_EQ(pclose(out), 0);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) drawn[line];
        else drawn[line.substr(0, tab)].push_back(line.substr(tab + 1));
        at = end + 1;
    }
    return drawn;
}

// The table's words as the strings a picture sets: one a line, a line of two
// columns as two.
std::vector<std::string> tableStrings(const DataFile& file) {
    std::vector<std::string> strings;
    if (!file.words) return strings;
    std::string line;
    for (const char* p = file.words;; ++p) {
        if (*p == '\t' || *p == '\n' || *p == '\0') {
            strings.push_back(line);
            line.clear();
            if (*p == '\0') break;
        } else {
            line += *p;
        }
    }
    return strings;
}

}  // namespace

TEST(PictureWords, TheLetteringOfEveryPictureIsItsWordsInTheTable) {
    const auto drawn = drawnWords();
    // What a picture sets beside its words: a slide's step tab, which goes by
    // its place, and the props' own lettering (a wine label, a clock face).
    const std::regex props("Bourgogne|Pinot Noir|[0-9]{1,2}");
    int worded = 0;
    for (const DataFile& file : kDataSet) {
        if (file.source != DataSource::Pictures) continue;
        SCOPED_TRACE(file.name);
        const auto it = drawn.find(file.name);
        ASSERT_NE(it, drawn.end()) << "the generator's --words left the picture out";
        std::vector<std::string> set;
        for (const std::string& s : it->second) {
            const bool isSlide = file.key >= kSlotFirstSlide && file.key <= kSlotLastSlide;
            if (std::regex_match(s, props)) continue;
            if (isSlide && s == "STEP " + std::to_string(file.key - kSlotFirstSlide + 1) + " / 7") continue;
            set.push_back(s);
        }
        // In any order: a slide sets its note before its heading.
        std::vector<std::string> want = tableStrings(file);
        std::sort(set.begin(), set.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(set, want);
        if (file.words) ++worded;
    }
    // The three title cards, the seven slides and their captions, the two
    // closing cards and the loading panel of the atlas.
    EXPECT_EQ(worded, 3 + 7 + 7 + 2 + 1);
}
