#pragma once
// The scroll text and the opening of its font.

#include "core/globals.h"

// The 287 lines of the scroll text, in order.
extern const char* const kScrollText[kScrollLineCount];

// Creates glyphFont (the data set's font, 32 points, black), sets the scroll
// position and speed to their starting values and fills scrollLines.
void initScrollText();
