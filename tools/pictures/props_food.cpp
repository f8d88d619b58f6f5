#include "pictures/props.h"

#include <algorithm>
#include <cmath>

namespace {

const Rgb rawBeef{0.70, 0.12, 0.14};
const Rgb brownBeef{0.40, 0.19, 0.08};
const Rgb carrotOrange{0.95, 0.50, 0.12};
const Rgb onionSkin{0.80, 0.55, 0.25};
const Rgb onionFlesh{0.97, 0.93, 0.84};
const Rgb mushroomCap{0.72, 0.56, 0.40};
const Rgb baconPink{0.88, 0.45, 0.45};
const Rgb fat{0.98, 0.92, 0.86};

// A closed blob: a circle whose radius wobbles with noise.
void blobPath(cairo_t* cr, double cx, double cy, double rx, double ry, double angle,
              double wobble, uint32_t seed) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    const int n = 48;
    for (int i = 0; i <= n; ++i) {
        double a = 2 * M_PI * i / n;
        double k = 1 + wobble * (valueNoise(std::cos(a) * 1.6 + 5, std::sin(a) * 1.6 + 5, seed) - 0.5);
        double x = std::cos(a) * rx * k, y = std::sin(a) * ry * k;
        if (i == 0) cairo_move_to(cr, x, y);
        else cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
    cairo_restore(cr);
}

}  // namespace

void beefChunk(Canvas& c, double cx, double cy, double w, double h, double angle, uint32_t seed) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { blobPath(s, cx, cy, w / 2, h / 2, angle, 0.25, seed); }, 14, 0.5,
               8, 10);
    blobPath(cr, cx, cy, w / 2, h / 2, angle, 0.25, seed);
    roundShadeFillPreserve(cr, rawBeef, cx, cy, std::max(w, h) / 2, 0.45);
    cairo_save(cr);
    cairo_clip(cr);
    // fat cap along one side and marbling across the meat
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    cairo_move_to(cr, -w / 2, -h * 0.5);
    cairo_curve_to(cr, -w * 0.2, -h * 0.3, w * 0.2, -h * 0.38, w / 2, -h * 0.3);
    cairo_line_to(cr, w / 2, -h);
    cairo_line_to(cr, -w / 2, -h);
    cairo_close_path(cr);
    setRgb(cr, fat, 0.95);
    cairo_fill(cr);
    Rng rng(seed);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 14; ++i) {
        double x0 = rng.range(-w / 2, w / 2), y0 = rng.range(-h / 3, h / 2);
        cairo_move_to(cr, x0, y0);
        double dx = rng.range(20, 50) * (rng.uni() < 0.5 ? -1 : 1);
        cairo_curve_to(cr, x0 + dx * 0.3, y0 + rng.range(-8, 8), x0 + dx * 0.7, y0 + rng.range(-10, 10),
                       x0 + dx, y0 + rng.range(-12, 12));
        setRgb(cr, fat, rng.range(0.3, 0.6));
        cairo_set_line_width(cr, rng.range(0.8, 2.0));
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    highlight(cr, cx - w * 0.15, cy - h * 0.1, w * 0.2, h * 0.1, 0.35);
}

