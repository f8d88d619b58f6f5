#include "gfx/window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>
#include <GL/glu.h>
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <X11/Xlib.h>
#endif

#include "core/data_set.h"

// Every diagnostic is flushed at once so that no line is lost if the process
// ends abnormally right after it.
#define SAY(...)                       \
    do {                               \
        std::printf(__VA_ARGS__);      \
        std::fflush(stdout);           \
    } while (0)

bool videoDriverShowsNothing(const char* driver, const char* requested) {
    if (requested && *requested) return false;  // the user asked for it
    if (!driver) return false;
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
namespace {
// Xlib's own handler for a lost X connection exits through the atexit
// handlers, and SDL's, talking to the lost display, then waits for ever
// (and no SIGTERM ends it). Say so and leave at once instead.
int displayLost(Display*) {
    SAY("Lost the display: the X server went away\n");
    std::_Exit(1);
}
}  // namespace
#endif

bool iconFits(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxIconSize && height <= kMaxIconSize;
}

#ifndef __EMSCRIPTEN__
namespace {
// Whether the user has set sdl12-compat's own scaling switches, which then
// decide how a full-screen show fills the screen.
bool userScaling = false;
}  // namespace
#endif

void drawWindowDirectly(bool fullscreen) {
    (void)fullscreen;
#ifndef __EMSCRIPTEN__
    userScaling = std::getenv("SDL12COMPAT_OPENGL_SCALING") || std::getenv("SDL12COMPAT_WINDOW_SCALING");
    if (userScaling) return;
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
#endif
}

void drawableSize(int& width, int& height) {
    const SDL_Surface* screen = SDL_GetVideoSurface();
    width = screen ? screen->w : 0;
    height = screen ? screen->h : 0;
}

void initWindow(const char* caption, int width, int height, bool fullscreen) {
    drawWindowDirectly(fullscreen);
    // Video alone: sound starts later with the music player, and a sound
    // system that fails must not stop the show.
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        SAY("Couldn't initialize SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    std::atexit(SDL_Quit);

    // With no display SDL falls back to a driver that shows nothing to anyone;
    // the show would then play unseen for ever.
    char driver[32] = "";
    if (videoDriverShowsNothing(SDL_VideoDriverName(driver, sizeof driver) ? driver : nullptr,
                                std::getenv("SDL_VIDEODRIVER"))) {
        SAY("Couldn't find a display: set DISPLAY to an X display (for example run under "
            "xvfb-run), or SDL_VIDEODRIVER to the video driver to use\n");
        std::exit(1);
    }
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
    if (std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(displayLost);
#endif

    // A picture much larger than a window icon would overflow the window
    // property it is sent in, which the X server refuses.
    SDL_Surface* icon = IMG_Load(dataFilePath(kFileIcon).c_str());
    if (icon && iconFits(icon->w, icon->h)) {
        SDL_WM_SetIcon(icon, NULL);
    } else {
        SAY("  Failed to load %s\n", dataFileName(kFileIcon));
    }
    SDL_FreeSurface(icon);

#ifdef _WIN32
    // The Windows entry wrapper sends both streams into files; put them back
    // on the console so the diagnostics can be seen.
    std::freopen("CON", "w", stdout);
    std::freopen("CON", "w", stderr);
#endif

    setVideoMode(caption, width, height, fullscreen);
}

void setVideoMode(const char* caption, int width, int height, bool fullscreen) {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info) {
        SAY("Couldn't get video information: %s\n", SDL_GetError());
        std::exit(1);
    }

    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    SDL_WM_SetCaption(caption, "icon");

    const int depth = info->vfmt ? info->vfmt->BitsPerPixel : 0;
    Uint32 flags = SDL_OPENGL;
    if (fullscreen) flags |= SDL_FULLSCREEN;
#ifndef __EMSCRIPTEN__
    // Full screen at the desktop's own size: no change of video mode, and a
    // frame drawn at the screen's resolution, sharp, rather than drawn at
    // 800 x 600 and stretched. Before the window opens SDL reports the
    // desktop's mode.
    if (fullscreen && !userScaling && info->current_w > 0 && info->current_h > 0) {
        width = info->current_w;
        height = info->current_h;
    }
#endif
#ifndef __EMSCRIPTEN__
    // A stencil buffer spares the slide wipe much of its work; the wipe does
    // without where there is none.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    if (SDL_SetVideoMode(width, height, depth, flags)) return;
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
#endif
    if (!SDL_SetVideoMode(width, height, depth, flags)) {
        SAY("Couldn't set video mode: %s\n", SDL_GetError());
        // Without a window and GL context there is nothing to show and every
        // GL call that follows would be made without a context.
        std::exit(1);
    }
}

void initGl(int width, int height) {
    glViewport(0, 0, width, height);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, static_cast<float>(width) / static_cast<float>(height), 10, 1500);
    glMatrixMode(GL_MODELVIEW);

    glClearColor(0, 0, 0, 0);
    glEnable(GL_TEXTURE_2D);
    // The depth test stays off: drawing order alone decides what is on top.
    glDepthFunc(GL_ALWAYS);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
}

void pushOrtho2D(float width, float height) {
    // Window pixels, origin top left, y downwards.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popOrtho2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
