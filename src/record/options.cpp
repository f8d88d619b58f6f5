#include "record/options.h"

#include <getopt.h>

#include <cmath>
#include <cstdlib>

#include "record/encoder.h"
#include "record/quote.h"

#ifndef MIJOTINE_VERSION
#define MIJOTINE_VERSION "1.0"
#endif

const char* const kRecorderName = "mijotine-record";

void printUsage(std::FILE* to) {
    std::fprintf(to,
                 "Usage: %s [OPTION]... OUTPUT\n"
                 "Plays the show on a fixed clock of 50 frames a second and records every frame and the\n"
                 "music into OUTPUT. The name's extension picks the format: .mp4 (H.264 and AAC, the\n"
                 "default choice), .mov, .mkv, .webm (VP9 and Opus) or .webp (animated, no sound).\n"
                 "MP4, MOV, MKV and WebM files carry chapters: the title cards, each step with its\n"
                 "title, the scroll text and the closing cards, at the times the tour reached them.\n"
                 "\n"
                 "  -t, --tour FILE       the viewer's actions, one a line (default: the built-in tour)\n"
                 "      --print-tour      print the built-in tour and exit\n"
                 "  -s, --seed N          seed of the random numbers (default 1: the show's own sequence)\n"
                 "      --size WxH        picture size, 4:3 and even (default 800x600; e.g. 1440x1080)\n"
                 "      --from SECONDS    leave out the frames before this show time\n"
                 "      --to SECONDS      stop the recording at this show time\n"
                 "      --stills DIR      save the tour's still frames as PNG files in DIR; OUTPUT may\n"
                 "                        then be left out to save stills only\n"
                 "      --captions FILE   also write what the screen says at each moment (the cards'\n"
                 "                        and the captions' words) to FILE as WebVTT captions (.vtt)\n"
                 "      --quality N       constant-quality level (x264/VP9 CRF, lower is better;\n"
                 "                        WebP quality 0-100); default 20, 32 and 70\n"
                 "      --preset NAME     x264 speed preset for the H.264 formats (default veryfast)\n"
                 "  -C, --directory DIR   run in DIR, which holds the data set in data/ (default:\n"
                 "                        the installed data set, or . in a build tree)\n"
                 "  -q, --quiet           no progress report\n"
                 "  -h, --help            show this help and exit\n"
                 "  -V, --version         show the version and exit\n"
                 "\n"
                 "Needs no display: it draws offscreen through SDL's offscreen video driver (OpenGL\n"
                 "by EGL) unless SDL_VIDEODRIVER names another. Exit status: 0 when the file is\n"
                 "written, 1 when recording failed or was interrupted or a still was not taken (the\n"
                 "show ended first), 2 on bad usage or a bad tour.\n",
                 kRecorderName);
}

void printVersion(std::FILE* to) {
    std::fprintf(to,
                 "%s (Mijotine) %s\n"
                 "Copyright 2026 the Mijotine authors\n"
                 "License: MIT <https://opensource.org/license/mit>\n"
                 "This is free software: you are free to change and redistribute it.\n"
                 "There is NO WARRANTY, to the extent permitted by law.\n",
                 kRecorderName, MIJOTINE_VERSION);
}

namespace {

const char* const kPresetList = "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow, placebo";
bool knownPreset(const std::string& name) {
    const std::string list = std::string(", ") + kPresetList + ",";
    return !name.empty() && name.find(',') == std::string::npos && name.find(' ') == std::string::npos &&
           list.find(" " + name + ",") != std::string::npos;
}

bool parseSeconds(const char* text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return end && *end == '\0' && end != text && std::isfinite(seconds) && seconds >= 0 && seconds < 24 * 3600;
}

bool parseSeed(const char* text, unsigned& seed) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (!*text || *end || text[0] == '-' || v > 0xffffffffUL) return false;
    seed = static_cast<unsigned>(v);
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &tail) != 2 || w < 160 || h < 120 || w > 7680 || w * 3 != h * 4 ||
        w % 2 || h % 2)
        return false;
    width = w;
    height = h;
    return true;
}

bool parseQuality(const char* text, int& quality) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > 100) return false;
    quality = static_cast<int>(v);
    return true;
}