void beefCube(cairo_t* cr, double cx, double cy, double s, double angle, double browned,
              uint32_t seed) {
    Rgb col = mix(rawBeef, brownBeef, browned);
    Rng rng(seed);
    double w = s * rng.range(0.85, 1.1), h = s * rng.range(0.8, 1.0);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    roundedRect(cr, -w / 2 + s * 0.12, -h / 2 + s * 0.16, w, h, s * 0.22);
    setRgb(cr, pal::black, 0.45);
    cairo_fill(cr);
    // the cube's sides, darker, then its top face a little up and to the left
    roundedRect(cr, -w / 2, -h / 2, w, h, s * 0.22);
    setRgb(cr, shade(col, 0.55));
    cairo_fill(cr);
    roundedRect(cr, -w / 2, -h / 2, w * 0.86, h * 0.84, s * 0.2);
    shadeFillPreserve(cr, col, -w / 2, -h / 2, w * 0.86, h * 0.84, 0.35);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_new_path(cr);
    // seared crust: dark flecks; raw meat: a seam of fat instead
    for (int i = 0; i < 16; ++i) {
        ellipsePath(cr, rng.range(-w / 2, w * 0.36), rng.range(-h / 2, h * 0.34), rng.range(s * 0.04, s * 0.12),
                    rng.range(s * 0.03, s * 0.08));
        setRgb(cr, shade(col, rng.range(0.4, 0.7)), 0.25 + 0.5 * browned);
        cairo_fill(cr);
    }
    if (browned < 0.5) {
        double y0 = rng.range(-h * 0.2, h * 0.15);
        cairo_move_to(cr, -w / 2, y0);
        cairo_curve_to(cr, -w * 0.1, y0 + rng.range(-5, 5), w * 0.1, y0 + rng.range(-5, 5), w / 2, y0 + rng.range(-6, 6));
        setRgb(cr, fat, 0.75);
        cairo_set_line_width(cr, s * 0.06);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    highlight(cr, -w * 0.2, -h * 0.25, s * 0.2, s * 0.07, 0.35 + 0.2 * browned);
    cairo_restore(cr);
}

void carrot(cairo_t* cr, double x1, double y1, double x2, double y2, double thick, bool leaves) {
    double a = std::atan2(y2 - y1, x2 - x1), len = std::hypot(x2 - x1, y2 - y1);
    cairo_save(cr);
    cairo_translate(cr, x1, y1);
    cairo_rotate(cr, a);
    if (leaves) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int i = -2; i <= 2; ++i) {
            double la = M_PI + i * 0.22;
            double ll = len * 0.45 * (1 - std::abs(i) * 0.12);
            cairo_move_to(cr, 0, 0);
            cairo_curve_to(cr, std::cos(la) * ll * 0.4, std::sin(la) * ll * 0.2 + i * 4,
                           std::cos(la) * ll * 0.7, std::sin(la) * ll * 0.7, std::cos(la) * ll,
                           std::sin(la) * ll);
            setRgb(cr, i & 1 ? pal::herbDark : pal::herb);
            cairo_set_line_width(cr, 3.5);
            cairo_stroke(cr);
            // feathery fronds
            for (int f = 1; f < 6; ++f) {
                double t = f / 6.0;
                double fx = std::cos(la) * ll * t, fy = std::sin(la) * ll * t;
                ellipsePath(cr, fx, fy, 9, 4);
                setRgb(cr, pal::herb, 0.9);
                cairo_fill(cr);
            }
        }
    }
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -thick / 2);
    cairo_curve_to(cr, len * 0.5, -thick * 0.48, len * 0.8, -thick * 0.2, len, 0);
    cairo_curve_to(cr, len * 0.8, thick * 0.2, len * 0.5, thick * 0.48, 0, thick / 2);
    cairo_curve_to(cr, -thick * 0.15, thick * 0.4, -thick * 0.15, -thick * 0.4, 0, -thick / 2);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, -thick / 2, 0, thick / 2);
    Rgb hi = shade(carrotOrange, 1.3), lo = shade(carrotOrange, 0.62);
    cairo_pattern_add_color_stop_rgb(p, 0, lo.r, lo.g, lo.b);
    cairo_pattern_add_color_stop_rgb(p, 0.3, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.6, carrotOrange.r, carrotOrange.g, carrotOrange.b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_clip(cr);
    // growth rings across the root
    for (int i = 1; i < 9; ++i) {
        double x = len * i / 10.0;
        cairo_move_to(cr, x, -thick / 2);
        cairo_curve_to(cr, x + 3, -thick / 6, x - 2, thick / 6, x + 2, thick / 2);
        setRgb(cr, shade(carrotOrange, 0.55), 0.45);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_restore(cr);
}

void carrotSlice(cairo_t* cr, double cx, double cy, double r, double browned) {
    Rgb col = mix(carrotOrange, {0.7, 0.3, 0.08}, browned);
    cairo_new_path(cr);
    cairo_arc(cr, cx + r * 0.12, cy + r * 0.16, r, 0, 2 * M_PI);
    setRgb(cr, pal::black, 0.4);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, col, cx, cy, r, 0.35);
    setRgb(cr, shade(col, 0.6));
    cairo_set_line_width(cr, r * 0.12);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, r * 0.5, 0, 2 * M_PI);
    setRgb(cr, shade(col, 1.25), 0.8);
    cairo_fill(cr);
    for (int i = 0; i < 8; ++i) {
        double a = i * M_PI / 4;
        cairo_move_to(cr, cx + std::cos(a) * r * 0.5, cy + std::sin(a) * r * 0.5);
        cairo_line_to(cr, cx + std::cos(a) * r * 0.85, cy + std::sin(a) * r * 0.85);
    }
    setRgb(cr, shade(col, 1.2), 0.5);
    cairo_set_line_width(cr, r * 0.06);
    cairo_stroke(cr);
}

