#pragma once
// Loads a picture of the data set the way the show does (IMG_Load) and keeps
// its pixels as straight RGBA for the checks.

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

struct PictureImage {
    bool loaded = false;
    int w = 0, h = 0, bytesPerPixel = 0;
    std::vector<uint8_t> rgba;  // w * h * 4

    explicit PictureImage(const std::string& path) {
        SDL_Surface* s = IMG_Load(path.c_str());
        if (!s) return;
        loaded = true;
        w = s->w;
        h = s->h;
        bytesPerPixel = s->format->BytesPerPixel;
        rgba.resize(static_cast<size_t>(w) * h * 4);
        SDL_LockSurface(s);
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
            for (int x = 0; x < w; ++x) {
                Uint32 p = 0;
                std::memcpy(&p, row + x * bytesPerPixel, bytesPerPixel);
                if (SDL_BYTEORDER == SDL_BIG_ENDIAN) p >>= (4 - bytesPerPixel) * 8;
                uint8_t* o = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                SDL_GetRGBA(p, s->format, &o[0], &o[1], &o[2], &o[3]);
            }
        }
        SDL_UnlockSurface(s);
        SDL_FreeSurface(s);
    }

    const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
    int maxChannel(int x, int y) const {
        const uint8_t* p = at(x, y);
        return std::max(p[0], std::max(p[1], p[2]));
    }
    double luminance(int x, int y) const {
        const uint8_t* p = at(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
    // mean luminance over a rectangle
    double meanLuminance(int x0, int y0, int rw, int rh) const {
        double sum = 0;
        for (int y = y0; y < y0 + rh; ++y)
            for (int x = x0; x < x0 + rw; ++x) sum += luminance(x, y);
        return sum / (static_cast<double>(rw) * rh);
    }
};

inline std::string dataPath(const std::string& name) {
    return std::string(MIJOTINE_DATA_DIR) + "/" + name;
}

inline std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
