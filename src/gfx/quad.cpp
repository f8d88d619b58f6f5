#include "gfx/quad.h"

#include <SDL/SDL_opengl.h>

bool drawTexturedQuad(const Rect& dest, unsigned int texture, const Rect& src, float angle, float scale,
                      float z) {
    glPushMatrix();
    const int hw = dest.w() / 2;
    const int hh = dest.h() / 2;
    glTranslatef(static_cast<float>(dest.x() + hw), static_cast<float>(dest.y() + hh), 0);
    glScalef(scale, scale, scale);
    // y points down, so positive angles turn clockwise on screen.
    glRotatef(angle, 0, 0, 1);

    // Source rectangles are always in units of a 512 x 512 texture.
    const float s0 = static_cast<float>(src.x()) / 512;
    const float t0 = static_cast<float>(src.y()) / 512;
    const float s1 = static_cast<float>(src.x() + src.w()) / 512;
    const float t1 = static_cast<float>(src.y() + src.h()) / 512;

    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);

    const int zi = static_cast<int>(z);
    glBegin(GL_QUADS);
    glTexCoord2f(s1, t0);
    glVertex3i(hw, -hh, zi);
    glTexCoord2f(s0, t0);
    glVertex3i(-hw, -hh, zi);
    glTexCoord2f(s0, t1);
    glVertex3i(-hw, hh, zi);
    glTexCoord2f(s1, t1);
    glVertex3i(hw, hh, zi);
    glEnd();
    glPopMatrix();
    return true;
}

void drawFullscreenQuad() {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(800, 0);
    glTexCoord2f(1, 1);
    glVertex2f(800, 600);
    glTexCoord2f(0, 1);
    glVertex2f(0, 600);
    glEnd();
}

void drawOpaqueFullscreenQuad() {
    const bool blending = glIsEnabled(GL_BLEND);
    if (blending) glDisable(GL_BLEND);
    drawFullscreenQuad();
    if (blending) glEnable(GL_BLEND);
}
