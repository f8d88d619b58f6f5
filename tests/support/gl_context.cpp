#include "support/gl_context.h"

#include <cstdlib>
#include <cstdio>
#include <vector>

#include <SDL/SDL_opengl.h>

#include "core/drawing_area.h"
#include "gfx/textures.h"
#include "gfx/window.h"

void ensureGlWindow() {
    static bool open = false;
    if (open) return;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    drawWindowDirectly(false);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "test window: SDL_Init failed: %s\n", SDL_GetError());
        std::abort();
    }
    setVideoMode("Mijotine test", 800, 600, false);
    if (!SDL_GetVideoSurface()) {
        std::fprintf(stderr, "test window: no video mode: %s\n", SDL_GetError());
        std::abort();
    }
    initGl(800, 600);
    decideDrawingPath();
    pushOrtho2D(800, 600);
    open = true;
}

std::array<uint8_t, 3> readPixel(int x, int y) {
    unsigned char px[4] = {0, 0, 0, 0};
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, 599 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return {px[0], px[1], px[2]};
}

std::vector<unsigned char> readScreen() {
    std::vector<unsigned char> px(800 * 600 * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

void resetGlFrame() {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
}

unsigned int solidTexture(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> px(16 * 16 * 4);
    for (size_t i = 0; i < px.size(); i += 4) {
        px[i] = r;
        px[i + 1] = g;
        px[i + 2] = b;
        px[i + 3] = a;
    }
    GLuint t = 0;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return t;
}

unsigned int noisePicture() {
    PreparedPicture picture;
    picture.width = 1024;
    picture.height = 512;
    picture.format = GL_RGBA;
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    std::srand(11);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = i % 4 == 3 ? 255 : static_cast<unsigned char>(std::rand());
    return static_cast<unsigned int>(uploadPicture(picture));
}
