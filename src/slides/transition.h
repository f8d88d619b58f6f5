#pragma once
// Wipes one full-screen picture into another through a growing disc with a wavy rim.

#include "math/vector3.h"

struct WipeHole;

class SlideTransition {
public:
    float duration = -1;       // seconds; -1 until the first start
    float remaining = -1;      // seconds left; <= 0 means idle
    unsigned int fromTexture = 0;
    unsigned int toTexture = 0;
    float centreJitter = 0;    // in [0, 9.999], places the centre of draw()
    // Whether a frame may mark the disc in the stencil buffer, where the
    // drawing path has one, and shade each picture only where it shows.
    bool useStencil = true;
    // The stencil value the last frame marked its disc with; 0 before the
    // first, whose frame clears the buffer.
    int stencilMark = 0;

    void start(float duration, unsigned int from, unsigned int to);
    // Idle at once: no wipe is drawn until the next start.
    void stop();
    // The slideshow variant: random centre on the diagonal, 250 vertices.
    bool draw();
    // The outro variant: centred, 65 vertices.
    bool drawCentred();
    // Both of the above are advance() and then, while it runs, drawFrame().
    // Moves the clock on by the frame's time; true while the wipe still runs,
    // that is while its frame covers the whole screen.
    bool advance();
    // The wipe at the clock as it stands: the picture being left, with the
    // new one inside the disc. Leaves blending off.
    void drawFrame(bool centred);

private:
    bool drawVariant(bool centred);
    // drawFrame's two ways, everywhere outside the hole (WipeHole below).
    void drawThroughStencil(const WipeHole& hole, const Vector3* outline, int n);
    void drawDiscOver(const WipeHole& hole, const Vector3* outline, int n);
};

// The geometry of one frame of a transition, computed without GL so that it
// can be checked on its own.
constexpr int kTransitionMaxVertices = 250;

struct TransitionShape {
    int vertexCount;  // 250 for the slideshow variant, 65 centred
    int rimFrequency; // waves of the rim per turn: 10 or 20
    float rimAmplitude;  // pixels: 104.5 or 24.5
    Vector3 centre;
    int radius;       // whole pixels, 0 at the start, below 680 at the end
};

// Radius of the disc for the time left of a transition of the given length.
int transitionRadius(float remaining, float duration);
// Centre of the disc: on the screen diagonal for the slideshow variant, the
// screen centre for the centred one.
Vector3 transitionCentre(float centreJitter, bool centred);
TransitionShape transitionShape(float remaining, float duration, float centreJitter, bool centred);
// Fills out[0 .. vertexCount-1] with the outline in drawing order (the last
// vertex closes onto the first) and returns the vertex count.
int transitionOutline(const TransitionShape& shape, Vector3 out[kTransitionMaxVertices]);

// A screen rectangle [x0, x1) x [y0, y1) (y downwards) whose every pixel the
// disc of this shape draws over; empty (x0 == x1) while the disc is too small
// or too wavy to be sure of any.
struct WipeHole {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
WipeHole wipeHole(const TransitionShape& shape);
