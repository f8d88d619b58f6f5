// Checks the scroll text against the layout the scroller and the viewer rely
// on (sections, paragraphs, the controls, the contact line), its byte rules,
// that every line fits the screen at 32 points with the real font, and what
// initScrollText leaves behind.

#include <gtest/gtest.h>

#include <SDL/SDL_ttf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/globals.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"
#include "support/show_font.h"

namespace {

const std::string kSeparator(45, '*');

// 'E' empty, 'S' separator, 'P' a single space, 'T' text.
char kindOf(const std::string& line) {
    if (line.empty()) return 'E';
    if (line == kSeparator) return 'S';
    if (line == " ") return 'P';
    return 'T';
}

// The expected kind of every index, built from the section table: a bare
// letter is one line of that kind, "Tn" a paragraph of n text lines.
std::vector<char> expectedKinds() {
    const char* const sections[] = {
        "E S E T5",
        "E T13 E T6 E T3 E T1 E T3 E",
        "S E T6 E T9 E T10 E",
        "S E T6 E T7 E T5 E T3 E T12 E T8 E T10 E E",
        "S E T13 E T7 E T7 E T10 E T4 E",
        "S P T14 E T6 E T7 E T1 E T1 E",
        "S E T3 E T1 E T8 E T10 E T16 E T6 E T1 E",
        "S E T7 E T5 E T2",
    };
    std::vector<char> kinds;
    for (const char* section : sections) {
        for (const char* p = section; *p;) {
            if (*p == ' ') {
                ++p;
                continue;
            }
            const char kind = *p++;
            int count = 1;
            if (kind == 'T') {
                char* end = nullptr;
                count = static_cast<int>(std::strtol(p, &end, 10));
                p = end;
            }
            kinds.insert(kinds.end(), count, kind);
        }
    }
    return kinds;
}

std::string line(int i) { return kScrollText[i]; }

// What the font draws of a line: bytes outside 32..126 have no glyph.
std::string drawnPart(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (isPrintable(c)) out += c;
    }
    return out;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }


}  // namespace

TEST(ScrollTextLayout, EveryIndexHasTheKindTheSectionTableGives) {
    const std::vector<char> kinds = expectedKinds();
    ASSERT_EQ(kinds.size(), static_cast<size_t>(kScrollLineCount));
    for (int i = 0; i < kScrollLineCount; ++i) {
        EXPECT_EQ(kindOf(line(i)), kinds[i]) << "line " << i << ": \"" << line(i) << "\"";
    }
}

TEST(ScrollTextLayout, CountsAndSeparatorPositions) {
    int text = 0, empty = 0, separators = 0, spaces = 0;
    std::vector<int> separatorAt;
    for (int i = 0; i < kScrollLineCount; ++i) {
        switch (kindOf(line(i))) {
            case 'T': ++text; break;
            case 'E': ++empty; break;
            case 'P': ++spaces; break;
            case 'S':
                ++separators;
                separatorAt.push_back(i);
                break;
        }
    }
    EXPECT_EQ(text, 236);
    EXPECT_EQ(empty, 43);
    EXPECT_EQ(separators, 7);
    EXPECT_EQ(spaces, 1);
    EXPECT_EQ(separatorAt, (std::vector<int>{1, 40, 70, 131, 179, 215, 269}));
    EXPECT_EQ(line(180), " ");
    // The table ends on a text line, and a line of asterisks that is one short
    // or long does not count as a separator.
    EXPECT_EQ(kindOf(line(286)), 'T');
    for (int i = 0; i < kScrollLineCount; ++i) {
        if (kindOf(line(i)) == 'T') {
            EXPECT_EQ(line(i).find("****"), std::string::npos) << i;
        }
    }
}

TEST(ScrollTextContent, ControlsAreExplainedWordForWord) {
    EXPECT_EQ(line(3), "Welcome to the totally nouvelle Mijotine! ");
    EXPECT_EQ(line(4), "Some brief instructions first: Left and right");
    EXPECT_EQ(line(5), "arrow changes the speed of the scrolltext.");
    EXPECT_EQ(line(6), "With the ESC-key you can exit this part and");
    EXPECT_EQ(line(7), "get the hell out of this mess.");
}

