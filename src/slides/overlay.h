#pragma once
// The chef, the speech bubble and the caption over slide k (0..6).

#include <SDL/SDL.h>

#include "gfx/rect.h"

void drawSlideOverlay(int k);

// Where and how the three pictures of the overlay stand in one frame, from the
// transition's clock and the tick count; computed without GL.
struct OverlayLayout {
    Rect chef;            // 200 x 200, rotated about its centre
    float chefAngle;      // degrees
    Rect bubble;          // the chef's rectangle moved 115 right and 50 up
    float bubbleScale;
    bool captionDrawn;    // the caption is skipped while it is still tiny
    float captionAngle;   // degrees
    float captionScale;   // includes the breathing on slides 0, 3 and 6
};

OverlayLayout overlayLayout(int k, float remaining, float duration, Uint32 lastTicks);
