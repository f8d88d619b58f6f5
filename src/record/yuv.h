#pragma once
// The recorder's colour conversion: OpenGL's read-back (RGBA, rows from the
// bottom up) to the limited-range BT.601 4:2:0 that H.264, VP9 and WebP
// take. Done here rather than by a general-purpose scaler, which at
// 1440 x 1080 spends more than twice as long on the same frame.

#include <cstdint>

struct YuvPlanes {
    uint8_t* y;
    uint8_t* u;
    uint8_t* v;
    int yStride, uStride, vStride;
};

// width and height are even. Each chroma sample is the mean of its 2 x 2 pixels.
void rgbaToYuv420(const uint8_t* rgbaBottomUp, int width, int height, const YuvPlanes& out);
