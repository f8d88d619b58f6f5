#include "particles/trail.h"

#include <SDL/SDL_opengl.h>

#include "particles/particle_system.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"

void startTrailBurst() { trailBurst = 1000; }

int trailBatchSize(float burst) {
    // The bound is compared as a float, as the batch loop does.
    int n = 0;
    while (static_cast<float>(n) < burst * 4 / 1000 + 1) ++n;
    return n;
}

float trailTilt(float burst) { return static_cast<float>(burst / 1000 * 0.4); }

void spawnTrail() {
    const Uint32 d = frameTimer->deltaMs;
    trailCountdown -= d;
    if (trailBurst > 0) trailBurst -= d;  // may end below zero; stays there until the next click
    if (!(trailCountdown < 0)) return;

    const int count = trailBatchSize(trailBurst);
    const float tilt = trailTilt(trailBurst);
    for (int i = 0; i < count; ++i)
        particleSystem->spawn(mouseX, mouseY, 0, frameTimer->lastTicks, tilt, 0);
    // Set rather than advanced, so a slow frame does not bring batches closer together.
    trailCountdown = 100;
}

void updateAndDrawTrail() {
    spawnTrail();
    particleSystem->update(static_cast<Sint32>(frameTimer->deltaMs));

    // Overlapping sparks add up.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, slotTexture(kSlotParticle));
    particleSystem->draw();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
