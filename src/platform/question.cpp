#include "platform/question.h"

#ifdef _WIN32

#include <windows.h>

FullscreenAnswer askFullscreen(const char* title, const char* text) {
    // No window exists yet, so the box has no owner.
    const int r = MessageBoxA(nullptr, text, title, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (r == IDCANCEL) return FullscreenAnswer::Cancel;
    if (r == IDNO) return FullscreenAnswer::No;
    return FullscreenAnswer::Yes;
}

void releaseQuestionDisplay() {}

#elif defined(__EMSCRIPTEN__)

#include "platform/web/page_question.h"

// In a web page the page asks, in its own dialog.
FullscreenAnswer askFullscreen(const char* title, const char* text) {
    switch (askInPage(title, text)) {
        case 0:
            return FullscreenAnswer::Yes;
        case 1:
            return FullscreenAnswer::No;
        default:
            return FullscreenAnswer::Cancel;
    }
}

void releaseQuestionDisplay() {}

#else

#include <cstdio>
#include <optional>

#include <unistd.h>

#include "platform/terminal_question.h"
#include "platform/x_dialog.h"

FullscreenAnswer askFullscreen(const char* title, const char* text) {
    // A dialog window where there is an X display; it is gone before the
    // show starts SDL, and its connection is held until the show's window is
    // up, so that the display never has no client in between.
    if (const std::optional<FullscreenAnswer> answer = xdialog::askWithXDialog(title, text, nullptr, true))
        return *answer;
    // The question on the terminal goes to standard error, so that standard
    // output carries only the show's own diagnostic lines.
    if (isatty(STDIN_FILENO)) return askOnTerminal(title, text, stdin, stderr);
    return FullscreenAnswer::No;
}

void releaseQuestionDisplay() { xdialog::releaseHeldDisplay(); }

#endif
