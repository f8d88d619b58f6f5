#include "gfx/textures.h"

#include <algorithm>
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#include <sys/mman.h>
#endif

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

// The rescale for CH channels. Sums are of type Sum: 32 bits while the
// largest, w * h * 255, fits.
template <int CH, class Sum>
void rescaleChannels(const unsigned char* pixels, int w, int h, int outW, int outH, unsigned char* out) {
    std::vector<int> wx, wy;
    const std::vector<Taps> tx = boxTaps(w, outW, wx), ty = boxTaps(h, outH, wy);
    const int cells = outW * CH;

    // Columns first: an input row becomes outW weighted sums (at most
    // w * 255 each). Output rows take their input rows in order, sharing at
    // most one with the row before, so a ring of as many rows as the widest
    // output row takes holds all that is needed.
    int ringSize = 1;
    for (const Taps& t : ty) ringSize = std::max(ringSize, t.count);
    std::vector<Sum> ring(static_cast<size_t>(ringSize) * cells);
    std::vector<int> ringRow(static_cast<size_t>(ringSize), -1);
    // Where no output pixel spans more than two input pixels, the same sums
    // without the loop over a varying count: the second of a pixel with one
    // input pixel is that pixel again, with no weight.
    bool twoTaps = true;
    for (const Taps& t : tx) twoTaps = twoTaps && t.count <= 2;
    std::vector<std::pair<int, int>> pair, pairWeight;
    if (twoTaps)
        for (const Taps& t : tx) {
            pair.emplace_back(t.first, t.count == 2 ? t.first + 1 : t.first);
            pairWeight.emplace_back(wx[t.weights], t.count == 2 ? wx[t.weights + 1] : 0);
        }
    auto filteredRow = [&](int y) -> const Sum* {
        const size_t slot = static_cast<size_t>(y % ringSize);
        Sum* dst = ring.data() + slot * cells;
        if (ringRow[slot] == y) return dst;
        ringRow[slot] = y;
        const unsigned char* src = pixels + static_cast<size_t>(y) * w * CH;
        if (twoTaps) {
            // Widening: each output pixel takes one input pixel or two neighbours.
            for (int j = 0; j < outW; ++j, dst += CH) {
                const unsigned char* a = src + static_cast<size_t>(pair[j].first) * CH;
                const unsigned char* b = src + static_cast<size_t>(pair[j].second) * CH;
                const Sum wa = static_cast<Sum>(pairWeight[j].first), wb = static_cast<Sum>(pairWeight[j].second);
                for (int c = 0; c < CH; ++c) dst[c] = wa * a[c] + wb * b[c];
            }
            return ring.data() + slot * cells;
        }
        for (int j = 0; j < outW; ++j, dst += CH) {
            const Taps& t = tx[static_cast<size_t>(j)];
            const int* weight = wx.data() + t.weights;
            const unsigned char* in = src + static_cast<size_t>(t.first) * CH;
            Sum sum[CH] = {};
            for (int k = 0; k < t.count; ++k, in += CH)
                for (int c = 0; c < CH; ++c) sum[c] += static_cast<Sum>(weight[k]) * in[c];
            for (int c = 0; c < CH; ++c) dst[c] = sum[c];
        }
        return ring.data() + slot * cells;
    };

    // Then rows: the sum over the whole box, divided by its area (w * h in
    // these units) and rounded down. The division is a multiplication by a
    // reciprocal with enough bits to be exact for every sum up to area * 255.
    const uint64_t area = static_cast<uint64_t>(w) * h;
    int shift = 0;
    while (shift < 63 && (uint64_t(1) << shift) / 256 / area <= area) ++shift;
    const bool exactByReciprocal = shift <= 55;
    const uint64_t reciprocal = exactByReciprocal ? (uint64_t(1) << shift) / area + 1 : 0;
    std::vector<Sum> acc(static_cast<size_t>(cells));
    for (int i = 0; i < outH; ++i) {
        const Taps& t = ty[static_cast<size_t>(i)];
        std::fill(acc.begin(), acc.end(), Sum(0));
        for (int k = 0; k < t.count; ++k) {
            const Sum* row = filteredRow(t.first + k);
            const Sum wk = static_cast<Sum>(wy[t.weights + k]);
            Sum* a = acc.data();
            for (int x = 0; x < cells; ++x) a[x] += wk * row[x];
        }
        unsigned char* dst = out + static_cast<size_t>(i) * outW * 4;
        const Sum* a = acc.data();
        for (int j = 0; j < outW; ++j, dst += 4, a += CH) {
            for (int c = 0; c < CH; ++c) {
                const uint64_t sum = static_cast<uint64_t>(a[c]);
                dst[c] = static_cast<unsigned char>(exactByReciprocal ? (sum * reciprocal) >> shift : sum / area);
            }
            if (CH == 3) dst[3] = 255;
        }
    }
}

}  // namespace

void rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW, int outH,
                   unsigned char* out) {
    const bool narrow = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 255 < (uint64_t(1) << 32);
    if (channels == 3) {
        if (narrow)
            rescaleChannels<3, uint32_t>(pixels, w, h, outW, outH, out);
        else
            rescaleChannels<3, uint64_t>(pixels, w, h, outW, outH, out);
    } else {
        if (narrow)
            rescaleChannels<4, uint32_t>(pixels, w, h, outW, outH, out);
        else
            rescaleChannels<4, uint64_t>(pixels, w, h, outW, outH, out);
    }
}

std::vector<unsigned char> rescaleToRgba(const unsigned char* pixels, int w, int h, int channels, int outW,
                                         int outH) {
    std::vector<unsigned char> out(static_cast<size_t>(outW) * outH * 4);
    rescaleToRgba(pixels, w, h, channels, outW, outH, out.data());
    return out;
}

PreparedPicture preparePicture(const char* path) {
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
    // Rows top row first, tightly packed in R, G, B (A) byte order, whatever
    // padding and channel order the surface has.
    const int w = surface->w, h = surface->h;
    if (w == h && (w == 512 || w == 256 || w == 128 || w == 64)) {
        picture.pixels = tightRgbPixels(surface);
        picture.width = w;
        picture.height = h;
        picture.format = bpp == 3 ? GL_RGB : GL_RGBA;
        picture.clamped = true;
        if (bpp == 4) picture.ink = inkOf(picture.pixels.data(), w);
    } else {
        // Other sizes are box-filtered to the nearest powers of two.
        std::vector<unsigned char> repacked;
        const unsigned char* pixels = static_cast<const unsigned char*>(surface->pixels);
        if (!inRgbByteOrder(surface->format) || surface->pitch != w * bpp) {
            repacked = tightRgbPixels(surface);
            pixels = repacked.data();
        }
        picture.width = roundToPowerOfTwo(w);
        picture.height = roundToPowerOfTwo(h);
        picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
        rescaleToRgba(pixels, w, h, bpp, picture.width, picture.height, picture.pixels.data());
        picture.format = GL_RGBA;
        picture.clamped = false;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return picture;
}

namespace {

// The ink of every uploaded picture that is not wholly inked, by texture name.
std::vector<std::pair<unsigned int, Rect>> inks;

void forgetInk(unsigned int texture) {
    for (size_t i = 0; i < inks.size(); ++i)
        if (inks[i].first == texture) {
            inks.erase(inks.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

}  // namespace

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
    x0 = std::max(x0 - 2, 0);
    y0 = std::max(y0 - 2, 0);
    x1 = std::min(x1 + 2, size);
    y1 = std::min(y1 + 2, size);
    const int unit = 512 / size;
    return Rect(x0 * unit, y0 * unit, (x1 - x0) * unit, (y1 - y0) * unit);
}

Rect pictureInk(unsigned int texture) {
    for (const auto& entry : inks)
        if (entry.first == texture) return entry.second;
    return Rect(0, 0, 512, 512);
}

unsigned int makeTexture(int filter, int wrap, int width, int height, const void* pixels) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return name;
}

int uploadPicture(const PreparedPicture& picture) {
    if (!picture.error.empty()) {
        std::fputs(picture.error.c_str(), stdout);
        std::fflush(stdout);
        return 0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (picture.clamped) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    }
    // Rescaled pictures keep the default repeat wrapping. Only this one level
    // is ever sampled, since the minifying filter is plain linear.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, picture.width, picture.height, 0, static_cast<GLenum>(picture.format),
                 GL_UNSIGNED_BYTE, picture.pixels.data());
    glPopClientAttrib();
    forgetInk(name);
    const Rect& ink = picture.ink;
    if (ink.x() != 0 || ink.y() != 0 || ink.w() != 512 || ink.h() != 512) inks.emplace_back(name, ink);
    return static_cast<int>(name);
}

int loadTexture(const char* path) { return uploadPicture(preparePicture(path)); }

namespace {

// A software renderer keeps every uploaded picture in memory it allocates from
// the heap and clears. Fresh memory comes in a 4 kB page at a time, and on a
// virtual machine each of those faults costs about 10 us: more than the upload
// itself, some 6 ms for a 2 MB picture. So before the pictures come, the heap
// is grown by what they will take and the kernel is asked to back that stretch
// with 2 MB pages; the renderer's blocks are then cut from it and come in 512
// times fewer faults. Blocks of up to 32 MB are cut from the heap rather than
// mapped on their own, and the heap keeps what is freed: the show frees its
// pictures only at its end. Every thread takes from that one heap, the
// picture thread too, which would otherwise fault in a fresh heap of its own.
// Where huge pages are not to be had, the pages simply come in as before.
void growHeapForPictures() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    static bool grown = false;
    if (grown) return;
    grown = true;
    constexpr size_t kBlock = size_t(16) << 20, kBlocks = 5, kHuge = size_t(2) << 20;
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_ARENA_MAX, 1);
    void* blocks[kBlocks] = {};
    for (void*& block : blocks) {
        block = std::malloc(kBlock);
        if (!block) break;
        const uintptr_t at = reinterpret_cast<uintptr_t>(block);
        const uintptr_t from = (at + kHuge - 1) & ~(kHuge - 1), to = (at + kBlock) & ~(kHuge - 1);
        if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
    for (void* block : blocks) std::free(block);
#endif
}

// The pictures loadAllTextures uploads, in their order, with their slots.
std::vector<std::pair<std::string, int>> pictureOrder() {
    std::vector<std::pair<std::string, int>> order;
    order.emplace_back("./data/particle.png", kSlotParticle);
    char path[64];
    for (int i = 0; i < 13; ++i) {
        std::snprintf(path, sizeof path, "./data/mij%i.jpg", i + 1);
        order.emplace_back(path, i);
    }
    for (int i = 0; i < 7; ++i) {
        std::snprintf(path, sizeof path, "./data/mij%i_txt.png", i + 4);
        order.emplace_back(path, kSlotFirstCaption + i);
    }
    order.emplace_back("./data/bubble.png", kSlotBubble);
    order.emplace_back("./data/chef.png", kSlotChef);
    return order;
}

}  // namespace

