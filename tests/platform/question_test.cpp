#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "platform/terminal_question.h"

TEST(TerminalAnswer, LettersInEitherCaseAndReturnForTheDefault) {
    EXPECT_EQ(parseTerminalAnswer("y"), FullscreenAnswer::Yes);
    EXPECT_EQ(parseTerminalAnswer("  Yes"), FullscreenAnswer::Yes);
    EXPECT_EQ(parseTerminalAnswer("N"), FullscreenAnswer::No);
    EXPECT_EQ(parseTerminalAnswer("no thanks"), FullscreenAnswer::No);
    EXPECT_EQ(parseTerminalAnswer("c"), FullscreenAnswer::Cancel);
    EXPECT_EQ(parseTerminalAnswer("Cancel"), FullscreenAnswer::Cancel);
    EXPECT_EQ(parseTerminalAnswer(""), FullscreenAnswer::Yes);
    EXPECT_FALSE(parseTerminalAnswer("maybe").has_value());
    EXPECT_FALSE(parseTerminalAnswer("1").has_value());
}

static FullscreenAnswer askWith(const char* typed, std::string& shown) {
    char input[64];
    std::snprintf(input, sizeof input, "%s", typed);
    std::FILE* in = fmemopen(input, std::strlen(input), "r");
    char* outBuf = nullptr;
    size_t outLen = 0;
    std::FILE* out = open_memstream(&outBuf, &outLen);
    const FullscreenAnswer answer = askOnTerminal("Mijotine!", "Run in fullscreen mode? (Cancel means no run)", in, out);
    std::fclose(in);
    std::fclose(out);
    shown.assign(outBuf, outLen);
    free(outBuf);
    return answer;
}

TEST(TerminalAnswer, AsksAgainUntilItUnderstandsAndCancelsAtEndOfInput) {
    std::string shown;
    EXPECT_EQ(askWith("n\n", shown), FullscreenAnswer::No);
    EXPECT_NE(shown.find("Mijotine! Run in fullscreen mode? (Cancel means no run)"), std::string::npos);
    EXPECT_EQ(askWith("what\nhuh\nc\n", shown), FullscreenAnswer::Cancel);
    size_t prompts = 0;
    for (size_t at = shown.find("Mijotine!"); at != std::string::npos; at = shown.find("Mijotine!", at + 1)) ++prompts;
    EXPECT_EQ(prompts, 3u);
    EXPECT_EQ(askWith("\n", shown), FullscreenAnswer::Yes);
    EXPECT_EQ(askWith("", shown), FullscreenAnswer::Cancel);
    EXPECT_EQ(askWith("y", shown), FullscreenAnswer::Yes);  // last line without a line break
}
