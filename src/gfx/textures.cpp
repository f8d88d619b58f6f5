#include "gfx/textures.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "gfx/loading_screen.h"
#include "core/globals.h"

namespace {

// True when the channel masks already put the bytes of each pixel in R, G, B
// (and A) order in memory, which is what GL_RGB / GL_RGBA expect.
bool inRgbByteOrder(const SDL_PixelFormat* fmt) {
    const int bpp = fmt->BytesPerPixel;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    const Uint32 r = 0x000000ff, g = 0x0000ff00, b = 0x00ff0000, a = 0xff000000;
#else
    const Uint32 r = bpp == 4 ? 0xff000000 : 0xff0000, g = bpp == 4 ? 0x00ff0000 : 0x00ff00,
                 b = bpp == 4 ? 0x0000ff00 : 0x0000ff, a = 0x000000ff;
#endif
    if (fmt->Rmask != r || fmt->Gmask != g || fmt->Bmask != b) return false;
    return bpp == 3 || fmt->Amask == a;
}

}  // namespace

std::vector<unsigned char> tightRgbPixels(const SDL_Surface* surface) {
    const SDL_PixelFormat* fmt = surface->format;
    const int bpp = fmt->BytesPerPixel;
    const int w = surface->w, h = surface->h;
    const size_t rowBytes = static_cast<size_t>(w) * bpp;
    std::vector<unsigned char> out(rowBytes * h);
    const unsigned char* src = static_cast<const unsigned char*>(surface->pixels);

    if (inRgbByteOrder(fmt)) {
        // Only the padding at the end of each row has to go.
        for (int y = 0; y < h; ++y)
            std::copy(src + static_cast<size_t>(y) * surface->pitch,
                      src + static_cast<size_t>(y) * surface->pitch + rowBytes, out.begin() + y * rowBytes);
        return out;
    }

    // Any other channel layout (BGR from a BMP, for instance): take each
    // channel out through its mask. A 4-byte surface without an alpha mask is
    // opaque rather than carrying whatever the spare byte holds.
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = src + static_cast<size_t>(y) * surface->pitch;
        unsigned char* dst = out.data() + y * rowBytes;
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = row + x * bpp;
            Uint32 v;
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
            v = p[0] | (p[1] << 8) | (p[2] << 16) | (bpp == 4 ? static_cast<Uint32>(p[3]) << 24 : 0u);
#else
            v = bpp == 4 ? (static_cast<Uint32>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3]
                         : (p[0] << 16) | (p[1] << 8) | p[2];
#endif
            dst[x * bpp + 0] = static_cast<unsigned char>(((v & fmt->Rmask) >> fmt->Rshift) << fmt->Rloss);
            dst[x * bpp + 1] = static_cast<unsigned char>(((v & fmt->Gmask) >> fmt->Gshift) << fmt->Gloss);
            dst[x * bpp + 2] = static_cast<unsigned char>(((v & fmt->Bmask) >> fmt->Bshift) << fmt->Bloss);
            if (bpp == 4)
                dst[x * bpp + 3] = fmt->Amask
                                       ? static_cast<unsigned char>(((v & fmt->Amask) >> fmt->Ashift) << fmt->Aloss)
                                       : 255;
        }
    }
    return out;
}

int roundToPowerOfTwo(int n) {
    if (n <= 1) return 1;
    int p = 1;
    while (p * 2 <= n) p *= 2;
    // The bit below the highest decides: 768..1023 go up to 1024, 512..767 down to 512.
    return (n & (p >> 1)) ? p * 2 : p;
}

namespace {

// One output pixel's share of an axis: a run of input pixels and their weights.
struct Taps {
    int first = 0;
    int count = 0;
    size_t weights = 0;  // where its weights start in the axis' weight list
};

// The box filter along one axis: output pixel j covers input [j * in / out,
// (j + 1) * in / out]. Weights are the overlaps in units of 1 / out of an
// input pixel, so every sum stays an exact integer.
std::vector<Taps> boxTaps(int in, int out, std::vector<int>& weights) {
    std::vector<Taps> taps(static_cast<size_t>(out));
    for (int j = 0; j < out; ++j) {
        const long lo = static_cast<long>(j) * in, hi = static_cast<long>(j + 1) * in;
        Taps& t = taps[static_cast<size_t>(j)];
        t.first = static_cast<int>(lo / out);
        t.weights = weights.size();
        for (long i = t.first; i * out < hi; ++i, ++t.count)
            weights.push_back(static_cast<int>(std::min(hi, (i + 1) * out) - std::max(lo, i * out)));
    }
    return taps;
}

}  // namespace

