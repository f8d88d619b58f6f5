#pragma once
// The per-frame clock: holds every frame to at least 20 ms and publishes the
// last frame's length, which drives every animation of the show.

#include <SDL/SDL.h>

class FrameTimer {
public:
    Uint32 frameTimes[10];  // ring of recent frame lengths, ms
    Uint32 lastTicks;       // tick count at the end of the last update
    Uint32 frameCount;      // number of updates so far
    float fps;              // 1000 / mean of the valid ring entries
    Uint32 deltaMs;         // length of the last frame, ms
    float deltaSeconds;     // the same in seconds

    FrameTimer();
    // Ends the current frame; sleeps to the 20 ms floor first.
    void update();
};
