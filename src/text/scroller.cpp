#include "text/scroller.h"

#include <cmath>

#include <SDL/SDL_opengl.h>

#include "core/drawing_area.h"
#include "gfx/window.h"
#include "math/curves.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "text/glyph_font.h"

namespace {

// Pixels per scroll unit. Kept in single precision on purpose: the float
// value lies a hair below 0.02, so a line changes over just after each
// multiple of 1500 units rather than exactly at it.
constexpr float kPixelsPerUnit = 0.02f;

constexpr int kLinesInWindow = 11;
constexpr int kTextLeft = 60;

// The float shift of all lines at a scroll position.
float scrollShift(float position) {
    return static_cast<float>(-static_cast<double>(position) * static_cast<double>(kPixelsPerUnit));
}

// One fade band across the screen, from y0 down to y1, with the texture's rows
// t0 and t1 and alphas a0 and a1 at its edges. Every vertex names its colour:
// the browser's GL emulation keeps no current colour within a primitive.
void drawFadeBand(float y0, float t0, float a0, float y1, float t1, float a1) {
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, a0);
    glTexCoord2f(0, t0);
    glVertex2f(0, y0);
    glColor4f(1, 1, 1, a0);
    glTexCoord2f(1, t0);
    glVertex2f(800, y0);
    glColor4f(1, 1, 1, a1);
    glTexCoord2f(1, t1);
    glVertex2f(800, y1);
    glColor4f(1, 1, 1, a1);
    glTexCoord2f(0, t1);
    glVertex2f(0, y1);
    glEnd();
}

}  // namespace

Vector3 sphericalPoint(float r, float theta, float phi) {
    const float sinTheta = static_cast<float>(std::sin(static_cast<double>(theta)));
    const float cosTheta = static_cast<float>(std::cos(static_cast<double>(theta)));
    const float sinPhi = static_cast<float>(std::sin(static_cast<double>(phi)));
    const float cosPhi = static_cast<float>(std::cos(static_cast<double>(phi)));
    return Vector3(r * sinTheta * cosPhi, r * sinTheta * sinPhi, r * cosTheta);
}

void billboardAxes(Vector3& right, Vector3& up, Vector3& forward) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Rows of the rotation part: the eye's axes in the current object space.
    right = Vector3(m[0], m[4], m[8]);
    up = Vector3(m[1], m[5], m[9]);
    forward = Vector3(m[2], m[6], m[10]);
}

void drawBillboard(const Vector3& centre, const Vector3& right, const Vector3& up, const Vector3& /*forward*/,
                   float h) {
    const Vector3 corners[4] = {
        centre - right * h - up * h,
        centre + right * h - up * h,
        centre + right * h + up * h,
        centre - right * h + up * h,
    };
    // The sprite's cell in the atlas; t grows downwards in the picture, so
    // the lower corners take the larger t.
    const float texCoords[4][2] = {{0.875f, 0.624f}, {1.0f, 0.624f}, {1.0f, 0.5f}, {0.875f, 0.5f}};
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        const float v[3] = {corners[k].x, corners[k].y, corners[k].z};
        glTexCoord2f(texCoords[k][0], texCoords[k][1]);
        glVertex3fv(v);
    }
    glEnd();
}

LineWindow scrollLineWindow(float position) {
    int first = static_cast<int>(static_cast<double>(position) * static_cast<double>(kPixelsPerUnit) / 30);
    if (first < 0) first = 0;
    int last = first + kLinesInWindow;
    if (last > kScrollLineCount) last = kScrollLineCount;
    return LineWindow{first, last};
}

int scrollLineY(int i, float position) {
    const float top = static_cast<float>(300 + 30 * i) + scrollShift(position);
    return static_cast<int>(top);
}

float advanceScrollPosition(float position, Uint32 deltaMs, float speed) {
    double next = static_cast<double>(position) + static_cast<double>(deltaMs) * static_cast<double>(speed);
    // The text is out of sight long before either bound; within them the
    // sprite ring's loop still steps and every conversion to int holds.
    // Past a bound the position goes back by whole turns of the ring, so it
    // turns and pulses on as if nothing happened, and the text stays away.
    if (!std::isfinite(next)) return next > 0 ? kScrollPositionLimit : -kScrollPositionLimit;
    if (next > kScrollPositionLimit) next -= kScrollPositionWrap * std::ceil((next - kScrollPositionLimit) / kScrollPositionWrap);
    if (next < -kScrollPositionLimit) next += kScrollPositionWrap * std::ceil((-kScrollPositionLimit - next) / kScrollPositionWrap);
    return static_cast<float>(next);
}

float spriteBaseAngle(float position) {
    return static_cast<float>(static_cast<double>(position) * 0.0002);
}

float spriteHalfSize(float position) {
    return static_cast<float>(fsin(static_cast<float>(static_cast<double>(position) * 0.0006)) * 0.16 + 1);
}

void drawScroller() {
    const Uint32 deltaMs = frameTimer ? frameTimer->deltaMs : 0;
    scrollPosition = advanceScrollPosition(scrollPosition, deltaMs, scrollSpeed);
    drawScrollerText(scrollPosition);
    drawScrollerBands();
    drawScrollerSprites(scrollPosition);
}

void drawScrollerText(float position) {
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);

    // The text lines that can show between y = 300 and 600, drawn only there:
    // above, the picture stands over the text window.
    glEnable(GL_SCISSOR_TEST);
    scissorToShowRect(0, 300, 800, 600);
    const LineWindow window = scrollLineWindow(position);
    for (int i = window.first; i < window.last; ++i) {
        glPushMatrix();
        const int y = scrollLineY(i, position);
        if (glyphFont) glyphFont->drawText(scrollLines[i].c_str(), kTextLeft, y);
        glPopMatrix();
    }
    glDisable(GL_SCISSOR_TEST);
}

void drawScrollerBands() {
    // Two 50-pixel bands of the background whose alpha ramps between covering
    // the text and letting it through; the texture coordinates are y / 600, so
    // they land pixel for pixel on the picture beneath.
    glBindTexture(GL_TEXTURE_2D, slotTexture(kSlotScrollerBackground));
    glEnable(GL_BLEND);
    drawFadeBand(300, 0.5f, 1, 350, 0.583f, 0);
    drawFadeBand(550, 0.916f, 0, 600, 1, 1);
}

void drawScrollerSprites(float position) {
    // The ring of glowing sprites, in the 3D projection.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, slotTexture(kSlotAtlas));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    popOrtho2D();
    glColor4f(1, 1, 1, 0.5f);
    glLoadIdentity();
    glTranslatef(0, 0, -20);
    glRotatef(90, 0, 1, 0);
    Vector3 right, up, forward;
    billboardAxes(right, up, forward);

    const float base = spriteBaseAngle(position);
    const Vector3 sphereCentre(0, 8, 11);
    const Vector3 origin(0, 0, 0);
    for (float theta = 0 + base; base + 6.28 > theta; theta = static_cast<float>(theta + 1.75)) {
        for (float phi = 0 + base; base + 6.28 > phi; phi = static_cast<float>(phi + 1.75)) {
            glPushMatrix();
            const Vector3 p = sphereCentre + sphericalPoint(7, theta, phi);
            glTranslatef(p.x, p.y, p.z);
            const float h = spriteHalfSize(position);
            drawBillboard(origin, right, up, forward, h);
            glPopMatrix();
        }
    }

    pushOrtho2D(800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(1, 1, 1);
}
