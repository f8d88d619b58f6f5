#pragma once
// Ten glowing sprites drifting across the screen (Intro look and Scroller look).

#include <SDL/SDL.h>

#include "gfx/rect.h"
#include "math/vector3.h"

constexpr int kAmbientGlowCount = 10;

void initAmbientGlows();
// mode 5: the Scroller look; any other value: the Intro look.
void drawAmbientGlows(int mode);

// The pieces of one glow's frame, without GL.
// A new height in the top band (0..99) or the bottom band (501..600): two rand() draws.
float bandedGlowHeight();
// A new height anywhere from 0 to 599: one rand() draw.
float fullGlowHeight();
// Drifts the glow right by deltaMs at 90 px/s; past the right edge it gets a
// new height by the mode's rule and comes back on the left. True if it wrapped.
bool stepAmbientGlow(Vector3& glow, Uint32 deltaMs, int mode);
// Grey level of the colour: dimmer in the Scroller look.
float ambientGlowGrey(int mode);
float ambientGlowAngle(int i, Uint32 lastTicks);
float ambientGlowBob(int i, Uint32 lastTicks);
// The 30 x 30 screen rectangle glow i is drawn into.
Rect ambientGlowRect(const Vector3& glow, int i, Uint32 lastTicks);
