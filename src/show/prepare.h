#pragma once
// Work done ahead of the frames that would otherwise pay for it, a step a
// frame, by frames that then cover the whole screen with an opaque picture:
// the Scroller's glyphs; the bakes of the thirteen full-screen pictures, two
// steps each, which take their places in the table; and one drawing of the
// Scroller's layers and of a wipe, so that the renderer has built the state
// they draw with before their first frames (a software renderer takes several
// milliseconds for each new combination of state, the first time it draws
// with it).

#include "core/data_set.h"

// The full-screen pictures fill the table's first slots, up to the Scroller's background.
constexpr int kBakedPictures = kSlotScrollerBackground + 1;
constexpr int kPreparationSteps = 11 + 2 * kBakedPictures;
// The steps done so far; a bake's half on a drawable larger than 800 x 600
// takes a few calls, a band each, before it counts as done.
extern int preparationSteps;

// Does the next step; false, and nothing done, once every step is done.
bool prepareAheadStep();
// Starts the steps over, for a show with a GL context and pictures of its own.
void restartPreparation();
