#pragma once
// An offscreen OpenGL framebuffer of any size that the show draws into in
// place of the window, and reading its pictures back.

#include <cstdint>
#include <string>
#include <vector>

class Framebuffer {
public:
    // Needs a current OpenGL context with framebuffer objects.
    bool create(int width, int height, std::string& error);
    void destroy();
    // The picture drawn so far: RGBA rows from the bottom up, the order a
    // renderbuffer of GL_RGBA8 keeps on a software renderer, which is read
    // back as a plain copy.
    const std::vector<uint8_t>& read();
    int width() const { return width_; }
    int height() const { return height_; }

private:
    unsigned fbo_ = 0, colour_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    std::vector<uint8_t> pixels_;
};
