#include "slides/transition.h"

#include <algorithm>
#include <cmath>

#include <SDL/SDL_opengl.h>

#include "core/drawing_area.h"
#include "gfx/quad.h"
#include "math/curves.h"
#include "core/frame_timer.h"
#include "core/globals.h"

void SlideTransition::start(float newDuration, unsigned int from, unsigned int to) {
    duration = newDuration;
    remaining = newDuration;
    fromTexture = from;
    toTexture = to;
    centreJitter = random01() * 10;
}

bool SlideTransition::draw() { return drawVariant(false); }
bool SlideTransition::drawCentred() { return drawVariant(true); }

int transitionRadius(float remaining, float duration) {
    const float progress = 1 - ramp(remaining, 0, duration);
    return static_cast<int>(progress * 680);
}

Vector3 transitionCentre(float centreJitter, bool centred) {
    if (centred) return Vector3(400, 300, 0);
    // A point on the diagonal through the screen centre, up to 175 px either way.
    const float offset = (5 - centreJitter) * 35;
    return Vector3(400 - offset, 300 - offset, 0);
}

TransitionShape transitionShape(float remaining, float duration, float centreJitter, bool centred) {
    TransitionShape shape;
    shape.vertexCount = centred ? 65 : 250;
    shape.rimFrequency = centred ? 20 : 10;
    shape.rimAmplitude = centred ? 24.5f : 104.5f;
    shape.centre = transitionCentre(centreJitter, centred);
    shape.radius = transitionRadius(remaining, duration);
    return shape;
}

int transitionOutline(const TransitionShape& shape, Vector3 out[kTransitionMaxVertices]) {
    const int n = shape.vertexCount;
    const float radius = static_cast<float>(shape.radius);
    for (int i = 0; i < n; ++i) {
        // The angle runs over the full turn, so the last vertex meets the first.
        const float a = static_cast<float>(i * 6.283184 / (n - 1));
        Vector3 p = shape.centre + Vector3(fsin(a), fcos(a), 0) * radius;
        const float wave = a * static_cast<float>(shape.rimFrequency);
        p.x = static_cast<float>(p.x + static_cast<double>(fsin(wave)) * shape.rimAmplitude);
        p.y = static_cast<float>(p.y + static_cast<double>(fcos(wave)) * shape.rimAmplitude);
        out[i] = p;
    }
    return n;
}

void SlideTransition::stop() { remaining = -1.0f; }

bool SlideTransition::advance() {
    remaining = remaining - frameTimer->deltaSeconds;
    if (!(remaining > 0)) {
        remaining = 0;
        return false;
    }
    return true;
}

bool SlideTransition::drawVariant(bool centred) {
    if (!advance()) return false;
    drawFrame(centred);
    return true;
}

WipeHole wipeHole(const TransitionShape& shape) {
    WipeHole hole;
    const float radius = static_cast<float>(shape.radius);
    const float amplitude = shape.rimAmplitude;
    if (!(radius > amplitude)) return hole;
    // Seen from the centre, one edge of the outline turns by at most this
    // angle: the step along the circle plus the fastest turn of the rim's
    // waves, over the nearest the outline comes.
    const float step = static_cast<float>(6.283184 / (shape.vertexCount - 1));
    const float turn = step * (radius + amplitude * static_cast<float>(shape.rimFrequency)) / (radius - amplitude);
    if (!(turn < 2.0f)) return hole;
    // Every edge stays this far from the centre, so the outline winds once
    // around the disc inside it, and every pixel there is drawn by the wipe.
    // Two pixels are kept back for rounding.
    const float inner = (radius - amplitude) * std::cos(turn / 2) - 2;
    const float half = inner * 0.7071f;
    if (!(half > 1)) return hole;
    hole.x0 = static_cast<int>(std::ceil(shape.centre.x - half));
    hole.y0 = static_cast<int>(std::ceil(shape.centre.y - half));
    hole.x1 = static_cast<int>(std::floor(shape.centre.x + half));
    hole.y1 = static_cast<int>(std::floor(shape.centre.y + half));
    return hole;
}

