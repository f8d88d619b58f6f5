#pragma once
// Where on the drawable the show's 800 x 600 space lies.
//
// Every frame is drawn in the 800 x 600 space; a drawable of any other size
// (a full screen, a recording at 1440 x 1080, a canvas on a dense screen)
// shows it finer in its largest centred 4:3 area, with black bars beside or
// above and below it. Whatever works in pixels rather than through the
// projection (the scissor, the pointer) goes through here, so that the
// picture is the same at every size, only drawn with more or fewer pixels.

// A rectangle of drawable pixels, x from the left, y from the bottom (as GL
// counts them).
struct DrawingArea {
    int x = 0, y = 0, width = 800, height = 600;
};

// The largest 4:3 area centred in a drawable of that size.
DrawingArea drawingAreaFor(int drawableWidth, int drawableHeight);

// The drawable is now width x height pixels: the viewport goes to its area
// and the whole drawable is cleared to black. Needs a current GL context;
// call it once the context exists and again whenever the drawable changes
// size. Until the first call the drawable is taken to be 800 x 600.
void setDrawable(int width, int height);
const DrawingArea& drawingArea();

// A pointer position in drawable pixels (from the top left, as SDL gives it)
// as a point of the 800 x 600 space; outside the area it lies outside 0..800
// or 0..600, as a pointer outside an 800 x 600 window does.
void drawableToShow(int px, int py, int& x, int& y);

// The scissor around the rectangle [x0, x1) x [y0, y1) of the 800 x 600
// space (y downwards), clipped to it; false, with the scissor unchanged, when
// that is empty. Neighbouring rectangles meet without a gap or an overlap.
bool scissorToShowRect(int x0, int y0, int x1, int y1);

// Blackens whatever of the drawable lies outside the area, for a frame that
// draws only inside it; nothing when the area is the whole drawable.
void clearBars();
