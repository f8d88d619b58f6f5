// xmatch: watches an area of the screen until it looks like a reference
// picture. It grabs the area straight from the X server many times a second
// and compares each grab in-process, so that waiting stays quick when the
// machine is busy (starting a screenshot and a comparison program per look
// can take seconds then).
//
// Usage: xmatch X Y W H SECONDS SAVE.ppm [--pid PID] TARGET...
//   X Y W H   the area of the root window (the show's window)
//   SECONDS   how long to watch
//   SAVE.ppm  the last grab is written here (binary PPM)
//   --pid     stop (status 4) once this process has ended
//   TARGET      want:REF.ppm:GEOMETRY:LIMIT[:even]  the area matches when the
//                 mean absolute difference (0..1, over R, G and B, as
//                 ImageMagick's MAE) in GEOMETRY (WxH+X+Y) is below LIMIT;
//                 with "even" the grab's brightness there is first scaled to
//                 the reference's (a grab under half of it never matches)
//             avoid:REF.ppm:GEOMETRY:LIMIT  fail (status 3) when this matches
// Prints the last difference of the first want target ("dark" where the grab
// was too dark to even out), then for status 3 the avoided target's number.
// Exit status: 0 every want target matched (never, with none), 1 time ran
// out, 2 bad usage or no display, 3 an avoid target matched, 4 the process
// ended.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

struct Region {
    int x = 0, y = 0, w = 0, h = 0;
};

struct Target {
    bool avoid = false;
    bool even = false;
    Picture ref;
    Region region;
    double limit = 0;
};

double seconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

bool readPpm(const char* path, Picture& p) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int maxval = 0;
    char magic[3] = {};
    bool ok = std::fscanf(f, "%2s %d %d %d", magic, &p.w, &p.h, &maxval) == 4 && std::strcmp(magic, "P6") == 0 &&
              maxval == 255 && p.w > 0 && p.h > 0 && std::fgetc(f) != EOF;
    if (ok) {
        p.rgb.resize(static_cast<size_t>(p.w) * p.h * 3);
        ok = std::fread(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
    }
    std::fclose(f);
    return ok;
}

bool writePpm(const char* path, const Picture& p) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", p.w, p.h);
    const bool ok = std::fwrite(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
    return std::fclose(f) == 0 && ok;
}

bool parseRegion(const std::string& g, Region& r) {
    return std::sscanf(g.c_str(), "%dx%d+%d+%d", &r.w, &r.h, &r.x, &r.y) == 4 && r.w > 0 && r.h > 0;
}

int shiftOf(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

bool grab(Display* d, int x, int y, int w, int h, Picture& out) {
    XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, w, h, AllPlanes, ZPixmap);
    if (!img) return false;
    const int rs = shiftOf(img->red_mask), gs = shiftOf(img->green_mask), bs = shiftOf(img->blue_mask);
    out.w = w;
    out.h = h;
    out.rgb.resize(static_cast<size_t>(w) * h * 3);
    unsigned char* o = out.rgb.data();
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const unsigned long v = XGetPixel(img, i, j);
            *o++ = static_cast<unsigned char>((v & img->red_mask) >> rs);
            *o++ = static_cast<unsigned char>((v & img->green_mask) >> gs);
            *o++ = static_cast<unsigned char>((v & img->blue_mask) >> bs);
        }
    XDestroyImage(img);
    return true;
}

double meanLuma(const Picture& p, const Region& r) {
    double sum = 0;
    for (int j = r.y; j < r.y + r.h; ++j)
        for (int i = r.x; i < r.x + r.w; ++i) {
            const unsigned char* c = &p.rgb[(static_cast<size_t>(j) * p.w + i) * 3];
            sum += 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
        }
    return sum / (255.0 * r.w * r.h);
}