// The pictures are claimed one at a time, lowest first, by the second thread
// and by take(), which prepares pictures itself rather than wait idle: the
// main thread has nothing else to do while the picture it needs is not ready.
struct PicturePreparer::State {
    enum Stage : unsigned char { Waiting, Claimed, Ready };
    std::vector<std::pair<std::string, int>> order = pictureOrder();
    std::vector<PreparedPicture> prepared = std::vector<PreparedPicture>(order.size());
    std::vector<Stage> stage = std::vector<Stage>(order.size(), Waiting);
    size_t nextUnclaimed = 0;
    bool stopping = false;
    std::mutex mutex;
    std::condition_variable readyChanged;
    std::thread thread;

    // Claims the lowest picture nobody has, prepares and stores it; false when
    // none is left. Called with the lock held, and holds it again on return.
    bool prepareOne(std::unique_lock<std::mutex>& lock) {
        if (nextUnclaimed >= order.size()) return false;
        const size_t i = nextUnclaimed++;
        stage[i] = Claimed;
        lock.unlock();
        PreparedPicture picture = preparePicture(order[i].first.c_str());
        lock.lock();
        prepared[i] = std::move(picture);
        stage[i] = Ready;
        readyChanged.notify_all();
        return true;
    }

    void work() {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stopping && prepareOne(lock)) {
        }
    }
};

PicturePreparer::PicturePreparer() : state_(new State) {
    growHeapForPictures();
#ifndef __EMSCRIPTEN__
    State* state = state_.get();
    try {
        state->thread = std::thread([state] { state->work(); });
    } catch (const std::system_error&) {
        // No second thread to be had: take() prepares every picture itself.
    }
#endif
}

PicturePreparer::~PicturePreparer() {
    // Also on the way out by an exception from the loading screen's frame
    // seam (a recorder that is stopped): the thread ends after its picture.
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
    }
    if (state_->thread.joinable()) state_->thread.join();
}

PreparedPicture PicturePreparer::take(size_t i) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    while (state_->stage[i] != State::Ready)
        if (!state_->prepareOne(lock)) state_->readyChanged.wait(lock);
    return std::move(state_->prepared[i]);
}

void loadAllTextures(int* table, float progressFrom, float progressTo) {
    PicturePreparer pictures;
    loadAllTextures(table, pictures, progressFrom, progressTo);
}

void loadAllTextures(int* table, PicturePreparer& pictures, float progressFrom, float progressTo) {
    const std::vector<std::pair<std::string, int>> order = pictureOrder();
    auto upload = [&](size_t i) { table[order[i].second] = uploadPicture(pictures.take(i)); };

    drawLoadingScreen(progressFrom);
    // Fourteen parts for twenty-one steps: the progress runs past progressTo
    // on the way, and the last frame shows progressTo again.
    const float step = (progressTo - progressFrom) / 14;
    float progress = progressFrom;
    upload(0);
    for (size_t i = 1; i <= 20; ++i) {
        upload(i);
        progress += step;
        drawLoadingScreen(progress);
    }
    upload(21);
    upload(22);
    progress += step;
    drawLoadingScreen(progress);

    drawLoadingScreen(progressTo);
}

void deleteTextures(int* table) {
    for (int i = 0; i < kTextureSlots; ++i) {
        GLuint name = static_cast<GLuint>(table[i]);
        forgetInk(name);
        glDeleteTextures(1, &name);
    }
}
