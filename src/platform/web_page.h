#pragma once
// The pieces of the show that live in its web page (browser build only).

#include "core/music_io.h"
#include "platform/question.h"

// The question in the page's own dialog; waits for the viewer's answer, which
// is also the gesture the page uses for full screen and sound.
FullscreenAnswer askInPage(const char* title, const char* text);

// The music through the page's Web Audio.
MusicIo& webMusicIo();