namespace {

// Sets the scissor to [x0, x1) x [y0, y1) of the 800 x 600 screen (y
// downwards), wherever on the drawable that lies; false if that is empty.
bool scissorTo(int x0, int y0, int x1, int y1) { return scissorToShowRect(x0, y0, x1, y1); }

// Calls draw() once for each of the four rectangles that together make the
// screen outside the hole, with the scissor set to it.
template <class Draw>
void drawAroundHole(const WipeHole& hole, Draw draw) {
    if (scissorTo(0, 0, 800, hole.y0)) draw();
    if (scissorTo(0, hole.y1, 800, 600)) draw();
    if (scissorTo(0, hole.y0, hole.x0, hole.y1)) draw();
    if (scissorTo(hole.x1, hole.y0, 800, hole.y1)) draw();
}

void drawOutline(const Vector3* outline, int n) {
    glBegin(GL_POLYGON);
    for (int i = 0; i < n; ++i) {
        const Vector3& p = outline[i];
        glTexCoord2f(p.x / 800, p.y / 600);
        glVertex3f(p.x, p.y, 0);
    }
    glEnd();
}

// Clears the whole stencil buffer (a mark left anywhere would count when its
// value comes round again), whatever the scissor.
void clearStencil() {
    const GLboolean scissored = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
    if (scissored) glEnable(GL_SCISSOR_TEST);
}

}  // namespace

namespace {

// Everywhere outside the hole, or everywhere when there is none: the frame's
// drawing goes there, the hole gets the new picture's own quad.
template <class Draw>
void aroundHoleOf(const WipeHole& hole, Draw draw) {
    if (hole.x0 < hole.x1 && hole.y0 < hole.y1)
        drawAroundHole(hole, draw);
    else
        draw();
}

}  // namespace

void SlideTransition::drawThroughStencil(const WipeHole& hole, const Vector3* outline, int n) {
    // The disc's long thin triangles cost most where they overlap most, so
    // they only mark the stencil, and each picture is shaded once, where it
    // shows, by its own full-screen quad. Each frame marks with the next
    // value, so that what earlier frames left never counts.
    if (++stencilMark > 255) stencilMark = 1;
    if (stencilMark == 1) clearStencil();
    glEnable(GL_STENCIL_TEST);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glStencilFunc(GL_ALWAYS, stencilMark, 0xff);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    aroundHoleOf(hole, [&] { drawOutline(outline, n); });
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_NOTEQUAL, stencilMark, 0xff);
    glBindTexture(GL_TEXTURE_2D, fromTexture);
    aroundHoleOf(hole, [] { drawFullscreenQuad(); });
    glStencilFunc(GL_EQUAL, stencilMark, 0xff);
    glBindTexture(GL_TEXTURE_2D, toTexture);
    aroundHoleOf(hole, [] { drawFullscreenQuad(); });
    glDisable(GL_STENCIL_TEST);
}

void SlideTransition::drawDiscOver(const WipeHole& hole, const Vector3* outline, int n) {
    // The picture being left, then the disc over it. The whole quad and the
    // whole outline are drawn each time, cut by the scissor, so every pixel
    // gets what they would give it.
    glBindTexture(GL_TEXTURE_2D, fromTexture);
    aroundHoleOf(hole, [] { drawFullscreenQuad(); });
    glBindTexture(GL_TEXTURE_2D, toTexture);
    aroundHoleOf(hole, [&] { drawOutline(outline, n); });
}

void SlideTransition::drawFrame(bool centred) {
    const TransitionShape shape = transitionShape(remaining, duration, centreJitter, centred);
    Vector3 outline[kTransitionMaxVertices];
    const int n = transitionOutline(shape, outline);
    const WipeHole hole = wipeHole(shape);
    const bool hasHole = hole.x0 < hole.x1 && hole.y0 < hole.y1;

    // Both pictures are opaque and shown as they are: no blending is needed,
    // and the texture replaces the colour (the same pixels as multiplying by
    // white, for less work). The new picture shows inside the wavy disc,
    // textured by screen position so that it lines up with its own
    // full-screen quad.
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    GLint envMode = GL_MODULATE;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (hasHole) glEnable(GL_SCISSOR_TEST);
    // The drawing path says whether the drawable has a stencil buffer (the
    // window and the recorder's framebuffer ask for one); both ways give the
    // same pixels.
    if (useStencil && drawingPath().stencil)
        drawThroughStencil(hole, outline, n);
    else
        drawDiscOver(hole, outline, n);
    if (hasHole) {
        // The disc is sure to cover the hole: there the new picture's own
        // quad, which gives the same picture as the disc, is all there is.
        glBindTexture(GL_TEXTURE_2D, toTexture);
        scissorTo(hole.x0, hole.y0, hole.x1, hole.y1);
        drawFullscreenQuad();
        glDisable(GL_SCISSOR_TEST);
    }
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, envMode);
}
