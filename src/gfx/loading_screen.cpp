#include "gfx/loading_screen.h"

#include <SDL/SDL_opengl.h>

#include "gfx/quad.h"
#include "core/data_set.h"
#include "core/globals.h"
#include "core/io.h"

namespace {
LoadingScreenObserver observer = nullptr;
}

void setLoadingScreenObserver(LoadingScreenObserver o) { observer = o; }

int loadingFrame(float progress) {
    int f = static_cast<int>(progress * 19) % 3;
    // Negative progress never happens in the show; keep the frame in range
    // anyway so the atlas is never read left of its edge.
    if (f < 0) f += 3;
    return f;
}

void drawLoadingScreen(float progress) {
    const int frame = loadingFrame(progress);
    if (observer) observer(progress, frame);

    glClearColor(0, 0, 0, 0);
    // The stencil too: where depth and stencil share a buffer, clearing both
    // is a plain fill, and what the stencil holds matters only within a wipe.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    // Without a table or with the atlas missing both panels come out plain white.
    const unsigned int atlas = slotTexture(kSlotAtlas);
    glBindTexture(GL_TEXTURE_2D, atlas);

    // The static panel, with the blending in force.
    drawTexturedQuad(Rect(384, 372, 256, 128), atlas, Rect(0, 320, 256, 128), 0, 1, 0);

    // The animated panel glows: additive, tilted by its frame number in degrees.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    drawTexturedQuad(Rect(540, 118, 128, 320), atlas, Rect(128 * frame, 0, 128, 320), static_cast<float>(frame), 1,
                     0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    ioSwapBuffers();
    // Keep the window responsive; nothing done during loading has any effect.
    SDL_Event event;
    while (ioPollEvent(&event)) {
    }
}
