// gluBuild2DMipmaps for the browser build, whose GLU lacks it: the picture is
// rescaled to the nearest power of two in each direction (WebGL samples other
// sizes only with clamped edges) and becomes level 0; the show filters
// linearly without mipmaps, so no smaller levels are made.

#include <cmath>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

int nearestPowerOfTwo(int n) {
    int p = 1;
    while (p * 2 <= n) p *= 2;
    return (n - p) <= (p * 2 - n) ? p : p * 2;
}

}  // namespace

extern "C" GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                                   GLenum format, GLenum type, const void* data) {
    if (width <= 0 || height <= 0 || type != GL_UNSIGNED_BYTE) return GLU_INVALID_VALUE;
    int channels;
    if (format == GL_RGB) {
        channels = 3;
    } else if (format == GL_RGBA) {
        channels = 4;
    } else {
        return GLU_INVALID_ENUM;
    }
    const int w = nearestPowerOfTwo(width), h = nearestPowerOfTwo(height);
    const unsigned char* src = static_cast<const unsigned char*>(data);
    std::vector<unsigned char> out(static_cast<size_t>(w) * h * channels);
    // Bilinear sampling at the centre of every target pixel.
    const float sx = static_cast<float>(width) / w, sy = static_cast<float>(height) / h;
    for (int y = 0; y < h; ++y) {
        const float fy = std::fmax(0.0f, (y + 0.5f) * sy - 0.5f);
        const int y0 = static_cast<int>(fy);
        const int y1 = y0 + 1 < height ? y0 + 1 : y0;
        const float ty = fy - y0;
        for (int x = 0; x < w; ++x) {
            const float fx = std::fmax(0.0f, (x + 0.5f) * sx - 0.5f);
            const int x0 = static_cast<int>(fx);
            const int x1 = x0 + 1 < width ? x0 + 1 : x0;
            const float tx = fx - x0;
            for (int c = 0; c < channels; ++c) {
                const float a = src[(static_cast<size_t>(y0) * width + x0) * channels + c];
                const float b = src[(static_cast<size_t>(y0) * width + x1) * channels + c];
                const float d = src[(static_cast<size_t>(y1) * width + x0) * channels + c];
                const float e = src[(static_cast<size_t>(y1) * width + x1) * channels + c];
                const float top = a + (b - a) * tx, bottom = d + (e - d) * tx;
                out[(static_cast<size_t>(y) * w + x) * channels + c] =
                    static_cast<unsigned char>(top + (bottom - top) * ty + 0.5f);
            }
        }
    }
    // WebGL wants the internal format to name the same layout as the data.
    (void)internalFormat;
    glTexImage2D(target, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, out.data());
    return 0;
}
