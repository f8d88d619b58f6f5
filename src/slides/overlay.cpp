#include "slides/overlay.h"

#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "gfx/textures.h"
#include "math/curves.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "slides/transition.h"

OverlayLayout overlayLayout(int k, float remaining, float duration, Uint32 lastTicks) {
    OverlayLayout out;
    // How far the chef has risen: 0 as a transition starts, 1 at rest.
    const float rise = fpow(fsin(static_cast<float>((1 - ramp(remaining, 0, duration)) * 1.570796)), 2);
    const int side = (k & 1) ? -1 : 1;
    out.chefAngle = fsin(static_cast<float>(rise * rise * 3.14 * (k & 3))) * static_cast<float>(side * 30);
    // The bubble opens between 0.25 s and 0.1 s before the end; the caption
    // grows in during the last 0.15 s.
    out.bubbleScale = fpow(fsin(static_cast<float>((1 - ramp(remaining, 0.1f, 0.25f)) * 1.570796)), 2);
    const float textScale = fpow(fsin(static_cast<float>((1 - ramp(remaining, 0, 0.15f)) * 1.570796)), 3);

    const float ticks = static_cast<float>(lastTicks);
    const float w = static_cast<float>(ticks * 0.0075);
    out.captionAngle = -(fpow(fcos(static_cast<float>(w * 0.15)), 2) * 10);

    const int x = (k & 1) ? 450 : 100;
    const int y = static_cast<int>(400 + (200 - 200 * rise));
    out.chef = Rect(x, y, 200, 200);
    out.bubble = Rect(x + 115, y - 50, 200, 200);

    out.captionDrawn = textScale > 0.05f;
    const float breathe = (k % 3 == 0) ? static_cast<float>(fsin(static_cast<float>(ticks * 0.001)) * 0.05) : 0.0f;
    out.captionScale = textScale + breathe;
    return out;
}

void drawSlideOverlay(int k) {
    const OverlayLayout layout =
        overlayLayout(k, slideTransition->remaining, slideTransition->duration, frameTimer->lastTicks);
    const Rect whole(0, 0, 512, 512);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(1, 1, 1);

    // Each picture is drawn only over its ink: around it, it is transparent.
    const auto draw = [&](const Rect& dest, int slot, float angle, float scale) {
        const unsigned int texture = slotTexture(slot);
        drawTexturedQuadPart(dest, texture, whole, pictureInk(texture), angle, scale, 0);
    };
    draw(layout.chef, kSlotChef, layout.chefAngle, 1);
    draw(layout.bubble, kSlotBubble, 0, layout.bubbleScale);
    // Only slides 0..6 have a caption slot; anything else would read past the table.
    if (layout.captionDrawn && k >= 0 && k < 7)
        draw(layout.bubble, kSlotFirstCaption + k, layout.captionAngle, layout.captionScale);
}
