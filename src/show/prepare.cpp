#include "show/prepare.h"

#include <SDL/SDL_opengl.h>

#include "core/data_set.h"
#include "core/globals.h"
#include "gfx/bake.h"
#include "slides/transition.h"
#include "text/glyph_font.h"
#include "text/scroller.h"

namespace {

constexpr int kGlyphSteps = 8;
constexpr int kFirstBakeStep = kGlyphSteps;
constexpr int kFirstRehearsal = kFirstBakeStep + 2 * kBakedPictures;
constexpr char kFirstGlyph = 32, kLastGlyph = 126;

// Draws with the state a part of the show uses, into a one-pixel viewport,
// which costs next to nothing to fill, and puts back the viewport and the
// blending switch.
template <class Draw>
void rehearse(Draw draw) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool blending = glIsEnabled(GL_BLEND);
    glViewport(viewport[0], viewport[1], 1, 1);
    draw();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (blending)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
}

// The pictures drawn whole and as they are at rest (the slides, the
// Scroller's background), which a frame copies rather than draws: their
// bakes keep a framebuffer copy, which costs the memory of a second picture
// the size of the viewport for each.
bool keepsFramebufferCopy(int slot) {
    return (kSlotFirstSlide <= slot && slot <= kSlotLastSlide) || slot == kSlotScrollerBackground;
}

// The bake under way, between its two halves.
FullscreenBake bake;

}  // namespace

int preparationSteps = 0;

void restartPreparation() {
    preparationSteps = 0;
    bake.forget();
}

bool prepareAheadStep() {
    if (preparationSteps >= kPreparationSteps) return false;
    const int step = preparationSteps++;
    if (step < kGlyphSteps) {
        // Making a glyph writes into the atlas; once the atlas is drawn from
        // within a frame, every such write has to wait for that drawing.
        if (!glyphFont) return true;
        const int perStep = (kLastGlyph - kFirstGlyph) / kGlyphSteps + 1;
        for (int ch = kFirstGlyph + step * perStep; ch < kFirstGlyph + (step + 1) * perStep && ch <= kLastGlyph; ++ch)
            glyphFont->makeGlyph(static_cast<char>(ch));
    } else if (step < kFirstRehearsal) {
        // The full-screen pictures, a half of one a step; each takes its
        // place in the table once whole. Before the rehearsals, so that these
        // draw with the pictures the frames will draw with.
        // On a large screen a half takes a few frames, a band of rows each,
        // so that no frame pays for a whole one.
        if (!textures) return true;
        const int slot = (step - kFirstBakeStep) / 2;
        unsigned int baked = 0;
        if ((step - kFirstBakeStep) % 2 == 0) {
            if (!bake.drawPart(slotTexture(slot))) --preparationSteps;
        } else if (!bake.finishPart(baked, keepsFramebufferCopy(slot))) {
            --preparationSteps;
        } else if (baked) {
            GLuint picture = slotTexture(slot);
            glDeleteTextures(1, &picture);
            textures[slot] = static_cast<int>(baked);
        }
    } else if (step == kFirstRehearsal) {
        rehearse([] { drawScrollerText(0); });
    } else if (step == kFirstRehearsal + 1) {
        rehearse([] {
            drawScrollerBands();
            drawScrollerSprites(0);
        });
    } else if (slideTransition && textures) {
        // Half-way through a wipe of a slide into itself, on a clock of its own.
        SlideTransition wipe = *slideTransition;
        wipe.duration = 2.5f;
        wipe.remaining = 1.25f;
        wipe.fromTexture = wipe.toTexture = slotTexture(kSlotFirstSlide);
        rehearse([&] { wipe.drawFrame(false); });
    }
    return true;
}
