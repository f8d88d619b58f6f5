#include "platform/terminal_question.h"

std::optional<FullscreenAnswer> parseTerminalAnswer(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return FullscreenAnswer::Yes;  // Return alone takes the default
    switch (line[i]) {
        case 'y':
        case 'Y':
            return FullscreenAnswer::Yes;
        case 'n':
        case 'N':
            return FullscreenAnswer::No;
        case 'c':
        case 'C':
            return FullscreenAnswer::Cancel;
        default:
            return std::nullopt;
    }
}

FullscreenAnswer askOnTerminal(const char* title, const char* text, std::FILE* in, std::FILE* out) {
    for (;;) {
        std::fprintf(out, "%s %s [Y/n/c] ", title, text);
        std::fflush(out);
        std::string line;
        int c;
        while ((c = std::fgetc(in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        if (c == EOF && line.empty()) {
            std::fputc('\n', out);
            return FullscreenAnswer::Cancel;  // end of input: nobody wants the show
        }
        if (const std::optional<FullscreenAnswer> answer = parseTerminalAnswer(line)) return *answer;
    }
}
