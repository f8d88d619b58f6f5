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

// How many drawable pixels a unit of the 800 x 600 space covers in that area.
// Above one the show is drawn finer: its pictures from the finer data set
// where the plain files would be magnified, its letters from the font at the
// larger size.
float showScale(const DrawingArea& area);

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

// Copies of baked full-screen pictures in the drawable's own layout, which a
// frame copies in rather than drawing the picture's quad. Only the recorder
// keeps them (record/picture_copies.h): drawing into its framebuffer object
// that is a plain memory copy, where a window's buffer would cost as much as
// the quad.
class PictureCopies {
public:
    virtual ~PictureCopies() = default;
    // Takes copy (a texture of the picture's pixels in the buffer's layout,
    // drawn for the viewport place) as the copy of the baked texture; false
    // when it does not, and the caller keeps it.
    virtual bool keep(unsigned int baked, unsigned int copy, const int place[4]) = 0;
    // Copies the picture into the frame where it has a copy; false, with
    // nothing done, otherwise. Called where the picture is drawn whole, with
    // nothing switched on that a quad would heed and a copy would not (the
    // scissor, the stencil test, a colour mask).
    virtual bool draw(unsigned int picture) = 0;
    // The baked texture is about to be deleted: so is its copy.
    virtual void drop(unsigned int baked) = 0;
};

// How frames are drawn on this drawable, decided once when the show's GL
// state is set up (in the window, or in the recorder's framebuffer object),
// from what the GL offers there. The drawing code reads it rather than
// asking the GL every frame.
struct DrawingPath {
    // Eight stencil bits: the slide wipe marks its disc there and shades each
    // picture once, where it shows; without them it draws the disc over the
    // picture being left (the same pixels, for more work).
    bool stencil = false;
    // Frames go into a framebuffer object, whose RGBA8 buffer keeps its
    // pixels RGBA; a window's keep them BGRA. A bake reads back in that layout.
    bool offscreen = false;
    // The largest side of a texture: a bake needs one of the drawable's size.
    int largestTexture = 0;
    // Textures of any size (clamped at their edges, without mipmaps): GL 2.0
    // and WebGL have them. A finer picture is kept at its own size there, and
    // elsewhere at the powers of two at or above it.
    bool anySizeTextures = false;
    // The recorder's picture copies; null elsewhere.
    PictureCopies* copies = nullptr;
};

// Reads what the current GL context offers into the drawing path; the
// picture copies stay those setPictureCopies gave (none until then).
void decideDrawingPath();
const DrawingPath& drawingPath();
// The recorder's copies in the drawing path; null for none.
void setPictureCopies(PictureCopies* copies);
