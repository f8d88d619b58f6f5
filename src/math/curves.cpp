#include "math/curves.h"

#include <cmath>
#include <cstdlib>

float fsin(float angle) { return static_cast<float>(std::sin(static_cast<double>(angle))); }
float fcos(float angle) { return static_cast<float>(std::cos(static_cast<double>(angle))); }
float fpow(float base, float exponent) {
    return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

static float windowShape(float frac, float gain) {
    float g = static_cast<float>(std::sin(frac * 3.141592) * gain);
    if (g < 0) g = 0;
    if (g > 1) g = 1;
    return g;
}

float sineWindow(float t, float start, float end, float gain) {
    if (!(t > start)) return 0;
    if (!(t < end)) return 0;
    float frac = static_cast<float>((static_cast<double>(t) - start) / (static_cast<double>(end) - start));
    return windowShape(frac, gain);
}

float sineWindowInt(int t, int start, int end, float gain) {
    if (!(t > start)) return 0;
    if (!(t < end)) return 0;
    float frac = static_cast<float>(static_cast<double>(t - start) / static_cast<double>(end - start));
    return windowShape(frac, gain);
}

float ramp(float t, float start, float end) {
    if (!(t > start)) return 0;
    if (t >= end) return 1;
    return (t - start) / (end - start);
}

float rampInt(int t, int start, int end) {
    if (!(t > start)) return 0;
    if (t >= end) return 1;
    return static_cast<float>(t - start) / static_cast<float>(end - start);
}

float random01() { return static_cast<float>(std::rand() % 10000) / 10000.0f; }
