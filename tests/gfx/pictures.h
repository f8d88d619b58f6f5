#pragma once
// Small picture files written by the tests themselves: uncompressed PNG
// (stored deflate blocks) in any of the colour types the loader meets.

#include <cstdint>
#include <string>
#include <vector>

enum PngColour { kPngGrey = 0, kPngRgb = 2, kPngPalette = 3, kPngRgba = 6 };

// rows: height rows of width pixels, 1, 3 or 4 bytes each by colour type,
// tightly packed. palette: RGB triples for kPngPalette.
void writePng(const std::string& path, int width, int height, PngColour colour,
              const std::vector<uint8_t>& rows, const std::vector<uint8_t>& palette = {});

// A fresh empty directory under /tmp, removed with everything in it by removeTree.
std::string makeTempDir();
void removeTree(const std::string& dir);

// Changes the working directory for the lifetime of the object.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();

private:
    std::string old_;
};
