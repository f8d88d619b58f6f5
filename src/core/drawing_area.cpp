#include "core/drawing_area.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <SDL/SDL_opengl.h>

namespace {

// The drawable: its size, where the 800 x 600 space lies on it, and how
// frames are drawn there.
DrawingArea area;
int drawableWidth = 800, drawableHeight = 600;
DrawingPath path;

// The drawable's column where x of the 800 x 600 space falls, and its row
// (from the bottom) where y (from the top) falls; at 800 x 600 both are the
// identity. Rounded to the nearest pixel edge, so that a pixel belongs to a
// rectangle when its centre lies in it.
int columnAt(int x) { return area.x + static_cast<int>((static_cast<long long>(x) * area.width + 400) / 800); }
int rowAt(int y) {
    return area.y + area.height - static_cast<int>((static_cast<long long>(y) * area.height + 300) / 600);
}

}  // namespace

DrawingArea drawingAreaFor(int width, int height) {
    DrawingArea a;
    if (width <= 0 || height <= 0) {
        a.width = a.height = 0;
        return a;
    }
    // 4:3 held as closely as whole pixels allow: the full height where the
    // drawable is wider than 4:3, the full width where it is taller.
    if (static_cast<long long>(width) * 3 >= static_cast<long long>(height) * 4) {
        a.height = height;
        a.width = std::min(width, static_cast<int>((static_cast<long long>(height) * 4 + 1) / 3));
    } else {
        a.width = width;
        a.height = std::min(height, static_cast<int>((static_cast<long long>(width) * 3 + 2) / 4));
    }
    a.x = (width - a.width) / 2;
    a.y = (height - a.height) / 2;
    return a;
}

void setDrawable(int width, int height) {
    drawableWidth = width;
    drawableHeight = height;
    area = drawingAreaFor(width, height);
    glViewport(area.x, area.y, area.width, area.height);
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
}

const DrawingArea& drawingArea() { return area; }

void drawableToShow(int px, int py, int& x, int& y) {
    if (area.width <= 0 || area.height <= 0) {
        x = px;
        y = py;
        return;
    }
    // The pixel's centre, taken into the space and floored: at 800 x 600 the
    // identity, elsewhere the point of the space under the pixel's middle.
    const int top = drawableHeight - (area.y + area.height);
    x = static_cast<int>(std::floor((px - area.x + 0.5) * 800.0 / area.width));
    y = static_cast<int>(std::floor((py - top + 0.5) * 600.0 / area.height));
}

bool scissorToShowRect(int x0, int y0, int x1, int y1) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, 800);
    y1 = std::min(y1, 600);
    if (x0 >= x1 || y0 >= y1) return false;
    const int left = columnAt(x0), right = columnAt(x1);
    const int bottom = rowAt(y1), top = rowAt(y0);
    glScissor(left, bottom, right - left, top - bottom);
    return true;
}

void clearBars() {
    if (area.x == 0 && area.y == 0 && area.width == drawableWidth && area.height == drawableHeight) return;
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 0);
    const auto clear = [](int x, int y, int w, int h) {
        if (w <= 0 || h <= 0) return;
        glScissor(x, y, w, h);
        glClear(GL_COLOR_BUFFER_BIT);
    };
    const int right = area.x + area.width, top = area.y + area.height;
    clear(0, 0, area.x, drawableHeight);                                  // left
    clear(right, 0, drawableWidth - right, drawableHeight);               // right
    clear(area.x, 0, area.width, area.y);                                 // below
    clear(area.x, top, area.width, drawableHeight - top);                 // above
    glPopAttrib();
}

void decideDrawingPath() {
    GLint stencilBits = 0, framebuffer = 0, largest = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
#ifdef GL_FRAMEBUFFER_BINDING_EXT
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
#endif
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    path.stencil = stencilBits >= 8;
    path.offscreen = framebuffer != 0;
    path.largestTexture = largest;
#ifdef __EMSCRIPTEN__
    path.anySizeTextures = true;
#else
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    path.anySizeTextures = (version && version[0] >= '2' && version[0] <= '9') ||
                           (extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two"));
#endif
}

float showScale(const DrawingArea& area) { return static_cast<float>(area.height) / 600.0f; }

const DrawingPath& drawingPath() { return path; }

void setPictureCopies(PictureCopies* copies) { path.copies = copies; }
