#include "gfx/picture.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "core/data_set.h"
#include "gfx/rescale.h"

#ifdef __EMSCRIPTEN__
// stb_image, which the browser's SDL brings along for the pictures it does not
// decode itself.
extern "C" unsigned char* stbi_load(const char* path, int* w, int* h, int* channels, int wanted);
extern "C" void stbi_image_free(void* pixels);
extern "C" const char* stbi_failure_reason();
#endif

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

// Fills the picture in from w x h pixels of bpp bytes in tightly packed rows,
// top row first, in R, G, B (, A) byte order: the square sizes as they are,
// the others box-filtered to the nearest powers of two. A finer picture
// (asItIs) keeps its own size whatever it is: its texture is as fine as it.
void preparePixels(PreparedPicture& picture, const unsigned char* pixels, int w, int h, int bpp,
                   bool asItIs = false) {
    if (asItIs || (w == h && (w == 512 || w == 256 || w == 128 || w == 64))) {
        picture.pixels.assign(pixels, pixels + static_cast<size_t>(w) * h * bpp);
        picture.width = w;
        picture.height = h;
        picture.format = bpp == 3 ? GL_RGB : GL_RGBA;
        picture.clamped = true;
        if (bpp == 4 && w == h) picture.ink = inkOf(picture.pixels.data(), w);
        return;
    }
    picture.width = roundToPowerOfTwo(w);
    picture.height = roundToPowerOfTwo(h);
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    rescaleToRgba(pixels, w, h, bpp, picture.width, picture.height, picture.pixels.data());
    picture.format = GL_RGBA;
    picture.clamped = false;
}

#ifdef __EMSCRIPTEN__
// In the page, a PNG goes straight from stb_image into the program's memory.
// Through the browser's SDL it would be drawn into a canvas and read back, in
// three copies, waiting for the browser's first paint, and with its colours
// kept multiplied by alpha on the way, which rounds the faint ones. Every
// picture comes in four channels there, as the browser's SDL gives them.
bool decodedByStb(const char* path) {
    const size_t n = std::char_traits<char>::length(path);
    return n >= 4 && std::string(path + n - 4) == ".png";
}

PreparedPicture prepareByStb(const char* path, bool asItIs) {
    PreparedPicture picture;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(path, &w, &h, &channels, 4);
    if (!pixels) {
        const char* why = stbi_failure_reason();
        picture.error =
            std::string("  Failed to load '") + path + "', he said: '" + (why ? why : "unreadable") + "'\n";
        return picture;
    }
    preparePixels(picture, pixels, w, h, 4, asItIs);
    stbi_image_free(pixels);
    return picture;
}
#endif

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

Rect inkOf(const unsigned char* rgba, int size) {
    int x0 = size, y0 = size, x1 = 0, y1 = 0;
    for (int y = 0; y < size; ++y) {
        const unsigned char* row = rgba + static_cast<size_t>(y) * size * 4;
        for (int x = 0; x < size; ++x)
            if (row[x * 4 + 3]) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x + 1);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y + 1);
            }
    }
    if (x0 >= x1) return Rect(0, 0, 0, 0);  // nothing to draw at all
    // Two texels on each side, of the picture's own, then out to whole units
    // of 512 (a texel is several units in a smaller picture, part of one in a
    // larger).
    x0 = std::max(x0 - 2, 0) * 512 / size;
    y0 = std::max(y0 - 2, 0) * 512 / size;
    x1 = (std::min(x1 + 2, size) * 512 + size - 1) / size;
    y1 = (std::min(y1 + 2, size) * 512 + size - 1) / size;
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

