#include "slides/transition.h"

#include <SDL/SDL_opengl.h>

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

bool SlideTransition::drawVariant(bool centred) {
    remaining = remaining - frameTimer->deltaSeconds;
    if (!(remaining > 0)) {
        remaining = 0;
        return false;
    }

    // The picture being left covers the whole screen.
    glBindTexture(GL_TEXTURE_2D, fromTexture);
    glColor3f(1, 1, 1);
    drawFullscreenQuad();

    // The new picture shows inside the wavy disc, textured by screen position
    // so it lines up with its own full-screen quad.
    const TransitionShape shape = transitionShape(remaining, duration, centreJitter, centred);
    Vector3 outline[kTransitionMaxVertices];
    const int n = transitionOutline(shape, outline);

    glColor3f(1, 1, 1);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, toTexture);
    glBegin(GL_POLYGON);
    for (int i = 0; i < n; ++i) {
        const Vector3& p = outline[i];
        glTexCoord2f(p.x / 800, p.y / 600);
        glVertex3f(p.x, p.y, 0);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_2D);
    return true;
}
