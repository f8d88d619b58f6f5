// mkpictures <outdir>: draws every picture of the data set (core/data_set.h).
// mkpictures --words: draws every picture that has words in the table and
// prints each string it set, a line each as "name<TAB>string", for the test
// that holds the lettering to the table.
// mkpictures --icons <outdir>: draws the desktop icon as icon-<size>.png at
// each size the menu's icon theme asks for, the same art as the data set's window
// icon drawn afresh at every size; --web-icons at the two sizes of the web page's
// manifest. mkpictures --scale S <outdir>: every picture drawn at S times its
// size, as PNG files, for comparisons.
// The output is the same, byte for byte, on every run: nothing depends on the
// time or on unseeded randomness.
#include "pictures/pictures.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/data_set.h"
#include "pictures/words.h"

namespace {

bool ensureDir(const std::string& dir) {
    if (mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat st;
        return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

bool report(bool ok, const std::string& path) {
    if (!ok) std::fprintf(stderr, "mkpictures: could not write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--words") return printDrawnWords() ? 0 : 1;
    const std::string mode = argc >= 3 ? argv[1] : "";
    const bool icons = argc == 3 && (mode == "--icons" || mode == "--web-icons");
    // --scale S: every picture drawn at S pixels a unit, each as a lossless
    // PNG under its name's stem, to compare what the show draws with.
    double only = 0;
    if (argc == 4 && mode == "--scale") {
        char* end = nullptr;
        only = std::strtod(argv[2], &end);
        if (*end || !(only > 0 && only <= 8)) only = 0;
    }
    if (argc != 2 && !icons && !only) {
        std::fprintf(stderr, "usage: mkpictures [--icons | --web-icons | --scale S] <outdir>\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    if (!ensureDir(dir)) {
        std::fprintf(stderr, "mkpictures: %s is not a usable directory\n", dir.c_str());
        return 1;
    }
    dir += "/";
    bool ok = true;
    auto write = [&](const std::string& name, bool written) { ok = report(written, dir + name) && ok; };
    if (icons) {
        // The sizes a desktop's icon theme asks for, or the two a web app's manifest names.
        const std::vector<int> sizes =
            mode == "--icons" ? std::vector<int>{32, 48, 64, 128, 256} : std::vector<int>{192, 512};
        for (int size : sizes) {
            Canvas c(size, size);
            drawIcon(c);
            const std::string name = "icon-" + std::to_string(size) + ".png";
            write(name, c.savePng(dir + name));
        }
        return ok ? 0 : 1;
    }
    // The data set's pictures, each under its name in the table, and those
    // that fill a slot once more at the finer set's scale, under their finer
    // names.
    bool drawn[kDataFiles] = {};
    auto asPng = [&](int key, int w, int h, auto draw) {
        Canvas c(w, h, only);
        draw(c);
        const std::string name = dataFileName(key);
        const std::string png = name.substr(0, name.rfind('.')) + ".png";
        write(png, c.savePng(dir + png));
        drawn[key] = true;
    };
    auto jpeg = [&](int key, int w, int h, auto draw, int quality, bool full) {
        if (only) return asPng(key, w, h, draw);
        for (int scale : {1, kFinerScale}) {
            if (scale != 1 && !hasFinerFile(key)) break;
            Canvas c(w, h, scale);
            draw(c);
            const std::string name = scale == 1 ? dataFileName(key) : finerFileName(key);
            // The finer ones keep their colour at every pixel: halved, it
            // would soften what they are drawn finer for.
            write(name, c.saveJpeg(dir + name, quality, full || scale != 1));
        }
        drawn[key] = true;
    };
    auto png = [&](int key, int w, int h, auto draw) {
        if (only) return asPng(key, w, h, draw);
        for (int scale : {1, kFinerScale}) {
            Canvas c(w, h, scale);
            draw(c);
            const std::string name = scale == 1 ? dataFileName(key) : finerFileName(key);
            write(name, c.savePng(dir + name));
        }
        drawn[key] = true;
    };
    for (int n = 0; n < 3; ++n)
        jpeg(kSlotFirstCard + n, 800, 600, [n](Canvas& c) { drawTitleCard(c, n + 1); }, 90, false);
    for (int k = 0; k < 7; ++k) {
        jpeg(kSlotFirstSlide + k, 800, 600, [k](Canvas& c) { drawSlide(c, k); }, 90, false);
        png(kSlotFirstCaption + k, 512, 512, [k](Canvas& c) { drawCaption(c, k); });
    }
    jpeg(kSlotOutroCard1, 800, 600, [](Canvas& c) { drawClosingCard(c, 1); }, 90, false);
    jpeg(kSlotOutroCard2, 800, 600, [](Canvas& c) { drawClosingCard(c, 2); }, 90, false);
    jpeg(kSlotScrollerBackground, 800, 600, [](Canvas& c) { drawScrollerBackground(c); }, 92, false);
    jpeg(kSlotAtlas, 512, 512, [](Canvas& c) { drawAtlas(c); }, 95, true);
    jpeg(kFileIcon, 32, 32, [](Canvas& c) { drawIcon(c); }, 95, true);
    png(kSlotParticle, 64, 64, [](Canvas& c) { drawParticle(c); });
    png(kSlotChef, 512, 512, [](Canvas& c) { drawChef(c); });
    png(kSlotBubble, 512, 512, [](Canvas& c) { drawBubble(c); });
    for (const DataFile& file : kDataSet)
        if (file.source == DataSource::Pictures && !drawn[file.key]) {
            std::fprintf(stderr, "mkpictures: nothing draws %s (%s)\n", file.name, file.what);
            ok = false;
        }
    return ok ? 0 : 1;
}
