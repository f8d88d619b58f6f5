#include "core/frame_timer.h"

#include "core/io.h"

FrameTimer::FrameTimer()
    : frameTimes{}, lastTicks(ioGetTicks()), frameCount(0), fps(0), deltaMs(0), deltaSeconds(0) {}

void FrameTimer::update() {
    const Uint32 slot = frameCount % 10;
    const Uint32 elapsed = ioGetTicks() - lastTicks;
    if (elapsed < 20) ioDelay(20 - elapsed);
    const Uint32 now = ioGetTicks();
    deltaMs = now - lastTicks;
    deltaSeconds = deltaMs / 1000.0f;
    frameTimes[slot] = deltaMs;
    lastTicks = now;
    frameCount += 1;
    const Uint32 n = frameCount < 10 ? frameCount : 10;
    float sum = 0;
    for (Uint32 i = 0; i < n; ++i) sum += static_cast<float>(frameTimes[i]);
    const float mean = sum / static_cast<float>(n);
    fps = 1000.0f / mean;
}
