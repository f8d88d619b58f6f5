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
    // The same two halves a band of rows a call, for frames that can pay for
    // only a part of a half: a viewport of up to 800 x 600 pixels is one band,
    // a larger one as many as keep each band to about that many pixels. Each
    // call's band must come before whatever covers it in the same frame.
    // drawPart starts a bake with its first call and is true once the first
    // half is whole (or there is nothing to bake); finishPart is then true
    // once the second is, with the baked texture (or 0, as finish gives it).
    bool drawPart(unsigned int picture);
    bool finishPart(unsigned int& baked, bool keepCopy = false);
    // Lets go of a bake under way without deleting its textures: for a GL
    // context that is gone, and its names with it.
    void forget();

private:
    unsigned int drawn_ = 0;  // the first half's texture, bottom row first
    unsigned int upright_ = 0;  // the second half's, while it is drawn in bands
    int viewport_[4] = {0, 0, 0, 0};  // where the first half was drawn
    int row_ = 0;  // the next band's first row (from the bottom); 0: none under way
    bool start(unsigned int picture);
    bool viewportUnchanged() const;
    // Draws source into rows [row0, row0 + rows) of target, as drawn_ is drawn.
    void copyRows(unsigned int target, unsigned int source, int row0, int rows);
    // The same for the next band from row_; true once it was the last (row_ back to 0).
    bool copyBand(unsigned int target, unsigned int source);
    // The finished upright texture, with drawn_ kept as its copy or deleted.
    unsigned int finished(unsigned int upright, bool keepCopy);
};
