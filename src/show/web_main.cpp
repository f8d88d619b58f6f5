// The show's entry in a web page. The browser shows a frame only when the
// program gives it its turn, so presenting a frame yields once; everything
// else is the desktop show itself, run step by step here so that the page can
// be told what each frame shows.

#include <emscripten.h>

#include <functional>

#include "audio/web_music.h"
#include "core/data_set.h"
#include "core/drawing_area.h"
#include "core/globals.h"
#include "core/io.h"
#include "core/screen_words.h"
#include "core/music_io.h"
#include "gfx/loading_screen.h"
#include "gfx/show_pictures.h"
#include "platform/question.h"
#include "show/phases.h"
#include "show/show.h"
#include "slides/transition.h"
#include "text/scroll_text.h"

// What the frame just drawn shows, while it is still in the drawing buffer
// (before the browser shows it and lets it go), for Module.onFrame: the
// phase, the table slot of its full-screen picture, that picture's grey level
// (the loading screen's progress while loading), how far a wipe into it has
// come (from 0 to 1; -1 with none running), the scroll text's position
// and speed, and the clock of a phase that runs on one (the cards' seconds;
// -1 in the others).
// Only a test sets Module.onFrame: it sees every frame, however slow the
// machine, where screenshots would step over a card that lasts seconds. The
// page itself keeps the phase, for what a touch means, and hears when it
// changes (Module.onPhase).
// clang-format off
EM_JS(void, pageFrameDrawn, (int phase, int slot, const char* picture, float level, float wipe, float scroll, float speed,
                             float clock), {
    const names = ['loading', 'intro', 'slideshow', 'scroller', 'outro'];
    if (Module.phase !== names[phase]) {
        Module.phase = names[phase];
        if (Module.onPhase) Module.onPhase(Module.phase);
    }
    if (!Module.onFrame) return;
    Module.onFrame({phase : names[phase], slot : slot, picture : picture ? UTF8ToString(picture) : null,
                    level : level, wipe : wipe, scroll : scroll, speed : speed, clock : clock});
});

// The canvas's backing store in device pixels, as the page sizes it for the
// screen (Module.drawableSize), made so, and whether it has changed since the
// last time it was asked.
EM_JS(int, pageResizeDrawable, (int* width, int* height), {
    const want = Module.drawableSize ? Module.drawableSize() : [800, 600];
    const canvas = Module.canvas;
    HEAP32[width >> 2] = want[0];
    HEAP32[height >> 2] = want[1];
    if (canvas.width == want[0] && canvas.height == want[1]) return 0;
    canvas.width = want[0];
    canvas.height = want[1];
    return 1;
});

// The browser's turn after a frame: a message to the page itself comes back
// at once, where a timer would wait at least a few milliseconds each time.
EM_ASYNC_JS(void, pageYield, (), {
    const channel = Module.yieldChannel || (Module.yieldChannel = new MessageChannel());
    await new Promise((resolve) => {
        channel.port1.onmessage = resolve;
        channel.port2.postMessage(0);
    });
});

// Whether the viewer has answered the page's question yet.
EM_JS(int, pageHasAnswer, (), {
    return Module.hasAnswer && Module.hasAnswer() ? 1 : 0;
});

// Until the page has shown its question (or had its answer): the browser's
// first paint is not to wait for the program's work.
EM_ASYNC_JS(void, pageQuestionShown, (), {
    if (Module.questionShown) await Module.questionShown;
});

// The canvas's drawable pixels to a unit of the 800 x 600 space where the
// page brought the finer pictures (for a dense screen, and a browser that
// does not ask to save data); 1 where it did not.
EM_JS(double, pageFinerScale, (), { return Module.finerPictures ? Module.finerScale : 1; });

// Whether the browser has painted the page yet (or given up waiting for it,
// in a tab opened in the background). Until it has, the first WebGL context
// that the page asks for holds the page's thread.
EM_JS(int, pagePainted, (), {
    return Module.painted || performance.getEntriesByType('paint').length > 0 ? 1 : 0;
});

// What the screen says, in words, each time a new part of the show (a card,
// a slide, the Scroller) has appeared: for the page to announce. The phase
// as in pageFrameDrawn.
EM_JS(void, pageScreenSays, (int phase, const char* words), {
    const names = ['loading', 'intro', 'slideshow', 'scroller', 'outro'];
    if (Module.onScreenWords) Module.onScreenWords(names[phase], UTF8ToString(words));
});

