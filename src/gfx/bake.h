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
// A bake takes two halves, so that a frame pays for only one of them: the
// picture drawn as a frame draws it and read back, which lands bottom row
// first, then that drawn texel for texel and read back the right way up. Both
// draw into the buffer the frames are drawn into, which is the only way to
// get its pixels exactly (a framebuffer of another kind, or the other way up,
// rounds some of them differently), so each half must come before whatever
// covers the whole of it in the same frame.
//
// A bake asked to keep its first half offers it to the drawing path's picture
// copies (core/drawing_area.h), the recorder's, as the upright texture's copy.

class FullscreenBake {
public:
    // First half: draws the picture (a GL texture name) into a texture of the
    // viewport's size. False, with nothing changed, for no picture or an
    // empty or oversized viewport.
    bool draw(unsigned int picture);
    // Second half: the baked texture, right way up, to be drawn in place of
    // the picture; 0 if there is no first half, or the viewport has changed
    // since it was drawn. keepCopy: the first half is offered as its copy.
    unsigned int finish(bool keepCopy = false);
    // Lets go of a bake under way without deleting its textures: for a GL
    // context that is gone, and its names with it.
    void forget();

private:
    unsigned int drawn_ = 0;  // the first half's texture, bottom row first
    int viewport_[4] = {0, 0, 0, 0};  // where the first half was drawn
    bool viewportUnchanged() const;
    // Draws source over the viewport into target, as drawn_ is drawn.
    void copyInto(unsigned int target, unsigned int source);
};
