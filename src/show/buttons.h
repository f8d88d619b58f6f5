#pragma once
// The slideshow's previous and next buttons: which atlas picture each shows.

#include "gfx/rect.h"

// The atlas source rectangle to draw for a button, or false when nothing is
// drawn, for the slide shown (its slot, kSlotFirstSlide to kSlotLastSlide) and
// the pointer position.
bool prevButtonSource(int slide, const Rect& button, int px, int py, Rect& src);
bool nextButtonSource(int slide, const Rect& button, int px, int py, Rect& src);

// Draws both buttons from the atlas in the current colour and blending.
void drawButtons(int slide, const Rect& prevButton, const Rect& nextButton);
