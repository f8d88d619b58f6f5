#pragma once
// The recorder's command line, read into plain data before anything else
// happens: what to record and how, or what to print instead.

#include <cstdio>
#include <string>

extern const char* const kRecorderName;  // "mijotine-record", as messages name it

struct RecordOptions {
    std::string output;      // empty: stills only
    std::string formatName;  // what the output's name calls for (e.g. "H.264 and AAC in MP4")
    std::string tourPath;    // empty: the built-in tour
    std::string stillsDir;   // empty: the tour's stills are left out
    std::string captions;    // where the WebVTT captions go; empty: none
    std::string directory;   // where data/ is; empty: the installed data set, or here
    std::string preset;      // x264's speed preset; empty for the default
    unsigned seed = 1;       // 1: the show's own sequence
    int width = 800, height = 600;
    int quality = -1;        // -1: the format's default
    double fromSeconds = 0;  // show time of the first frame kept
    double toSeconds = -1;   // show time the recording stops; -1: the show's end
    bool quiet = false;
};

struct CommandLine {
    enum Then { Record, PrintHelp, PrintVersion, PrintTour, BadUsage } then = Record;
    RecordOptions options;
    std::string error;  // BadUsage: what was wrong, for "mijotine-record: ERROR"
};

// Reads the options up to the first that settles what happens (a bad one,
// --help, --version, --print-tour); the values are checked here, so that
// a bad one is refused before the tour, the data and the window.
CommandLine parseCommandLine(int argc, char** argv);

void printUsage(std::FILE* to);
void printVersion(std::FILE* to);
