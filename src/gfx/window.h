#pragma once
// SDL start-up, the window with its OpenGL context, the fixed GL state and the
// switch between the 3D projection and the 2D pixel projection.

void initWindow(const char* caption, int width, int height, bool fullscreen);

// Before SDL starts: a window at the size the show draws at gets its frames
// drawn into it directly. sdl12-compat would otherwise draw every frame into a
// framebuffer of its own and copy it to the window at each swap, so that it can
// scale a fullscreen show to the desktop; in a window that copy changes no
// pixel, and on a software renderer it costs as much as a full-screen picture
// every frame. Fullscreen keeps the scaling, and a user's own setting of
// SDL12COMPAT_OPENGL_SCALING or SDL12COMPAT_WINDOW_SCALING is left alone.
void drawWindowDirectly(bool fullscreen);
void setVideoMode(const char* caption, int width, int height, bool fullscreen);
void initGl(int width, int height);
void pushOrtho2D(float width, float height);
void popOrtho2D();

// Whether the video driver SDL chose shows nothing to anyone (it fell back to
// one without a display) while the user did not ask for it by SDL_VIDEODRIVER
// (`requested`, null or empty when unset).
bool videoDriverShowsNothing(const char* driver, const char* requested);

// The largest window icon the show sets, in pixels a side; larger pictures
// are refused like unreadable ones.
constexpr int kMaxIconSize = 256;
bool iconFits(int width, int height);