std::vector<unsigned char> rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW,
                                         int outH) {
    std::vector<unsigned char> out(static_cast<size_t>(outW) * outH * 4);
    std::vector<int> wx, wy;
    const std::vector<Taps> tx = boxTaps(w, outW, wx), ty = boxTaps(h, outH, wy);
    const int cells = outW * channels;
    // Columns first: each input row becomes outW weighted sums (at most
    // w * 255 each), then rows: outH sums of those, divided by the whole box.
    std::vector<int> rows(static_cast<size_t>(h) * cells);
    for (int y = 0; y < h; ++y) {
        const unsigned char* src = pixels + static_cast<size_t>(y) * w * channels;
        int* dst = rows.data() + static_cast<size_t>(y) * cells;
        for (int j = 0; j < outW; ++j) {
            const Taps& t = tx[static_cast<size_t>(j)];
            for (int c = 0; c < channels; ++c) {
                int sum = 0;
                for (int k = 0; k < t.count; ++k) sum += wx[t.weights + k] * src[(t.first + k) * channels + c];
                dst[j * channels + c] = sum;
            }
        }
    }
    const long area = static_cast<long>(w) * h;
    std::vector<long> acc(static_cast<size_t>(cells));
    for (int i = 0; i < outH; ++i) {
        const Taps& t = ty[static_cast<size_t>(i)];
        std::fill(acc.begin(), acc.end(), 0L);
        for (int k = 0; k < t.count; ++k) {
            const int* row = rows.data() + static_cast<size_t>(t.first + k) * cells;
            const long wk = wy[t.weights + k];
            for (int x = 0; x < cells; ++x) acc[static_cast<size_t>(x)] += wk * row[x];
        }
        unsigned char* dst = out.data() + static_cast<size_t>(i) * outW * 4;
        for (int j = 0; j < outW; ++j) {
            for (int c = 0; c < channels; ++c)
                dst[j * 4 + c] = static_cast<unsigned char>(acc[static_cast<size_t>(j * channels + c)] / area);
            if (channels == 3) dst[j * 4 + 3] = 255;
        }
    }
    return out;
}

int loadTexture(const char* path) {
    SDL_Surface* surface = IMG_Load(path);
    if (!surface) {
        std::printf("  Failed to load '%s', he said: '%s'\n", path, SDL_GetError());
        std::fflush(stdout);
        return 0;
    }

    const int bpp = surface->format->BytesPerPixel;
    GLenum format;
    if (bpp == 3) {
        format = GL_RGB;
    } else if (bpp == 4) {
        format = GL_RGBA;
    } else {
        std::printf("  Failed to load '%s', he said: 'Unknown surface format %d'\n", path, bpp);
        std::fflush(stdout);
        SDL_FreeSurface(surface);
        return 0;
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);

    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    // Rows go up top row first, tightly packed in R, G, B (A) byte order,
    // whatever padding and channel order the surface has.
    const std::vector<unsigned char> pixels = tightRgbPixels(surface);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

    const int w = surface->w, h = surface->h;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (w == h && (w == 512 || w == 256 || w == 128 || w == 64)) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, w, h, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    } else {
        // Other sizes are box-filtered to the nearest powers of two and keep
        // the default repeat wrapping. Only this one level is ever sampled,
        // since the minifying filter is plain linear.
        const int texW = roundToPowerOfTwo(w), texH = roundToPowerOfTwo(h);
        const std::vector<unsigned char> scaled = rescaleToRgba(pixels.data(), w, h, bpp, texW, texH);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, texW, texH, 0, GL_RGBA, GL_UNSIGNED_BYTE, scaled.data());
    }

    glPopClientAttrib();
    SDL_FreeSurface(surface);
    return static_cast<int>(name);
}

void loadAllTextures(int* table, float progressFrom, float progressTo) {
    char path[64];
    drawLoadingScreen(progressFrom);
    // Fourteen parts for twenty-one steps: the progress runs past progressTo
    // on the way, and the last frame shows progressTo again.
    const float step = (progressTo - progressFrom) / 14;
    float progress = progressFrom;

    table[kSlotParticle] = loadTexture("./data/particle.png");

    for (int i = 0; i < 13; ++i) {
        std::snprintf(path, sizeof path, "./data/mij%i.jpg", i + 1);
        table[i] = loadTexture(path);
        progress += step;
        drawLoadingScreen(progress);
    }
    for (int i = 0; i < 7; ++i) {
        std::snprintf(path, sizeof path, "./data/mij%i_txt.png", i + 4);
        table[kSlotFirstCaption + i] = loadTexture(path);
        progress += step;
        drawLoadingScreen(progress);
    }
    table[kSlotBubble] = loadTexture("./data/bubble.png");
    table[kSlotChef] = loadTexture("./data/chef.png");
    progress += step;
    drawLoadingScreen(progress);

    drawLoadingScreen(progressTo);
}

void deleteTextures(int* table) {
    for (int i = 0; i < kTextureSlots; ++i) {
        GLuint name = static_cast<GLuint>(table[i]);
        glDeleteTextures(1, &name);
    }
}
