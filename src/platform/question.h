#pragma once
// The start-up question "Run in fullscreen mode?" with Yes, No and Cancel.

#include "platform/fullscreen_answer.h"

// Asks the viewer: a dialog window where there is an X display, else the
// terminal on standard input, else no question at all (windowed).
FullscreenAnswer askFullscreen(const char* title, const char* text);

// Lets go of the display the question was asked on; call it once the show's
// window is up. Until then the question's connection stays open: an X server
// started for this program alone (Xvfb, a kiosk's) resets when its last
// client leaves, and a window opened during the reset finds no display.
void releaseQuestionDisplay();
