#include "show/buttons.h"

#include "core/data_set.h"
#include "core/globals.h"
#include "gfx/quad.h"

bool prevButtonSource(int slide, const Rect& button, int px, int py, Rect& src) {
    if (slide > kSlotFirstSlide) {
        if (!button.contains(px, py)) return false;
        src.set(384, 448, 31, 29);  // lit under the pointer
        return true;
    }
    src.set(384, 384, 31, 29);  // dimmed: there is nothing before the first slide
    return true;
}

bool nextButtonSource(int slide, const Rect& button, int px, int py, Rect& src) {
    const bool over = button.contains(px, py);
    if (slide < kSlotLastSlide) {
        if (!over) return false;
        src.set(448, 448, 31, 29);
        return true;
    }
    // On the last slide the button leaves the slideshow, and always shows it.
    if (over)
        src.set(448, 384, 31, 29);
    else
        src.set(448, 21, 31, 29);
    return true;
}

void drawButtons(int slide, const Rect& prevButton, const Rect& nextButton) {
    Rect src;
    const unsigned int atlas = slotTexture(kSlotAtlas);
    if (prevButtonSource(slide, prevButton, mouseX, mouseY, src)) drawTexturedQuad(prevButton, atlas, src, 0, 1, 0);
    if (nextButtonSource(slide, nextButton, mouseX, mouseY, src)) drawTexturedQuad(nextButton, atlas, src, 0, 1, 0);
}
