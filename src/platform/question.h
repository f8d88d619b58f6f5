#pragma once
// The start-up question "Run in fullscreen mode?" with Yes, No and Cancel.

enum class FullscreenAnswer { Yes, No, Cancel };

// Asks the viewer: a dialog window where there is an X display, else the
// terminal on standard input, else no question at all (windowed).
FullscreenAnswer askFullscreen(const char* title, const char* text);