TEST(ScrollTextContent, ContactAddressStandsAloneOnLine34) {
    const std::string address = line(34);
    const size_t at = address.find('@');
    ASSERT_NE(at, std::string::npos) << address;
    EXPECT_GT(at, 0u) << address;
    EXPECT_EQ(address.find('@', at + 1), std::string::npos) << "one @ only: " << address;
    EXPECT_EQ(address.find(' '), std::string::npos) << address;
    const std::string domain = address.substr(at + 1);
    EXPECT_NE(domain.find('.'), std::string::npos) << address;
    // The magazine's own address, not a documentation placeholder.
    EXPECT_EQ(domain.find("example"), std::string::npos) << address;
    EXPECT_EQ(line(33), "");
    EXPECT_EQ(line(35), "");
}

TEST(ScrollTextBytes, LengthsLineBreaksAndTrailingSpaces) {
    int longest = 0, at46 = 0, endInSpace = 0;
    for (int i = 0; i < kScrollLineCount; ++i) {
        const std::string s = line(i);
        EXPECT_LE(s.size(), 46u) << "line " << i;
        EXPECT_EQ(s.find_first_of("\n\r"), std::string::npos) << "line " << i;
        if (static_cast<int>(s.size()) > longest) longest = static_cast<int>(s.size());
        if (s.size() == 46) ++at46;
        if (kindOf(s) == 'T' && s.back() == ' ') ++endInSpace;
    }
    EXPECT_EQ(longest, 46);
    EXPECT_EQ(at46, 5);
    EXPECT_EQ(endInSpace, 45);
}

TEST(ScrollTextBytes, OnlyAsciiApartFromFiveApostrophesInsideWords) {
    int withApostrophe = 0;
    for (int i = 0; i < kScrollLineCount; ++i) {
        const std::string s = line(i);
        bool has = false;
        for (size_t k = 0; k < s.size(); ++k) {
            const unsigned char c = static_cast<unsigned char>(s[k]);
            if (c == 0x92) {
                has = true;
                // Inside a word: a letter on both sides, so dropping it joins
                // the halves without leaving a stray gap or edge.
                EXPECT_TRUE(k > 0 && isLetter(s[k - 1])) << "line " << i;
                EXPECT_TRUE(k + 1 < s.size() && isLetter(s[k + 1])) << "line " << i;
            } else {
                EXPECT_TRUE(c >= 32 && c <= 126) << "line " << i << " byte " << k << " = " << int(c);
            }
        }
        if (has) ++withApostrophe;
    }
    EXPECT_EQ(withApostrophe, 5);
}

class ScrollTextWidth : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
        font = TTF_OpenFont(showFontPath(), 32);
        ASSERT_NE(font, nullptr) << showFontPath();
    }
    void TearDown() override {
        if (font) TTF_CloseFont(font);
        TTF_Quit();
    }

    int sizeTextWidth(const std::string& s) {
        int w = 0, h = 0;
        EXPECT_EQ(TTF_SizeText(font, drawnPart(s).c_str(), &w, &h), 0);
        return w;
    }

    // How far the glyph font's pen and pictures reach: the advances of all
    // drawn characters, the last one counted to its right edge instead.
    int glyphWidth(const std::string& s) {
        int width = 0, lastAdvance = 0, lastMaxX = 0;
        for (char c : drawnPart(s)) {
            int minX, maxX, minY, maxY, advance;
            EXPECT_EQ(TTF_GlyphMetrics(font, static_cast<Uint16>(c), &minX, &maxX, &minY, &maxY, &advance), 0);
            width += advance;
            lastAdvance = advance;
            lastMaxX = maxX;
        }
        return width - lastAdvance + lastMaxX;
    }

    // The pen also never passes the edge: the advance sum is the widest extent
    // when the last character is a space.
    int advanceSum(const std::string& s) {
        int width = 0;
        for (char c : drawnPart(s)) {
            int minX, maxX, minY, maxY, advance;
            TTF_GlyphMetrics(font, static_cast<Uint16>(c), &minX, &maxX, &minY, &maxY, &advance);
            width += advance;
        }
        return width;
    }

    bool fits(const std::string& s) {
        return 60 + sizeTextWidth(s) < 780 && 60 + glyphWidth(s) < 780 && 60 + advanceSum(s) < 780;
    }

    TTF_Font* font = nullptr;
};

