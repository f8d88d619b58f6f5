#pragma once
// Work done ahead of the frames that would otherwise pay for it, a step a
// frame, by frames that then cover the whole screen with an opaque picture:
// the Scroller's glyphs, and one drawing of the Scroller's layers and of a
// wipe, so that the renderer has built the state they draw with before their
// first frames. A software renderer takes several milliseconds for each new
// combination of state, the first time it draws with it.

constexpr int kPreparationSteps = 11;
extern int preparationSteps;  // the steps done so far

// Does the next step; false, and nothing done, once every step is done.
bool prepareAheadStep();
