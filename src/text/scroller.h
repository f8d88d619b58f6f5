#pragma once
// The Scroller screen: the text window, its fade bands, and the
// ring of sprites; everything derived from scrollPosition.

#include <SDL/SDL.h>

#include "math/vector3.h"

Vector3 sphericalPoint(float r, float theta, float phi);
void billboardAxes(Vector3& right, Vector3& up, Vector3& forward);
void drawBillboard(const Vector3& centre, const Vector3& right, const Vector3& up, const Vector3& forward,
                   float h);

// Which lines a scroll position puts in the drawn window: [first, last).
struct LineWindow {
    int first;
    int last;
};
LineWindow scrollLineWindow(float position);
// The y of line i's top at the given scroll position, as drawn.
int scrollLineY(int i, float position);

// The scroll position stays within ±kScrollPositionLimit: the text is seen
// only between about -15000 and 430500. An hour of a held arrow reaches about
// 3.2e10; beyond the bound the position steps back by whole turns of the
// sprite ring (kScrollPositionWrap), so the sprites never stop.
constexpr float kScrollPositionLimit = 1.0e11f;
// 1,591,549 turns of the ring, each 2 pi / 0.0002 units: about 5.0e10.
constexpr double kScrollPositionWrap = 1591549 * 31415.926535897932;

// The scroll position after a frame of deltaMs at the given speed.
float advanceScrollPosition(float position, Uint32 deltaMs, float speed);
// The angle (radians) the ring of sprites has turned to at a scroll position.
float spriteBaseAngle(float position);
// The half-size of every sprite at a scroll position, 0.84 to 1.16.
float spriteHalfSize(float position);

// Advances the scroll and draws one frame of it.
void drawScroller();
// The layers of that frame, in this order, at a scroll position, which they
// leave as it is: the text in the lower half, the fade bands over it, the
// sprites. The background beneath is the phase's.
void drawScrollerText(float position);
void drawScrollerBands();
void drawScrollerSprites(float position);