namespace {

PreparedPicture prepareFile(const char* path, bool asItIs) {
#ifdef __EMSCRIPTEN__
    if (decodedByStb(path)) return prepareByStb(path, asItIs);
#endif
    PreparedPicture picture;
    SDL_Surface* surface = IMG_Load(path);
    if (!surface) {
        picture.error = std::string("  Failed to load '") + path + "', he said: '" + SDL_GetError() + "'\n";
        return picture;
    }
    const int bpp = surface->format->BytesPerPixel;
    if (bpp != 3 && bpp != 4) {
        picture.error = std::string("  Failed to load '") + path + "', he said: 'Unknown surface format " +
                        std::to_string(bpp) + "'\n";
        SDL_FreeSurface(surface);
        return picture;
    }

    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int w = surface->w, h = surface->h;
    std::vector<unsigned char> repacked;
    const unsigned char* pixels = static_cast<const unsigned char*>(surface->pixels);
    if (!inRgbByteOrder(surface->format) || surface->pitch != w * bpp) {
        repacked = tightRgbPixels(surface);
        pixels = repacked.data();
    }
    preparePixels(picture, pixels, w, h, bpp, asItIs);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return picture;
}

// The most bytes a finer picture's file may hold: ten times the largest of
// the data set's, and far below what would strain the memory.
constexpr long long kMostFinerBytes = 32LL << 20;

unsigned bigEndian(const unsigned char* p, int bytes) {
    unsigned v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

PreparedPicture preparePicture(const char* path) { return prepareFile(path, false); }

std::string pictureFileCheck(const std::string& path, int& width, int& height) {
    width = height = 0;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return "it is missing";
    if (!S_ISREG(st.st_mode)) return "it is not a file";
    if (st.st_size == 0) return "it is empty";
    if (st.st_size > kMostFinerBytes) return "it is too large (" + std::to_string(st.st_size) + " bytes)";
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "it cannot be read";
    // Only the header's and the end's bytes are read: count of them from
    // offset into bytes, or false where the file (n bytes) holds fewer.
    const long long n = st.st_size;
    unsigned char bytes[24];
    auto readAt = [&](long long offset, size_t count) {
        return offset >= 0 && offset + static_cast<long long>(count) <= n && std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
               std::fread(bytes, 1, count, f) == count;
    };
    std::string why = "it is neither a PNG nor a JPEG";
    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (readAt(0, 24) && std::equal(png, png + 8, bytes) && std::string(bytes + 12, bytes + 16) == "IHDR") {
        width = static_cast<int>(bigEndian(&bytes[16], 4));
        height = static_cast<int>(bigEndian(&bytes[20], 4));
        why = n >= 45 && readAt(n - 8, 4) && std::string(bytes, bytes + 4) == "IEND" ? "" : "it is cut short";
    } else if (readAt(0, 2) && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        // The markers' segments up to the first frame header, which holds the size.
        why = "it is not a whole JPEG";
        long long at = 2;
        while (readAt(at, 9) && bytes[0] == 0xFF) {
            const unsigned marker = bytes[1];
            if (marker == 0xFF) {
                ++at;
                continue;
            }
            const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                height = static_cast<int>(bigEndian(&bytes[5], 2));
                width = static_cast<int>(bigEndian(&bytes[7], 2));
                why = readAt(n - 2, 2) && bytes[0] == 0xFF && bytes[1] == 0xD9 ? "" : "it is cut short";
                break;
            }
            at += 2 + bigEndian(&bytes[2], 2);
        }
    }
    std::fclose(f);
    return why;
}

PreparedPicture preparePicture(const PictureFile& file) {
    if (file.finer.empty()) return preparePicture(file.plain.c_str());
    int w = 0, h = 0, plainW = 0, plainH = 0;
    std::string why = pictureFileCheck(file.finer, w, h);
    if (why.empty()) {
        // Against the plain file's header: a plain file that can't be read says so itself.
        if (!pictureFileCheck(file.plain, plainW, plainH).empty() || plainW <= 0) {
            why = "'" + file.plain + "' gives it no size to match";
        } else if (w != plainW * kFinerScale || h != plainH * kFinerScale) {
            why = "it is " + std::to_string(w) + " x " + std::to_string(h) + ", not " +
                  std::to_string(plainW * kFinerScale) + " x " + std::to_string(plainH * kFinerScale);
        }
    }
    if (why.empty()) {
        PreparedPicture picture = prepareFile(file.finer.c_str(), true);
        if (picture.error.empty() && picture.width == w && picture.height == h) return picture;
        why = "it cannot be decoded";
    }
    PreparedPicture plain = preparePicture(file.plain.c_str());
    plain.note = "  Using '" + file.plain + "' for its finer '" + file.finer + "': " + why + "\n";
    return plain;
}
