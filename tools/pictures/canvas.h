// Drawing helpers shared by every picture of the data set: a cairo canvas,
// a seeded random generator, procedural noise, soft shadows, shaded fills,
// lettering and the JPEG / PNG writers.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>

struct Rgb {
    double r, g, b;
};

// The one palette every picture draws from.
namespace pal {
constexpr Rgb copper{0.78, 0.45, 0.22};
constexpr Rgb copperDark{0.48, 0.24, 0.10};
constexpr Rgb copperLight{0.96, 0.70, 0.45};
constexpr Rgb tomato{0.85, 0.22, 0.14};
constexpr Rgb tomatoDark{0.55, 0.10, 0.07};
constexpr Rgb cream{0.98, 0.93, 0.82};
constexpr Rgb creamDark{0.88, 0.80, 0.65};
constexpr Rgb wine{0.42, 0.06, 0.13};
constexpr Rgb wineDeep{0.22, 0.03, 0.07};
constexpr Rgb herb{0.36, 0.55, 0.20};
constexpr Rgb herbDark{0.18, 0.33, 0.10};
constexpr Rgb wood{0.62, 0.40, 0.22};
constexpr Rgb woodDark{0.36, 0.21, 0.10};
constexpr Rgb iron{0.14, 0.13, 0.13};
constexpr Rgb ink{0.17, 0.09, 0.06};
constexpr Rgb white{1.0, 1.0, 1.0};
constexpr Rgb black{0.0, 0.0, 0.0};
}  // namespace pal

Rgb mix(Rgb a, Rgb b, double t);
Rgb shade(Rgb c, double factor);  // factor < 1 darkens, > 1 lightens towards white

// Small deterministic generator (xorshift64*), so every run draws the same.
class Rng {
public:
    explicit Rng(uint64_t seed);
    uint32_t next();
    double uni();                      // [0, 1)
    double range(double lo, double hi);  // [lo, hi)
    int below(int n);                  // 0 .. n-1
private:
    uint64_t state;
};

// Smooth value noise in [0, 1] and its fractal sum.
double valueNoise(double x, double y, uint32_t seed);
double fbm(double x, double y, uint32_t seed, int octaves);

// A picture w x h units in size, drawn in those units at `scale` pixels a
// unit: the same picture at any resolution. Every surface drawn with it keeps
// that scale as its cairo device scale, so the drawing code works in units.
class Canvas {
public:
    Canvas(int width, int height, double scale = 1.0);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int w, h;      // in units
    double scale;  // pixels a unit
    int pw, ph;    // in pixels
    cairo_surface_t* surface;
    cairo_t* cr;

    // A transparent surface of the canvas's size and scale, to draw apart and
    // paint back.
    cairo_surface_t* layer() const;
    // Adds signed noise of the given strength (0..1) to every unit, keeping
    // alpha: each unit's pixels take the same.
    void grain(double strength, uint32_t seed);
    bool savePng(const std::string& path);
    bool saveJpeg(const std::string& path, int quality, bool fullChroma);
    // Straight (non-premultiplied) RGBA of one pixel (in pixels), for checks.
    void pixel(int x, int y, uint8_t rgba[4]) const;
};

void setRgb(cairo_t* cr, Rgb c, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
void ellipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);

// Fills the current path with a shaded body colour: light from the upper left,
// a darker rim on the lower right, keeping the path.
void shadeFillPreserve(cairo_t* cr, Rgb base, double x, double y, double w, double h,
                       double strength = 0.35);
// Radial shading of a roundish body centred at (cx, cy) with radius r.
void roundShadeFillPreserve(cairo_t* cr, Rgb base, double cx, double cy, double r,
                            double strength = 0.4);
// A soft glossy highlight ellipse.
void highlight(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha);

// Paints an opaque pixel pattern over the rectangle (x0, y0, w, h) through the
// current clip; f(x, y) gives the colour at each pixel, in canvas units (whole
// units at a scale of one, finer steps at a larger one).
void paintPixels(cairo_t* cr, int x0, int y0, int w, int h,
                 const std::function<Rgb(double, double)>& f, double alpha = 1.0);

// Draws a blurred shadow of whatever `shape` fills, offset by (dx, dy).
void softShadow(Canvas& c, const std::function<void(cairo_t*)>& shape, double radius,
                double alpha, double dx, double dy, Rgb colour = pal::black);

// Additive-looking glow: radial gradient from colour at alpha to transparent.
void glow(cairo_t* cr, double cx, double cy, double r, Rgb colour, double alpha);

enum class Align { Left, Centre, Right };
struct TextStyle {
    const char* family = "DejaVu Serif";
    bool bold = true;
    bool italic = false;
    double size = 32;
    Rgb fill = pal::ink;
    double fillAlpha = 1.0;
    double outline = 0;  // stroke width drawn under the fill
    Rgb outlineColour = pal::cream;
    double shadow = 0;  // offset of a soft dark shadow
};
// Draws one line with its baseline at y; returns the advance width.
double drawText(cairo_t* cr, const std::string& text, double x, double y, Align align,
                const TextStyle& style);
double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style);

// Separable box blur (three passes) of an ARGB32 surface, in place; the
// radius in units of the surface's device scale.
void blurSurface(cairo_surface_t* s, int radius);