// Mean absolute difference (0..1) in the region, the grab scaled by gain; -1 too dark.
double difference(const Picture& shot, const Target& s) {
    double gain = 1;
    if (s.even) {
        const double a = meanLuma(shot, s.region), b = meanLuma(s.ref, s.region);
        if (a <= b / 2) return -1;
        gain = b / a;
    }
    double sum = 0;
    for (int j = s.region.y; j < s.region.y + s.region.h; ++j)
        for (int i = s.region.x; i < s.region.x + s.region.w; ++i) {
            const size_t k = (static_cast<size_t>(j) * shot.w + i) * 3;
            for (int c = 0; c < 3; ++c) {
                double v = shot.rgb[k + c] * gain;
                if (v > 255) v = 255;
                const double e = v - s.ref.rgb[k + c];
                sum += e < 0 ? -e : e;
            }
        }
    return sum / (255.0 * 3 * s.region.w * s.region.h);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 8) {
        std::fprintf(stderr, "usage: xmatch X Y W H SECONDS SAVE.ppm [--pid PID] TARGET...\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]), w = std::atoi(argv[3]), h = std::atoi(argv[4]);
    const double limit = std::atof(argv[5]);
    const char* save = argv[6];
    long pid = 0;
    std::vector<Target> targets;
    for (int a = 7; a < argc; ++a) {
        std::string arg = argv[a];
        if (arg == "--pid" && a + 1 < argc) {
            pid = std::strtol(argv[++a], nullptr, 10);
            continue;
        }
        std::vector<std::string> f;
        size_t start = 0, colon;
        while ((colon = arg.find(':', start)) != std::string::npos) {
            f.push_back(arg.substr(start, colon - start));
            start = colon + 1;
        }
        f.push_back(arg.substr(start));
        Target s;
        if (f.size() < 4 || (f[0] != "want" && f[0] != "avoid") || !parseRegion(f[2], s.region)) {
            std::fprintf(stderr, "xmatch: bad target '%s'\n", argv[a]);
            return 2;
        }
        s.avoid = f[0] == "avoid";
        s.limit = std::atof(f[3].c_str());
        s.even = f.size() > 4 && f[4] == "even";
        if (!readPpm(f[1].c_str(), s.ref) || s.ref.w != w || s.ref.h != h) {
            std::fprintf(stderr, "xmatch: '%s' is not a %dx%d binary PPM\n", f[1].c_str(), w, h);
            return 2;
        }
        if (s.region.x + s.region.w > w || s.region.y + s.region.h > h) {
            std::fprintf(stderr, "xmatch: region %s is outside the %dx%d area\n", f[2].c_str(), w, h);
            return 2;
        }
        targets.push_back(std::move(s));
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "xmatch: cannot open the display\n");
        return 2;
    }
    const double end = seconds() + limit;
    Picture shot;
    std::string said = "none";
    int status = 1;
    for (;;) {
        if (!grab(d, x, y, w, h, shot)) {
            std::fprintf(stderr, "xmatch: XGetImage failed\n");
            return 2;
        }
        // With no want target at all, only an avoided picture or the
        // process's end stops the watch.
        bool all = true, firstWant = true;
        int avoided = 0;
        for (size_t i = 0; i < targets.size(); ++i) {
            const double v = difference(shot, targets[i]);
            const bool match = v >= 0 && v < targets[i].limit;
            if (targets[i].avoid) {
                if (match && !avoided) avoided = static_cast<int>(i) + 1;
            } else {
                if (firstWant) {
                    char buf[32];
                    if (v < 0)
                        std::snprintf(buf, sizeof buf, "dark");
                    else
                        std::snprintf(buf, sizeof buf, "%.5f", v);
                    said = buf;
                    firstWant = false;
                }
                all = all && match;
            }
        }
        if (avoided) {
            status = 3;
            said += " " + std::to_string(avoided);
            break;
        }
        if (all && !firstWant) {
            status = 0;
            break;
        }
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            status = 4;
            break;
        }
        if (seconds() >= end) break;
        const timespec pause{0, 40 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    XCloseDisplay(d);
    if (!writePpm(save, shot)) {
        std::fprintf(stderr, "xmatch: cannot write %s\n", save);
        return 2;
    }
    std::printf("%s\n", said.c_str());
    return status;
}
