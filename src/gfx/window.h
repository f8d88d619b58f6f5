#pragma once
// SDL start-up, the window with its OpenGL context, the fixed GL state and the
// switch between the 3D projection and the 2D pixel projection.

void initWindow(const char* caption, int width, int height, bool fullscreen);
void setVideoMode(const char* caption, int width, int height, bool fullscreen);
void initGl(int width, int height);
void pushOrtho2D(float width, float height);
void popOrtho2D();
