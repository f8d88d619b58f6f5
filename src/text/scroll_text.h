#pragma once
// The scroll text and the opening of its font.

#include <string>

#include "core/globals.h"

// The 287 lines of the scroll text, in order.
extern const char* const kScrollText[kScrollLineCount];

// The scroll text as plain UTF-8 text to read: its lines in order, each
// without its trailing spaces, the Windows apostrophe as U+2019.
std::string scrollTextAsText();

// Creates glyphFont (the data set's font, 32 points, black), sets the scroll
// position and speed to their starting values and fills scrollLines.
void initScrollText();
