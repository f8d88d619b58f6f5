// mijotine-record: plays the show on a fixed clock, with the viewer's part
// taken from a tour, and writes every frame and the music into a video file.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/screen_words.h"
#include "record/files.h"
#include "record/options.h"
#include "record/recording.h"
#include "record/tour.h"
#include "show/phases.h"
#include "show/show.h"

namespace {

// An installed recorder reads the installed data set wherever it is started
// from: the folder that holds data/ sits at a fixed place relative to the
// program (MIJOTINE_INSTALLED_DATA, set by the install rules), so a moved
// prefix still works. In a build tree there is none there, and the working
// directory is used.
std::string installedDataRoot() {
#ifdef MIJOTINE_INSTALLED_DATA
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    self[n] = '\0';
    const std::string root = directoryOf(self) + "/" + MIJOTINE_INSTALLED_DATA;
    struct stat st;
    if (stat((root + "/data").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return root;
#endif
    return "";
}

// The part of the show on the screen, phase by phase, for the recording's
// chapters and captions: the loading screen until the phases begin.
std::function<int()> onScreen = [] { return screenSlot(ScreenPhase::Loading, -1); };
std::function<int()> partOf(IntroPhase& intro) {
    return [&] { return screenSlot(ScreenPhase::Intro, intro.shown.card); };
}
std::function<int()> partOf(SlideshowPhase& slideshow) {
    return [&] { return screenSlot(ScreenPhase::Slideshow, slideshow.slide); };
}
std::function<int()> partOf(ScrollerPhase&) {
    return [] { return screenSlot(ScreenPhase::Scroller, -1); };
}
std::function<int()> partOf(OutroPhase& outro) {
    return [&] { return screenSlot(ScreenPhase::Outro, outro.card); };
}
int screenSlotNow() { return onScreen(); }

// The show's phases as it plays them, each noted.
void playNotedPhases() {
    playPhasesWith([](auto& phase) {
        onScreen = partOf(phase);
        runPhase(phase);
    });
    onScreen = [] { return -1; };
}

}  // namespace

int main(int argc, char** argv) {
    CommandLine line = parseCommandLine(argc, argv);
    switch (line.then) {
        case CommandLine::Record:
            break;
        case CommandLine::PrintHelp:
            printUsage(stdout);
            return 0;
        case CommandLine::PrintVersion:
            printVersion(stdout);
            return 0;
        case CommandLine::PrintTour:
            std::fputs(defaultTourText(), stdout);
            return 0;
        case CommandLine::BadUsage:
            std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kRecorderName,
                         line.error.c_str(), kRecorderName);
            return 2;
    }
    if (line.options.directory.empty()) line.options.directory = installedDataRoot();
    Recording recording(line.options, ShowSteps{initShowState, openShowWindow, loadShow, playNotedPhases, shutDownShow, screenSlotNow});
    return recording.run();
}
