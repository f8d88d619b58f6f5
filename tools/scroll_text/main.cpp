// mkscrolltext <file>: writes the scroll text as a plain text file to read,
// for the installed show's documentation.
#include <cstdio>
#include <string>

#include "text/scroll_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkscrolltext <file>\n");
        return 2;
    }
    const std::string text =
        "Mijotine - Issue 1 - In the kitchen with Stovecraft\n"
        "The scroll text: the letters and recipes that roll up the screen after the slides.\n"
        "\n" +
        scrollTextAsText();
    FILE* f = std::fopen(argv[1], "wb");
    bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "mkscrolltext: could not write %s\n", argv[1]);
    return ok ? 0 : 1;
}
