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
// Scroller's background), whose bakes offer their first half as a copy to
// the drawing path's picture copies (the recorder's only).
bool keepsCopy(int slot) {
    return (kSlotFirstSlide <= slot && slot <= kSlotLastSlide) || slot == kSlotScrollerBackground;
}

// The bake under way, between its two halves and its bands.
FullscreenBake bake;

// Each stage's step i; false while the step needs another call.

// Making a glyph writes into the atlas; once the atlas is drawn from within
// a frame, every such write has to wait for that drawing.
bool makeGlyphs(int i) {
    if (!glyphFont) return true;
    const int perStep = (kLastGlyph - kFirstGlyph) / kGlyphSteps + 1;
    for (int ch = kFirstGlyph + i * perStep; ch < kFirstGlyph + (i + 1) * perStep && ch <= kLastGlyph; ++ch)
        glyphFont->makeGlyph(static_cast<char>(ch));
    return true;
}

// The full-screen pictures, a half of one a step; each takes its place in
// the table once whole. On a drawable larger than 800 x 600 a half takes a
// few calls, a band of rows each, so that no frame pays for a whole one: the
// Intro's worst frame at 1440 x 1080 was 14.8 and 18.7 ms with the bands,
// 21.4 and 20.6 without (two alternating pairs).
bool bakePicture(int i) {
    if (!textures) return true;
    const int slot = i / 2;
    if (i % 2 == 0) return bake.drawPart(slotTexture(slot));
    unsigned int baked = 0;
    if (!bake.finishPart(baked, keepsCopy(slot))) return false;
    if (baked) {
        GLuint picture = slotTexture(slot);
        glDeleteTextures(1, &picture);
        textures[slot] = static_cast<int>(baked);
    }
    return true;
}

// After the bakes, so that these draw with the pictures the frames will.
// The Scroller's worst frame, two alternating pairs: at 800 x 600 4.9 and
// 5.0 ms with the rehearsals, 10.0 and 8.3 without; at 1440 x 1080 13.1 and
// 15.2 with, 13.9 and 17.5 without.
bool rehearseScroller(int i) {
    if (i == 0) {
        rehearse([] { drawScrollerText(0); });
    } else {
        rehearse([] {
            drawScrollerBands();
            drawScrollerSprites(0);
        });
    }
    return true;
}

// Half-way through a wipe of a slide into itself, on a clock of its own; the
// stencil mark it takes is the show's wipe's too.
bool rehearseWipe(int) {
    if (!slideTransition || !textures) return true;
    SlideTransition wipe = *slideTransition;
    wipe.duration = 2.5f;
    wipe.remaining = 1.25f;
    wipe.fromTexture = wipe.toTexture = slotTexture(kSlotFirstSlide);
    rehearse([&] { wipe.drawFrame(false); });
    slideTransition->stencilMark = wipe.stencilMark;
    return true;
}

struct Stage {
    const char* what;
    int steps;
    bool (*step)(int i);
};
constexpr Stage kStages[] = {
    {"the Scroller's glyphs", kGlyphSteps, makeGlyphs},
    {"the full-screen pictures' bakes", 2 * kBakedPictures, bakePicture},
    {"the Scroller's layers, rehearsed", 2, rehearseScroller},
    {"a wipe, rehearsed", 1, rehearseWipe},
};

constexpr int stepsOfAllStages() {
    int steps = 0;
    for (const Stage& stage : kStages) steps += stage.steps;
    return steps;
}
static_assert(stepsOfAllStages() == kPreparationSteps, "every stage's steps are counted");

}  // namespace

int preparationSteps = 0;

void restartPreparation() {
    preparationSteps = 0;
    bake.forget();
}

bool prepareAheadStep() {
    int first = 0;
    for (const Stage& stage : kStages) {
        if (preparationSteps < first + stage.steps) {
            if (stage.step(preparationSteps - first)) ++preparationSteps;
            return true;
        }
        first += stage.steps;
    }
    return false;
}
