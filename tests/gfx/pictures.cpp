#include "pictures.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <unistd.h>

namespace {

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v >> 24);
    out.push_back(v >> 16);
    out.push_back(v >> 8);
    out.push_back(v);
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    put32(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32(out, crc32(typed.data(), typed.size()));
}

}  // namespace

void writePng(const std::string& path, int width, int height, PngColour colour, const std::vector<uint8_t>& rows,
              const std::vector<uint8_t>& palette) {
    const int bpp = colour == kPngRgb ? 3 : colour == kPngRgba ? 4 : 1;
    const size_t rowBytes = static_cast<size_t>(width) * bpp;
    if (rows.size() != rowBytes * height) throw std::runtime_error("writePng: wrong pixel count");

    // Every row gets filter type 0 (none).
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rows.begin() + y * rowBytes, rows.begin() + (y + 1) * rowBytes);
    }
    // zlib stream of stored blocks.
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(n & 0xff);
        z.push_back(n >> 8);
        z.push_back(~n & 0xff);
        z.push_back((~n >> 8) & 0xff);
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
        if (last) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, (b << 16) | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    put32(ihdr, width);
    put32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(colour), 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    if (colour == kPngPalette) chunk(out, "PLTE", palette);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("writePng: can't open " + path);
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
}

std::string makeTempDir() {
    char tmpl[] = "/tmp/mij-test-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    return tmpl;
}

void removeTree(const std::string& dir) {
    if (dir.rfind("/tmp/mij-test-", 0) != 0) return;
    const std::string cmd = "rm -rf '" + dir + "'";
    if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir.c_str());
}

ScopedCwd::ScopedCwd(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) old_ = buf;
    if (chdir(dir.c_str()) != 0) throw std::runtime_error("chdir " + dir);
}

ScopedCwd::~ScopedCwd() {
    if (!old_.empty() && chdir(old_.c_str()) != 0) std::fprintf(stderr, "could not return to %s\n", old_.c_str());
}