void onionWhole(cairo_t* cr, double cx, double cy, double r, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    cairo_arc(cr, r * 0.12, r * 0.16, r, 0, 2 * M_PI);
    setRgb(cr, pal::black, 0.35);
    cairo_fill(cr);
    // the bulb with its pointed top towards +x
    cairo_move_to(cr, r * 1.35, 0);
    cairo_curve_to(cr, r * 0.9, -r * 0.2, r * 0.9, -r, 0, -r);
    cairo_curve_to(cr, -r * 0.6, -r, -r, -r * 0.6, -r, 0);
    cairo_curve_to(cr, -r, r * 0.6, -r * 0.6, r, 0, r);
    cairo_curve_to(cr, r * 0.9, r, r * 0.9, r * 0.2, r * 1.35, 0);
    roundShadeFillPreserve(cr, onionSkin, 0, 0, r, 0.5);
    cairo_save(cr);
    cairo_clip(cr);
    for (int i = -3; i <= 3; ++i) {
        cairo_move_to(cr, -r, i * r * 0.2);
        cairo_curve_to(cr, -r * 0.3, i * r * 0.32, r * 0.5, i * r * 0.25, r * 1.35, 0);
        setRgb(cr, shade(onionSkin, 0.6), 0.4);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    highlight(cr, -r * 0.3, -r * 0.4, r * 0.35, r * 0.18, 0.45);
    // root tuft
    cairo_set_line_width(cr, 1);
    for (int i = -3; i <= 3; ++i) {
        cairo_move_to(cr, -r * 0.95, 0);
        cairo_line_to(cr, -r * 1.15, i * r * 0.08);
    }
    setRgb(cr, {0.5, 0.38, 0.25});
    cairo_stroke(cr);
    cairo_restore(cr);
}

void onionHalf(cairo_t* cr, double cx, double cy, double r, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    ellipsePath(cr, r * 0.1, r * 0.14, r, r * 0.9);
    setRgb(cr, pal::black, 0.35);
    cairo_fill(cr);
    ellipsePath(cr, 0, 0, r, r * 0.9);
    setRgb(cr, onionSkin);
    cairo_fill(cr);
    for (int i = 0; i < 7; ++i) {
        double k = 0.93 - i * 0.13;
        ellipsePath(cr, -r * 0.05 * i, 0, r * k, r * 0.86 * k);
        setRgb(cr, i % 2 ? onionFlesh : shade(onionFlesh, 0.93));
        cairo_fill_preserve(cr);
        setRgb(cr, {0.8, 0.72, 0.6}, 0.8);
        cairo_set_line_width(cr, 1.1);
        cairo_stroke(cr);
    }
    highlight(cr, -r * 0.3, -r * 0.35, r * 0.4, r * 0.2, 0.5);
    cairo_restore(cr);
}

void onionPiece(cairo_t* cr, double cx, double cy, double s, double angle, double browned) {
    Rgb col = mix(onionFlesh, {0.78, 0.55, 0.28}, browned);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    cairo_arc(cr, 0, 0, s, M_PI * 1.05, M_PI * 1.95);
    cairo_arc_negative(cr, 0, 0, s * 0.5, M_PI * 1.95, M_PI * 1.05);
    cairo_close_path(cr);
    shadeFillPreserve(cr, col, -s, -s, s * 2, s, 0.35);
    setRgb(cr, shade(col, 0.7), 0.8);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void pearlOnion(cairo_t* cr, double cx, double cy, double r, double browned) {
    Rgb col = mix({0.97, 0.94, 0.86}, {0.82, 0.55, 0.25}, browned);
    cairo_new_path(cr);
    cairo_arc(cr, cx + r * 0.15, cy + r * 0.2, r, 0, 2 * M_PI);
    setRgb(cr, pal::black, 0.4);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, col, cx, cy, r, 0.45);
    cairo_new_path(cr);
    for (int i = 0; i < 3; ++i) {
        cairo_arc(cr, cx, cy, r * (0.3 + i * 0.2), M_PI * 0.1, M_PI * 0.8);
        setRgb(cr, shade(col, 0.75), 0.5);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    highlight(cr, cx - r * 0.35, cy - r * 0.4, r * 0.35, r * 0.22, 0.7);
}

void mushroomTop(cairo_t* cr, double cx, double cy, double r, uint32_t seed) {
    cairo_new_path(cr);
    cairo_arc(cr, cx + r * 0.14, cy + r * 0.18, r, 0, 2 * M_PI);
    setRgb(cr, pal::black, 0.35);
    cairo_fill(cr);
    blobPath(cr, cx, cy, r, r, 0, 0.12, seed);
    roundShadeFillPreserve(cr, mushroomCap, cx, cy, r, 0.5);
    cairo_new_path(cr);
    Rng rng(seed);
    for (int i = 0; i < 5; ++i) {
        double a = rng.range(0, 6.28), d = rng.range(0.1, 0.6) * r;
        ellipsePath(cr, cx + std::cos(a) * d, cy + std::sin(a) * d, r * 0.1, r * 0.06);
        setRgb(cr, shade(mushroomCap, 0.7), 0.4);
        cairo_fill(cr);
    }
    highlight(cr, cx - r * 0.3, cy - r * 0.35, r * 0.35, r * 0.2, 0.55);
}

void mushroomHalf(cairo_t* cr, double cx, double cy, double s, double angle, double browned) {
    Rgb flesh = mix({0.95, 0.9, 0.8}, {0.75, 0.52, 0.3}, browned);
    Rgb cap = mix(mushroomCap, {0.45, 0.27, 0.12}, browned);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    auto outline = [&]() {
        cairo_new_path(cr);
        cairo_move_to(cr, -s, 0);
        cairo_curve_to(cr, -s, -s * 0.9, s, -s * 0.9, s, 0);
        cairo_curve_to(cr, s * 0.9, s * 0.15, s * 0.5, s * 0.1, s * 0.32, s * 0.12);
        cairo_line_to(cr, s * 0.35, s * 0.8);
        cairo_curve_to(cr, s * 0.2, s * 0.9, -s * 0.2, s * 0.9, -s * 0.35, s * 0.8);
        cairo_line_to(cr, -s * 0.32, s * 0.12);
        cairo_curve_to(cr, -s * 0.5, s * 0.1, -s * 0.9, s * 0.15, -s, 0);
        cairo_close_path(cr);
    };
    cairo_save(cr);
    cairo_translate(cr, s * 0.12, s * 0.16);
    outline();
    setRgb(cr, pal::black, 0.4);
    cairo_fill(cr);
    cairo_restore(cr);
    outline();
    setRgb(cr, cap);
    cairo_fill(cr);
    // the cut face, a little inside the cap's edge
    cairo_save(cr);
    cairo_scale(cr, 0.86, 0.86);
    cairo_translate(cr, 0, s * 0.04);
    outline();
    cairo_restore(cr);
    shadeFillPreserve(cr, flesh, -s, -s, s * 2, s * 2, 0.3);
    cairo_new_path(cr);
    cairo_move_to(cr, -s * 0.75, -s * 0.02);
    cairo_curve_to(cr, -s * 0.4, -s * 0.12, s * 0.4, -s * 0.12, s * 0.75, -s * 0.02);
    setRgb(cr, shade(flesh, 0.7), 0.6);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void baconStrip(cairo_t* cr, double x, double y, double len, double angle, uint32_t seed) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    Rng rng(seed);
    double w = len * 0.18;
    double ph = rng.range(0, 6.28);
    auto edge = [&](double off) {
        for (int i = 0; i <= 24; ++i) {
            double t = i / 24.0;
            double yy = off + std::sin(ph + t * 9) * w * 0.12;
            if (i == 0) cairo_line_to(cr, t * len, yy);
            else cairo_line_to(cr, t * len, yy);
        }
    };
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -w / 2);
    edge(-w / 2);
    for (int i = 24; i >= 0; --i) {
        double t = i / 24.0;
        cairo_line_to(cr, t * len, w / 2 + std::sin(ph + t * 9) * w * 0.12);
    }
    cairo_close_path(cr);
    cairo_save(cr);
    cairo_translate(cr, w * 0.12, w * 0.16);
    setRgb(cr, pal::black, 0.35);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, 0, -w / 2);
    edge(-w / 2);
    for (int i = 24; i >= 0; --i) {
        double t = i / 24.0;
        cairo_line_to(cr, t * len, w / 2 + std::sin(ph + t * 9) * w * 0.12);
    }
    cairo_close_path(cr);
    setRgb(cr, baconPink);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    // fat stripes and a rind
    double bands[] = {-0.28, 0.05, 0.33};
    for (double b : bands) {
        cairo_new_path(cr);
        for (int i = 0; i <= 24; ++i) {
            double t = i / 24.0;
            cairo_line_to(cr, t * len, b * w + std::sin(ph + t * 9) * w * 0.12);
        }
        setRgb(cr, fat, 0.9);
        cairo_set_line_width(cr, w * 0.13);
        cairo_stroke(cr);
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(0, -w / 2, 0, w / 2);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.25);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.3, 0, 0, 0.25);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_restore(cr);
}

