#pragma once
// Full-screen pictures drawn pixel for pixel.
//
// The show's full-screen pictures (cards, slides, the Scroller's background)
// are kept at powers of two, 1024 x 512, and every frame that shows one
// filters it down to the screen again. Baking a picture draws it once, exactly
// as a frame draws it, into a texture the size of the viewport. Sampled at its
// texel centres (nearest), that texture gives every frame the same pixels for
// about two thirds of the cost on a software renderer.
//
// A bake takes two halves, each one full-screen draw into an offscreen
// framebuffer, so that a frame pays for only one of them: the picture as a
// frame draws it, which lands bottom row first, then that copied texel for
// texel the right way up. Neither touches the screen.

class FullscreenBake {
public:
    // First half: draws the picture (a GL texture name) into a texture of the
    // viewport's size. False, with nothing changed, where this GL cannot.
    bool draw(unsigned int picture);
    // Second half: the baked texture, right way up, to be drawn in place of
    // the picture; 0 if there is no first half, or the viewport has changed
    // since it was drawn.
    unsigned int finish();
    // Lets go of a first half without deleting it: for a GL context that is
    // gone, and its names with it.
    void forget() { drawn_ = 0; }

private:
    unsigned int drawn_ = 0;  // the first half's texture, bottom row first
    int width_ = 0, height_ = 0;
};
