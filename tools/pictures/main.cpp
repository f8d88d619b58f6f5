// mkpictures <outdir>: draws every picture the show reads from ./data/.
// mkpictures --icons <outdir>: draws the desktop icon as icon-<size>.png at
// each size the menu's icon theme asks for, the same art as data/icon.jpg
// drawn afresh at every size; --web-icons at the two sizes of the web page's
// manifest.
// The output is the same, byte for byte, on every run: nothing depends on the
// time or on unseeded randomness.
#include "pictures/pictures.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

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
    const std::string mode = argc == 3 ? argv[1] : "";
    const bool icons = mode == "--icons" || mode == "--web-icons";
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: mkpictures [--icons | --web-icons] <outdir>\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    if (!ensureDir(dir)) {
        std::fprintf(stderr, "mkpictures: %s is not a usable directory\n", dir.c_str());
        return 1;
    }
    dir += "/";
    bool ok = true;
    auto jpeg = [&](const std::string& name, int w, int h, auto draw, int quality, bool full) {
        Canvas c(w, h);
        draw(c);
        ok = report(c.saveJpeg(dir + name, quality, full), dir + name) && ok;
    };
    auto png = [&](const std::string& name, int w, int h, auto draw) {
        Canvas c(w, h);
        draw(c);
        ok = report(c.savePng(dir + name), dir + name) && ok;
    };
    if (icons) {
        // The sizes a desktop's icon theme asks for, or the two a web app's manifest names.
        const std::vector<int> sizes =
            mode == "--icons" ? std::vector<int>{32, 48, 64, 128, 256} : std::vector<int>{192, 512};
        for (int size : sizes)
            png("icon-" + std::to_string(size) + ".png", size, size, [](Canvas& c) { drawIcon(c); });
        return ok ? 0 : 1;
    }
    for (int n = 1; n <= 3; ++n)
        jpeg("mij" + std::to_string(n) + ".jpg", 800, 600, [n](Canvas& c) { drawTitleCard(c, n); }, 90, false);
    for (int k = 0; k < 7; ++k) {
        jpeg("mij" + std::to_string(k + 4) + ".jpg", 800, 600, [k](Canvas& c) { drawSlide(c, k); }, 90, false);
        png("mij" + std::to_string(k + 4) + "_txt.png", 512, 512, [k](Canvas& c) { drawCaption(c, k); });
    }
    for (int n = 1; n <= 2; ++n)
        jpeg("mij" + std::to_string(n + 10) + ".jpg", 800, 600, [n](Canvas& c) { drawClosingCard(c, n); }, 90, false);
    jpeg("mij13.jpg", 800, 600, [](Canvas& c) { drawScrollerBackground(c); }, 92, false);
    jpeg("unpack.jpg", 512, 512, [](Canvas& c) { drawAtlas(c); }, 95, true);
    jpeg("icon.jpg", 32, 32, [](Canvas& c) { drawIcon(c); }, 95, true);
    png("particle.png", 64, 64, [](Canvas& c) { drawParticle(c); });
    png("chef.png", 512, 512, [](Canvas& c) { drawChef(c); });
    png("bubble.png", 512, 512, [](Canvas& c) { drawBubble(c); });
    return ok ? 0 : 1;
}