void lardon(cairo_t* cr, double cx, double cy, double s, double angle, double browned) {
    Rgb meat = mix(baconPink, {0.62, 0.28, 0.14}, browned);
    Rgb f = mix(fat, {0.92, 0.72, 0.48}, browned);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    roundedRect(cr, -s + s * 0.15, -s * 0.4 + s * 0.2, s * 2, s * 0.8, s * 0.2);
    setRgb(cr, pal::black, 0.4);
    cairo_fill(cr);
    roundedRect(cr, -s, -s * 0.4, s * 2, s * 0.8, s * 0.2);
    shadeFillPreserve(cr, meat, -s, -s * 0.4, s * 2, s * 0.8, 0.4);
    cairo_new_path(cr);
    roundedRect(cr, -s, -s * 0.4, s * 2, s * 0.3, s * 0.15);
    setRgb(cr, f, 0.95);
    cairo_fill(cr);
    highlight(cr, -s * 0.3, -s * 0.1, s * 0.5, s * 0.12, 0.35);
    cairo_restore(cr);
}

void garlicBulb(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_path(cr);
    cairo_arc(cr, cx + r * 0.12, cy + r * 0.16, r, 0, 2 * M_PI);
    setRgb(cr, pal::black, 0.35);
    cairo_fill(cr);
    for (int i = 0; i < 6; ++i) {
        double a = i * M_PI / 3 + 0.3;
        ellipsePath(cr, cx + std::cos(a) * r * 0.42, cy + std::sin(a) * r * 0.42, r * 0.55, r * 0.5);
        roundShadeFillPreserve(cr, {0.96, 0.92, 0.88}, cx + std::cos(a) * r * 0.42,
                               cy + std::sin(a) * r * 0.42, r * 0.55, 0.3);
        setRgb(cr, {0.72, 0.58, 0.62}, 0.9);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    cairo_arc(cr, cx, cy, r * 0.25, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, {0.85, 0.75, 0.72}, cx, cy, r * 0.25, 0.3);
    cairo_new_path(cr);
    for (int i = 0; i < 6; ++i) {
        double a = i * M_PI / 3;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + std::cos(a) * r * 0.18, cy + std::sin(a) * r * 0.18);
    }
    setRgb(cr, {0.55, 0.4, 0.4});
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void garlicClove(cairo_t* cr, double cx, double cy, double s, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    cairo_move_to(cr, -s, s * 0.3);
    cairo_curve_to(cr, -s * 0.6, -s * 0.6, s * 0.5, -s * 0.5, s, -s * 0.05);
    cairo_curve_to(cr, s * 0.5, s * 0.35, -s * 0.4, s * 0.5, -s, s * 0.3);
    shadeFillPreserve(cr, {0.96, 0.92, 0.86}, -s, -s * 0.5, s * 2, s, 0.3);
    setRgb(cr, {0.72, 0.58, 0.62});
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void bayLeaf(cairo_t* cr, double cx, double cy, double len, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    double w = len * 0.22;
    cairo_new_path(cr);
    cairo_move_to(cr, -len / 2, 0);
    cairo_curve_to(cr, -len * 0.2, -w, len * 0.2, -w, len / 2, 0);
    cairo_curve_to(cr, len * 0.2, w, -len * 0.2, w, -len / 2, 0);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, -w, 0, w);
    Rgb leaf{0.42, 0.52, 0.26};
    cairo_pattern_add_color_stop_rgb(p, 0, leaf.r * 1.25, leaf.g * 1.2, leaf.b);
    cairo_pattern_add_color_stop_rgb(p, 1, leaf.r * 0.6, leaf.g * 0.65, leaf.b * 0.6);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_move_to(cr, -len / 2, 0);
    cairo_line_to(cr, len / 2, 0);
    for (int i = 1; i < 5; ++i) {
        double x = -len / 2 + len * i / 5.0;
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + len * 0.08, -w * 0.5);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + len * 0.08, w * 0.5);
    }
    setRgb(cr, {0.8, 0.85, 0.6}, 0.6);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void thymeSprig(cairo_t* cr, double x1, double y1, double x2, double y2, uint32_t seed) {
    Rng rng(seed);
    cairo_move_to(cr, x1, y1);
    double mx = (x1 + x2) / 2 + rng.range(-10, 10), my = (y1 + y2) / 2 + rng.range(-10, 10);
    cairo_curve_to(cr, mx, my, mx, my, x2, y2);
    setRgb(cr, {0.42, 0.3, 0.2});
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    for (int i = 1; i < 14; ++i) {
        double t = i / 14.0;
        double px = (1 - t) * (1 - t) * x1 + 2 * t * (1 - t) * mx + t * t * x2;
        double py = (1 - t) * (1 - t) * y1 + 2 * t * (1 - t) * my + t * t * y2;
        for (int side = -1; side <= 1; side += 2) {
            double a = std::atan2(y2 - y1, x2 - x1) + side * 0.9;
            ellipsePath(cr, px + std::cos(a) * 4, py + std::sin(a) * 4, 3.4, 2.2);
            setRgb(cr, i % 2 ? pal::herb : mix(pal::herb, pal::herbDark, 0.5));
            cairo_fill(cr);
        }
    }
}

