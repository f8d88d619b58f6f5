// The show's entry in a web page. The browser shows a frame only when the
// program gives it its turn, so presenting a frame yields once; everything
// else is the desktop show itself.

#include <emscripten.h>

#include "core/io.h"
#include "core/music_io.h"
#include "platform/web_page.h"
#include "show/show.h"

// The page may look at each frame while it is still in the drawing buffer
// (before the browser shows it and lets it go), through Module.onFrame.
EM_JS(void, pageFrameDrawn, (), {
    if (Module.onFrame) Module.onFrame();
});

namespace {

class PageIo : public ShowIo {
public:
    Uint32 getTicks() override { return SDL_GetTicks(); }
    void delay(Uint32 ms) override { SDL_Delay(ms); }
    int pollEvent(SDL_Event* event) override { return SDL_PollEvent(event); }
    Uint8 getMouseState(int* x, int* y) override { return SDL_GetMouseState(x, y); }
    void swapBuffers() override {
        SDL_GL_SwapBuffers();
        pageFrameDrawn();
        emscripten_sleep(0);
    }
};

PageIo pageIo;

}  // namespace

// The page's dialog resolves with 0 (Yes), 1 (No) or 2 (Cancel).
EM_ASYNC_JS(int, pageQuestion, (const char* title, const char* text), {
    return await Module.askQuestion(UTF8ToString(title), UTF8ToString(text));
});

EM_JS(void, pageShowEnded, (int status), {
    if (Module.onShowEnded) Module.onShowEnded(status);
});

FullscreenAnswer askInPage(const char* title, const char* text) {
    switch (pageQuestion(title, text)) {
        case 0:
            return FullscreenAnswer::Yes;
        case 1:
            return FullscreenAnswer::No;
        default:
            return FullscreenAnswer::Cancel;
    }
}

int main() {
    setShowIo(&pageIo);
    setMusicIo(&webMusicIo());
    const int status = runShow();
    pageShowEnded(status);
    return status;
}