TEST_F(ScrollTextWidth, MeasuringTellsWideFromNarrow) {
    // The measure itself must be able to fail: 46 wide capitals overflow,
    // and a skipped 0x92 adds nothing.
    EXPECT_FALSE(fits(std::string(46, 'W')));
    EXPECT_GT(sizeTextWidth("Mijotine"), 100);
    EXPECT_EQ(sizeTextWidth("don\x92t"), sizeTextWidth("dont"));
    EXPECT_EQ(glyphWidth("don\x92t"), glyphWidth("dont"));
}

TEST_F(ScrollTextWidth, EveryLineEndsBeforeTheRightEdge) {
    EXPECT_TRUE(fits(kSeparator));
    EXPECT_TRUE(fits(line(4)));
    for (int i = 0; i < kScrollLineCount; ++i) {
        const std::string s = line(i);
        EXPECT_LT(60 + sizeTextWidth(s), 780) << "line " << i << ": \"" << s << "\"";
        EXPECT_LT(60 + glyphWidth(s), 780) << "line " << i << ": \"" << s << "\"";
        EXPECT_LT(60 + advanceSum(s), 780) << "line " << i << ": \"" << s << "\"";
    }
}

// initScrollText opens "./data/font.ttf" relative to the working directory,
// so the test runs it from a scratch directory that holds a link to the font.
TEST(ScrollTextInit, OpensTheFontAndFillsTheTable) {
    char scratch[] = "/tmp/scrolltext-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const std::string dataDir = std::string(scratch) + "/data";
    const std::string link = dataDir + "/font.ttf";
    ASSERT_EQ(mkdir(dataDir.c_str(), 0755), 0);
    ASSERT_EQ(symlink(showFontPath(), link.c_str()), 0);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(scratch), 0);

    for (auto& s : scrollLines) s = "stale";
    scrollPosition = 5.0f;
    scrollSpeed = -3.0f;
    const int usersBefore = ttfUsers;
    glyphFont = nullptr;

    initScrollText();

    EXPECT_EQ(chdir(previous), 0);
    unlink(link.c_str());
    rmdir(dataDir.c_str());
    rmdir(scratch);

    ASSERT_NE(glyphFont, nullptr);
    EXPECT_STREQ(glyphFont->fontFile, "./data/font.ttf");
    EXPECT_EQ(glyphFont->pointSize, 32);
    EXPECT_EQ(glyphFont->style, 0);
    EXPECT_EQ(glyphFont->red, 0.0f);
    EXPECT_EQ(glyphFont->green, 0.0f);
    EXPECT_EQ(glyphFont->blue, 0.0f);
    EXPECT_NE(glyphFont->font, nullptr);
    EXPECT_GT(glyphFont->height, 0);
    EXPECT_EQ(ttfUsers, usersBefore + 1);

    EXPECT_EQ(scrollPosition, -12000.0f);
    EXPECT_EQ(scrollSpeed, 1.0f);
    for (int i = 0; i < kScrollLineCount; ++i) {
        EXPECT_EQ(scrollLines[i], std::string(kScrollText[i])) << "line " << i;
    }
    EXPECT_EQ(scrollLines[0], "");
    EXPECT_EQ(scrollLines[1], kSeparator);
    EXPECT_EQ(scrollLines[2], "");

    delete glyphFont;
    glyphFont = nullptr;
    EXPECT_EQ(ttfUsers, usersBefore);
}

// The text to read (the installed documentation's copy): every line, in
// order, without its trailing spaces, the Windows apostrophe as UTF-8's.
TEST(ScrollTextAsText, EveryLineInOrderAsPlainUtf8) {
    const std::string text = scrollTextAsText();
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "the last line is not ended";
        lines.push_back(text.substr(at, end - at));
    }
    ASSERT_EQ(lines.size(), static_cast<size_t>(kScrollLineCount));
    int apostrophes = 0;
    for (int i = 0; i < kScrollLineCount; ++i) {
        std::string want = kScrollText[i];
        for (size_t p; (p = want.find('\x92')) != std::string::npos; ++apostrophes) want.replace(p, 1, "\xE2\x80\x99");
        want.erase(want.find_last_not_of(' ') + 1);
        EXPECT_EQ(lines[i], want) << i;
    }
    EXPECT_EQ(apostrophes, 5);
    EXPECT_NE(text.find("Gang, Mme Roux\xE2\x80\x99s whole family"), std::string::npos);
}