void parsleySprig(cairo_t* cr, double cx, double cy, double s, double angle, uint32_t seed) {
    Rng rng(seed);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 0, s);
    cairo_line_to(cr, 0, 0);
    setRgb(cr, pal::herbDark);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    for (int i = 0; i < 7; ++i) {
        double a = -M_PI / 2 + (i - 3) * 0.45;
        double d = s * 0.35;
        double lx = std::cos(a) * d, ly = std::sin(a) * d;
        for (int k = 0; k < 3; ++k) {
            cairo_arc(cr, lx + rng.range(-4, 4), ly + rng.range(-4, 4), s * 0.12, 0, 2 * M_PI);
            roundShadeFillPreserve(cr, pal::herb, lx, ly, s * 0.14, 0.4);
            cairo_new_path(cr);
        }
    }
    cairo_restore(cr);
}

void bouquetGarni(cairo_t* cr, double cx, double cy, double s, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    // stems bundled along -x .. +x, leaves fanning at +x
    for (int i = -2; i <= 2; ++i) {
        cairo_move_to(cr, -s, i * s * 0.05);
        cairo_line_to(cr, s * 0.4, i * s * 0.09);
        setRgb(cr, i & 1 ? pal::herbDark : mix(pal::herb, pal::creamDark, 0.3));
        cairo_set_line_width(cr, s * 0.05);
        cairo_stroke(cr);
    }
    bayLeaf(cr, s * 0.55, -s * 0.18, s * 0.7, -0.35);
    bayLeaf(cr, s * 0.6, s * 0.16, s * 0.7, 0.3);
    thymeSprig(cr, s * 0.2, 0, s * 1.0, -s * 0.02, 7);
    parsleySprig(cr, s * 0.75, s * 0.02, s * 0.35, M_PI / 2, 3);
    // kitchen string
    for (int k = 0; k < 2; ++k) {
        double x = -s * 0.2 + k * s * 0.22;
        cairo_new_path(cr);
        roundedRect(cr, x, -s * 0.16, s * 0.05, s * 0.32, s * 0.02);
        setRgb(cr, {0.95, 0.9, 0.8});
        cairo_fill_preserve(cr);
        setRgb(cr, {0.6, 0.5, 0.4});
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void breadSlice(cairo_t* cr, double cx, double cy, double w, double h, double angle, uint32_t seed) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    ellipsePath(cr, w * 0.06, h * 0.1, w / 2, h / 2);
    setRgb(cr, pal::black, 0.35);
    cairo_fill(cr);
    ellipsePath(cr, 0, 0, w / 2, h / 2);
    roundShadeFillPreserve(cr, {0.66, 0.38, 0.14}, 0, 0, w / 2, 0.5);
    cairo_new_path(cr);
    ellipsePath(cr, 0, 0, w / 2 * 0.84, h / 2 * 0.8);
    roundShadeFillPreserve(cr, {0.96, 0.86, 0.62}, 0, 0, w / 2, 0.25);
    cairo_new_path(cr);
    Rng rng(seed);
    for (int i = 0; i < 16; ++i) {
        ellipsePath(cr, rng.range(-w * 0.3, w * 0.3), rng.range(-h * 0.28, h * 0.28), rng.range(1.5, 4),
                    rng.range(1, 2.5));
        setRgb(cr, {0.78, 0.64, 0.42}, 0.8);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void mashMound(cairo_t* cr, double cx, double cy, double rx, double ry) {
    ellipsePath(cr, cx, cy, rx, ry);
    roundShadeFillPreserve(cr, {0.98, 0.9, 0.66}, cx, cy, std::max(rx, ry), 0.3);
    cairo_new_path(cr);
    // swirls left by the spoon
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 4; ++i) {
        double k = 0.85 - i * 0.2;
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx * k, ry * k);
        cairo_arc(cr, 0, 0, 1, 0.3 + i, 0.3 + i + 3.6);
        cairo_restore(cr);
        setRgb(cr, {0.8, 0.68, 0.45}, 0.55);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
    }
    highlight(cr, cx - rx * 0.3, cy - ry * 0.35, rx * 0.35, ry * 0.2, 0.6);
}

void butterPat(cairo_t* cr, double cx, double cy, double s, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_new_path(cr);
    roundedRect(cr, -s / 2, -s / 2, s, s * 0.8, s * 0.15);
    shadeFillPreserve(cr, {1.0, 0.9, 0.5}, -s / 2, -s / 2, s, s, 0.3);
    cairo_new_path(cr);
    highlight(cr, -s * 0.15, -s * 0.2, s * 0.25, s * 0.1, 0.6);
    cairo_restore(cr);
}

void stewContents(Canvas& c, double cx, double cy, double rx, double ry, uint32_t seed,
                  double richness, bool garnish) {
    cairo_t* cr = c.cr;
    cairo_save(cr);
    ellipsePath(cr, cx, cy, rx, ry);
    cairo_clip(cr);
    int x0 = static_cast<int>(cx - rx), y0 = static_cast<int>(cy - ry);
    Rgb sauce = mix({0.42, 0.17, 0.07}, {0.34, 0.09, 0.06}, richness);
    paintPixels(cr, x0, y0, static_cast<int>(rx * 2) + 2, static_cast<int>(ry * 2) + 2,
                [&](double px, double py) {
                    double n = fbm(px / 30.0, py / 30.0, seed, 4);
                    double sheen = fbm(px / 12.0, py / 12.0, seed + 9, 2);
                    double k = 0.75 + 0.5 * n;
                    if (sheen > 0.72) k += (sheen - 0.72) * 1.6;
                    return shade(sauce, k);
                });
    Rng rng(seed);
    double sz = std::max(14.0, std::min(rx, ry) * 0.18);
    int n = static_cast<int>(M_PI * rx * ry / (sz * sz * 2.6));
    for (int i = 0; i < n; ++i) {
        double a = rng.range(0, 6.28), d = std::sqrt(rng.uni()) * 0.85;
        double x = cx + std::cos(a) * rx * d, y = cy + std::sin(a) * ry * d;
        int kind = rng.below(garnish ? 5 : 3);
        switch (kind) {
            case 0:
            case 1: beefCube(cr, x, y, sz * rng.range(1.1, 1.4), rng.range(0, 6.28), 0.9, rng.next()); break;
            case 2: carrotSlice(cr, x, y, sz * 0.55, 0.5); break;
            case 3: pearlOnion(cr, x, y, sz * 0.45, 0.7); break;
            default: mushroomHalf(cr, x, y, sz * 0.6, rng.range(0, 6.28), 0.7); break;
        }
    }
    // glossy sauce pooling over everything
    for (int i = 0; i < 10; ++i) {
        double a = rng.range(0, 6.28), d = rng.range(0.1, 0.8);
        highlight(cr, cx + std::cos(a) * rx * d, cy + std::sin(a) * ry * d, rx * 0.06, ry * 0.025, 0.25);
    }
    cairo_restore(cr);
}