// The scroll text, for the page to show as text when the viewer asks for it:
// read from the program's memory only then, its lines as the Scroller draws
// them (Windows-1252 bytes).
EM_JS(void, pageOffersScrollText, (const char* const* lines, int count), {
    Module.scrollTextLines = () => {
        const decoder = new TextDecoder('windows-1252');
        const text = [];
        for (let i = 0; i < count; ++i) {
            const at = HEAPU32[(lines >> 2) + i];
            let end = at;
            while (HEAPU8[end]) ++end;
            text.push(decoder.decode(HEAPU8.subarray(at, end)));
        }
        return text;
    };
    if (Module.onScrollTextOffered) Module.onScrollTextOffered();
});

EM_JS(void, pageShowEnded, (int status), {
    if (Module.onShowEnded) Module.onShowEnded(status);
});
// clang-format on

namespace {

struct FrameNote {
    int phase = 0;  // the order of the names in pageFrameDrawn
    int slot = -1;
    float level = 0;
    float wipe = -1;
    float clock = -1;
};

float loadingProgress = 0;
std::function<FrameNote()> noteFrame = [] { return FrameNote{0, -1, loadingProgress, -1}; };

// How far the running wipe has come, or -1.
float wipeDone() {
    if (!slideTransition || slideTransition->remaining <= 0 || slideTransition->duration <= 0) return -1;
    return 1 - slideTransition->remaining / slideTransition->duration;
}

// SDL's own, the browser's SDL giving the pointer in the canvas's own pixels;
// after each swap the page hears of the frame and has its turn.
class PageIo : public SdlShowIo {
public:
    void swapBuffers() override {
        SdlShowIo::swapBuffers();
        const FrameNote note = noteFrame();
        const int saying = screenSlot(static_cast<ScreenPhase>(note.phase), note.slot);
        if (saying != said_ || note.phase != saidInPhase_) {
            said_ = saying;
            saidInPhase_ = note.phase;
            if (saying >= 0) pageScreenSays(note.phase, screenWords(saying, WordsForm::Spoken).c_str());
        }
        const char* picture = note.slot >= 0 ? dataFileName(note.slot) : nullptr;
        pageFrameDrawn(note.phase, note.slot, picture, note.level, note.wipe, scrollPosition, scrollSpeed, note.clock);
        pageYield();
        // Between frames, the canvas follows the window and the screen.
        int width = 800, height = 600;
        if (pageResizeDrawable(&width, &height)) setDrawable(width, height);
    }

private:
    int said_ = -1, saidInPhase_ = -1;  // the part whose words the page last heard
};

PageIo pageIo;

// What the page hears of each frame of a phase.
std::function<FrameNote()> notesOf(IntroPhase& intro) {
    return [&] { return FrameNote{1, intro.shown.card, intro.shown.brightness, -1, intro.clock}; };
}
std::function<FrameNote()> notesOf(SlideshowPhase& slideshow) {
    return [&] { return FrameNote{2, slideshow.slide, 1, wipeDone()}; };
}
std::function<FrameNote()> notesOf(ScrollerPhase&) {
    return [] { return FrameNote{3, 12, 1, -1}; };
}
std::function<FrameNote()> notesOf(OutroPhase& outro) {
    return [&] { return FrameNote{4, outro.card, outro.brightness, wipeDone(), outro.clock}; };
}

// The four phases as the desktop plays them, each frame noted for the page.
void playNotedPhases() {
    playPhasesWith([](auto& phase) {
        noteFrame = notesOf(phase);
        runPhase(phase);
    });
    noteFrame = [] { return FrameNote{4, -1, 0, -1}; };
}

}  // namespace

int main() {
    setShowIo(&pageIo);
    setMusicIo(&webMusicIo());
    setLoadingScreenObserver([](float progress, int) { loadingProgress = progress; });
    pageOffersScrollText(kScrollText, kScrollLineCount);

    // runShow's steps, with the phases noted.
    initShowState();
    // The page has no second thread to decode and rescale the pictures beside
    // the loading screen, but it has the time the question waits: until the
    // answer comes, the pictures are prepared one at a time, the page getting
    // its turn after each, from when the question is on the screen. Before the
    // browser's first paint no drawing surface is to be had (asked for, it
    // would hold the page's thread until then), so an answer that comes
    // earlier leaves the preparing going on until the paint. Whatever is left
    // waits for the loading screen.
    ShowPictures pictures(static_cast<float>(pageFinerScale()));
    pageQuestionShown();
    while ((!pageHasAnswer() || !pagePainted()) && pictures.prepareNext()) pageYield();
    const FullscreenAnswer answer =
        askFullscreen("Mijotine!", "Run in fullscreen mode? (Cancel means no run)");
    if (answer != FullscreenAnswer::Cancel) {
        openShowWindow(answer == FullscreenAnswer::Yes);
        // Drawn at the screen's own density rather than stretched from 800 x 600.
        int width = 800, height = 600;
        pageResizeDrawable(&width, &height);
        loadShow(width, height, pictures);
        playNotedPhases();
        shutDownShow();
    }
    pageShowEnded(0);
    return 0;
}
