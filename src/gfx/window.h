#pragma once
// SDL start-up, the window with its OpenGL context, the fixed GL state and the
// switch between the 3D projection and the 2D pixel projection.

void initWindow(const char* caption, int width, int height, bool fullscreen);

// Before SDL starts: the show's frames are drawn straight into its window.
// sdl12-compat would otherwise draw every frame into a framebuffer of its own
// and copy it to the window at each swap, so that it can scale an 800 x 600
// picture to the desktop; on a software renderer that copy costs as much as a
// full-screen picture every frame. A full-screen show instead opens at the
// desktop's size and draws its 800 x 600 space there itself (see
// core/drawing_area.h). A user's own setting of SDL12COMPAT_OPENGL_SCALING or
// SDL12COMPAT_WINDOW_SCALING is left alone, and then the library scales.
void drawWindowDirectly(bool fullscreen);
// The size in pixels of what the window's frames are drawn into.
void drawableSize(int& width, int& height);
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
