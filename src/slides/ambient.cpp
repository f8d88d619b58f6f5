#include "slides/ambient.h"

#include <cstdlib>

#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "math/curves.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"

static const int kScrollerMode = 5;

float bandedGlowHeight() {
    // Parity first, then the height within the chosen band.
    if (std::rand() % 2 == 0) return static_cast<float>(std::rand() % 100);
    return static_cast<float>(600 - std::rand() % 100);
}

float fullGlowHeight() { return static_cast<float>(std::rand() % 600); }

void initAmbientGlows() {
    if (!ambientGlows) ambientGlows = new Vector3[kAmbientGlowCount];
    for (int i = 0; i < kAmbientGlowCount; ++i) {
        const float y = bandedGlowHeight();
        const float x = static_cast<float>(std::rand() % 800);
        ambientGlows[i] = Vector3(x, y, 0);
    }
}

bool stepAmbientGlow(Vector3& glow, Uint32 deltaMs, int mode) {
    glow.x = static_cast<float>(glow.x + deltaMs * 0.09);
    if (!(glow.x > 800)) return false;
    glow.y = mode == kScrollerMode ? fullGlowHeight() : bandedGlowHeight();
    glow.x = glow.x - 820;
    return true;
}

float ambientGlowGrey(int mode) { return mode == kScrollerMode ? 0.3f : 0.63f; }

float ambientGlowAngle(int i, Uint32 lastTicks) {
    return fsin(static_cast<float>(i * 0.3 + lastTicks * 0.0015)) * 250;
}

float ambientGlowBob(int i, Uint32 lastTicks) {
    return fpow(fsin(static_cast<float>(i * 0.3 + lastTicks * 0.0005)), 3) * 20;
}

Rect ambientGlowRect(const Vector3& glow, int i, Uint32 lastTicks) {
    const float bob = ambientGlowBob(i, lastTicks);
    return Rect(static_cast<int>(glow.x), static_cast<int>(glow.y + bob), 30, 30);
}

void drawAmbientGlows(int mode) {
    const float grey = ambientGlowGrey(mode);
    const Uint32 now = frameTimer->lastTicks;
    const Rect whole(0, 0, 512, 512);
    for (int i = 0; i < kAmbientGlowCount; ++i) {
        Vector3& glow = ambientGlows[i];
        stepAmbientGlow(glow, frameTimer->deltaMs, mode);

        // Each glow is added onto the picture, then the standard state comes back.
        glColor3f(grey, grey, grey);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawTexturedQuad(ambientGlowRect(glow, i, now), slotTexture(kSlotParticle), whole,
                         ambientGlowAngle(i, now), 1, 0);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor3f(1, 1, 1);
    }
}