enum { kSize = 256, kFrom, kTo, kStills, kQuality, kPreset, kPrintTour, kCaptions };
const option kLongOptions[] = {
    {"tour", required_argument, nullptr, 't'},      {"seed", required_argument, nullptr, 's'},
    {"size", required_argument, nullptr, kSize},    {"from", required_argument, nullptr, kFrom},
    {"to", required_argument, nullptr, kTo},        {"stills", required_argument, nullptr, kStills},
    {"quality", required_argument, nullptr, kQuality}, {"preset", required_argument, nullptr, kPreset},
    {"directory", required_argument, nullptr, 'C'}, {"quiet", no_argument, nullptr, 'q'},
    {"print-tour", no_argument, nullptr, kPrintTour}, {"help", no_argument, nullptr, 'h'},
    {"captions", required_argument, nullptr, kCaptions},
    {"version", no_argument, nullptr, 'V'},         {nullptr, 0, nullptr, 0},
};

// One option with its value into `o`; the message when the value is bad.
std::string takeValue(int c, const char* value, RecordOptions& o) {
    switch (c) {
        case 't':
            o.tourPath = value;
            break;
        case 's':
            if (!parseSeed(value, o.seed))
                return "bad seed " + quoted(value) + ": expected a whole number from 0 to 4294967295";
            break;
        case kSize:
            if (!parseSize(value, o.width, o.height))
                return "bad size " + quoted(value) +
                       ": expected WIDTHxHEIGHT in the ratio 4:3, even, from 160x120 (e.g. 1440x1080)";
            break;
        case kFrom:
            if (!parseSeconds(value, o.fromSeconds)) return "bad --from " + quoted(value) + ": expected seconds";
            break;
        case kTo:
            if (!parseSeconds(value, o.toSeconds) || o.toSeconds <= 0)
                return "bad --to " + quoted(value) + ": expected seconds";
            break;
        case kStills:
            o.stillsDir = value;
            break;
        case kCaptions:
            if (!*value) return "--captions needs a file name";
            o.captions = value;
            break;
        case kQuality:
            if (!parseQuality(value, o.quality))
                return "bad quality " + quoted(value) + ": expected a whole number from 0 to 100";
            break;
        case kPreset:
            // Checked here: the encoder would only refuse it after the
            // tour, the data and the window.
            if (!knownPreset(value))
                return "bad preset " + quoted(value) + ": expected one of x264's presets (" + kPresetList + ")";
            o.preset = value;
            break;
        case 'C':
            o.directory = value;
            break;
    }
    return "";
}

// What is left after the options: the output, and how it fits them.
std::string checkOutput(int argc, char** argv, RecordOptions& o) {
    if (optind < argc) o.output = argv[optind++];
    if (optind < argc) return "one output only; also given " + quoted(argv[optind]);
    if (o.output.empty() && o.stillsDir.empty()) return "no OUTPUT given";
    if (o.toSeconds >= 0 && o.toSeconds <= o.fromSeconds) return "--to must come after --from";
    if (!o.captions.empty() && o.output.empty()) return "--captions needs an OUTPUT: they are the video's";
    if (!o.captions.empty() && o.captions == o.output) return "--captions must name a file other than OUTPUT";
    if (!o.output.empty() && !Encoder::knownFormat(o.output, &o.formatName))
        return "cannot tell the format of " + quoted(o.output) + ": name it .mp4, .mov, .mkv, .webm or .webp";
    return "";
}

}  // namespace

CommandLine parseCommandLine(int argc, char** argv) {
    CommandLine line;
    auto bad = [&](const std::string& what) {
        line.then = CommandLine::BadUsage;
        line.error = what;
        return line;
    };
    opterr = 0;
    optind = 0;  // from the start, should this be a second reading
    int c;
    while ((c = getopt_long(argc, argv, ":t:s:C:qhV", kLongOptions, nullptr)) != -1) {
        switch (c) {
            case 'q':
                line.options.quiet = true;
                break;
            case kPrintTour:
                line.then = CommandLine::PrintTour;
                return line;
            case 'h':
                line.then = CommandLine::PrintHelp;
                return line;
            case 'V':
                line.then = CommandLine::PrintVersion;
                return line;
            case ':':
                return bad("option " + quoted(argv[optind - 1]) + " needs a value");
            case '?':
                return bad("unknown option " + quoted(argv[optind - 1]));
            default: {
                const std::string why = takeValue(c, optarg, line.options);
                if (!why.empty()) return bad(why);
            }
        }
    }
    const std::string why = checkOutput(argc, argv, line.options);
    return why.empty() ? line : bad(why);
}
