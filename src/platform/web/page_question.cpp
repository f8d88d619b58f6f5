// The question in the page's own dialog (web/page.js puts it up at once and
// keeps the answer, which may come before the program has arrived).

#include "platform/web/page_question.h"

#include <emscripten.h>

// The page's dialog resolves with 0 (Yes), 1 (No) or 2 (Cancel).
EM_ASYNC_JS(int, pageQuestion, (const char* title, const char* text), {
    return await Module.askQuestion(UTF8ToString(title), UTF8ToString(text));
});

int askInPage(const char* title, const char* text) { return pageQuestion(title, text); }
