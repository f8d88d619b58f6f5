#include "gfx/quad.h"

#include <SDL/SDL_opengl.h>

#include "core/drawing_area.h"

bool drawTexturedQuad(const Rect& dest, unsigned int texture, const Rect& src, float angle, float scale,
                      float z) {
    return drawTexturedQuadPart(dest, texture, src, src, angle, scale, z);
}

bool drawTexturedQuadPart(const Rect& dest, unsigned int texture, const Rect& src, const Rect& part, float angle,
                          float scale, float z) {
    glPushMatrix();
    const int hw = dest.w() / 2;
    const int hh = dest.h() / 2;
    glTranslatef(static_cast<float>(dest.x() + hw), static_cast<float>(dest.y() + hh), 0);
    glScalef(scale, scale, scale);
    // y points down, so positive angles turn clockwise on screen.
    glRotatef(angle, 0, 0, 1);

    // Source rectangles are always in units of a 512 x 512 texture. The part's
    // edges sit where they fall within the whole quad: for the whole of src
    // these are its corners, -hw .. hw and -hh .. hh, exactly.
    const float s0 = static_cast<float>(part.x()) / 512;
    const float t0 = static_cast<float>(part.y()) / 512;
    const float s1 = static_cast<float>(part.x() + part.w()) / 512;
    const float t1 = static_cast<float>(part.y() + part.h()) / 512;
    const auto across = [](int edge, int from, int size, int half) {
        if (edge == from) return static_cast<float>(-half);
        if (edge == from + size || size == 0) return static_cast<float>(half);
        return static_cast<float>(-half) +
               static_cast<float>(2 * half) * static_cast<float>(edge - from) / static_cast<float>(size);
    };
    const float x0 = across(part.x(), src.x(), src.w(), hw);
    const float x1 = across(part.x() + part.w(), src.x(), src.w(), hw);
    const float y0 = across(part.y(), src.y(), src.h(), hh);
    const float y1 = across(part.y() + part.h(), src.y(), src.h(), hh);
    const float zf = static_cast<float>(static_cast<int>(z));

    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);

    glBegin(GL_QUADS);
    glTexCoord2f(s1, t0);
    glVertex3f(x1, y0, zf);
    glTexCoord2f(s0, t0);
    glVertex3f(x0, y0, zf);
    glTexCoord2f(s0, t1);
    glVertex3f(x0, y1, zf);
    glTexCoord2f(s1, t1);
    glVertex3f(x1, y1, zf);
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

void drawPictureFullscreen(unsigned int picture) {
    PictureCopies* copies = drawingPath().copies;
    if (copies && copies->draw(picture)) return;
    glBindTexture(GL_TEXTURE_2D, picture);
    GLint mode = GL_MODULATE;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawOpaqueFullscreenQuad();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, mode);
}
