#include "pictures/props.h"

#include <algorithm>
#include <cmath>

// ------------------------------------------------------------------ surfaces

void woodSurface(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed, double plank,
                 bool vertical) {
    paintPixels(c.cr, x, y, w, h, [&](double px, double py) {
        double u = vertical ? py : px;  // along the grain
        double v = vertical ? px : py;  // across the grain
        int idx = static_cast<int>(std::floor(v / plank));
        double local = v - idx * plank;
        double tint = valueNoise(idx * 3.7, 0.5, seed) - 0.5;
        double warp = fbm(u / 220.0, v / 30.0 + idx * 5.3, seed + 7, 4);
        double rings = std::sin((v + warp * 46.0) * 0.42 + idx * 2.1);
        double fine = fbm(u / 60.0, v / 2.5, seed + 13, 3);
        double k = 0.88 + 0.07 * rings + 0.22 * (fine - 0.5) + 0.18 * tint;
        Rgb col = shade(base, k);
        // knots: dark ellipses here and there
        double kn = valueNoise(u / 140.0 + idx * 9.0, local / 40.0, seed + 31);
        if (kn > 0.86) col = shade(col, 1.0 - (kn - 0.86) * 2.2);
        double edge = std::min(local, plank - local);
        if (edge < 2.5) col = shade(col, 0.55 + 0.18 * edge);
        else if (edge < 6) col = shade(col, 1.0 + 0.02 * (6 - edge));
        return col;
    });
}

void tileWall(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed, int tile) {
    paintPixels(c.cr, x, y, w, h, [&](double px, double py) {
        int row = static_cast<int>(std::floor(static_cast<double>(py) / tile));
        double ox = (row & 1) ? tile * 0.5 : 0;
        int col = static_cast<int>(std::floor((px + ox) / tile));
        double lx = px + ox - col * tile, ly = py - row * tile;
        double edge = std::min({lx, ly, tile - lx, tile - ly});
        if (edge < 1.6) return shade(base, 0.72);
        double glaze = 0.96 + 0.08 * (valueNoise(col * 1.7, row * 2.3, seed) - 0.5);
        double cloud = fbm(px / 70.0, py / 70.0, seed + 3, 3);
        double k = glaze + 0.06 * (cloud - 0.5);
        if (edge < 5) k -= (5 - edge) * 0.015;
        // a gloss streak across each tile
        double s = (lx + ly) / tile;
        if (s > 0.35 && s < 0.5) k += 0.04;
        return shade(base, k);
    });
}

void stoveTop(Canvas& c, int x, int y, int w, int h, uint32_t seed) {
    paintPixels(c.cr, x, y, w, h, [&](double px, double py) {
        double n = fbm(px / 9.0, py / 9.0, seed, 3);
        double m = fbm(px / 200.0, py / 160.0, seed + 5, 2);
        double k = 0.09 + 0.05 * n + 0.06 * m;
        return Rgb{k * 1.1, k * 1.0, k * 0.95};
    });
}

void linenCloth(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed) {
    paintPixels(c.cr, x, y, w, h, [&](double px, double py) {
        double weave = 0.5 + 0.25 * std::sin(px * 1.9) * std::sin(py * 1.9 + 0.7);
        double threadsX = fbm(px / 1.5, py / 40.0, seed, 2);
        double threadsY = fbm(px / 40.0, py / 1.5, seed + 3, 2);
        double fold = fbm(px / 160.0, py / 120.0, seed + 9, 3);
        double k = 0.90 + 0.05 * weave + 0.07 * (threadsX + threadsY - 1) + 0.16 * (fold - 0.5);
        return shade(base, k);
    });
}

void paperSurface(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed) {
    paintPixels(c.cr, x, y, w, h, [&](double px, double py) {
        double fibres = fbm(px / 3.0, py / 18.0, seed, 3);
        double cloud = fbm(px / 90.0, py / 90.0, seed + 4, 3);
        double k = 0.985 + 0.03 * (fibres - 0.5) + 0.035 * (cloud - 0.5);
        return shade(base, k);
    });
}

void vignette(Canvas& c, double strength) {
    double cx = c.w / 2.0, cy = c.h / 2.0, r = std::hypot(cx, cy);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, r * 0.45, cx, cy, r * 1.05);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.1, 0.03, 0.02, 0);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.1, 0.03, 0.02, strength);
    cairo_set_source(c.cr, p);
    cairo_paint(c.cr);
    cairo_pattern_destroy(p);
}

void warmLight(Canvas& c, double cx, double cy, double r, double alpha) {
    cairo_save(c.cr);
    cairo_set_operator(c.cr, CAIRO_OPERATOR_SOFT_LIGHT);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 0.85, 0.55, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, 1.0, 0.85, 0.55, 0);
    cairo_set_source(c.cr, p);
    cairo_paint(c.cr);
    cairo_pattern_destroy(p);
    cairo_restore(c.cr);
}

// ------------------------------------------------------------------ cookware

void clipCircle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_clip(cr);
}

void innerShade(cairo_t* cr, double cx, double cy, double r, double alpha) {
    // The walls of a pot throw a shadow on the upper left of its contents and
    // the light catches the lower right.
    cairo_pattern_t* p = cairo_pattern_create_radial(cx + r * 0.12, cy + r * 0.15, r * 0.55,
                                                     cx, cy, r);
    cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, alpha);
    cairo_set_source(cr, p);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

double casseroleTop(Canvas& c, double cx, double cy, double r, Rgb enamel) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) {
        cairo_arc(s, cx, cy, r, 0, 2 * M_PI);
        cairo_rectangle(s, cx - r * 1.22, cy - r * 0.16, r * 2.44, r * 0.32);
    }, 24, 0.55, 12, 16);
    // loop handles on both sides
    for (int side = -1; side <= 1; side += 2) {
        cairo_new_path(cr);
        roundedRect(cr, side < 0 ? cx - r * 1.2 : cx + r * 0.9, cy - r * 0.16, r * 0.3, r * 0.32,
                    r * 0.12);
        shadeFillPreserve(cr, enamel, cx - r * 1.2, cy - r * 0.16, r * 2.4, r * 0.32, 0.4);
        setRgb(cr, shade(enamel, 0.45), 0.8);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_new_path(cr);
        roundedRect(cr, side < 0 ? cx - r * 1.14 : cx + r * 0.98, cy - r * 0.07, r * 0.16,
                    r * 0.14, r * 0.06);
        setRgb(cr, shade(enamel, 0.35));
        cairo_fill(cr);
    }
    // enamelled outer rim
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, enamel, cx, cy, r, 0.45);
    setRgb(cr, shade(enamel, 0.4));
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    // the black cast-iron lip
    double lip = r * 0.9;
    cairo_arc(cr, cx, cy, lip, 0, 2 * M_PI);
    setRgb(cr, pal::iron);
    cairo_fill(cr);
    highlight(cr, cx - r * 0.45, cy - r * 0.62, r * 0.3, r * 0.08, 0.5);
    double inner = r * 0.84;
    cairo_arc(cr, cx, cy, inner, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - inner * 0.2, cy - inner * 0.25, 0, cx,
                                                     cy, inner);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.2, 0.18, 0.17);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.06, 0.05, 0.05);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    return inner;
}

double fryingPanTop(Canvas& c, double cx, double cy, double r, double handleAngle) {
    cairo_t* cr = c.cr;
    double hx = cx + std::cos(handleAngle) * r, hy = cy + std::sin(handleAngle) * r;
    double ex = cx + std::cos(handleAngle) * r * 2.1, ey = cy + std::sin(handleAngle) * r * 2.1;
    softShadow(c, [&](cairo_t* s) {
        cairo_arc(s, cx, cy, r, 0, 2 * M_PI);
        cairo_fill(s);
        cairo_set_line_width(s, r * 0.22);
        cairo_move_to(s, hx, hy);
        cairo_line_to(s, ex, ey);
        cairo_stroke(s);
    }, 22, 0.55, 12, 16);
    // handle: wood with a copper ferrule
    cairo_save(cr);
    cairo_translate(cr, hx, hy);
    cairo_rotate(cr, handleAngle);
    double len = r * 1.12, th = r * 0.2;
    cairo_new_path(cr);
    roundedRect(cr, -r * 0.1, -th * 0.45, r * 0.35, th * 0.9, th * 0.2);
    shadeFillPreserve(cr, pal::copper, 0, -th, len, th * 2, 0.5);
    cairo_new_path(cr);
    roundedRect(cr, r * 0.22, -th / 2, len - r * 0.22, th, th / 2);
    shadeFillPreserve(cr, pal::woodDark, 0, -th / 2, len, th, 0.5);
    cairo_new_path(cr);
    cairo_arc(cr, len - th * 0.9, 0, th * 0.18, 0, 2 * M_PI);
    setRgb(cr, pal::iron);
    cairo_fill(cr);
    cairo_restore(cr);
    // copper-clad pan with a steel inside
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, pal::copper, cx, cy, r, 0.5);
    setRgb(cr, pal::copperDark);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    double inner = r * 0.88;
    cairo_arc(cr, cx, cy, inner, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - inner * 0.3, cy - inner * 0.3, 0, cx, cy,
                                                     inner);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.64, 0.58, 0.5);
    cairo_pattern_add_color_stop_rgb(p, 0.7, 0.4, 0.35, 0.3);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.22, 0.19, 0.16);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    highlight(cr, cx - r * 0.5, cy - r * 0.72, r * 0.32, r * 0.07, 0.55);
    return inner;
}

void cuttingBoard(Canvas& c, double x, double y, double w, double h, uint32_t seed) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { roundedRect(s, x, y, w, h, 26); }, 26, 0.6, 14, 18);
    cairo_save(cr);
    cairo_new_path(cr);
    roundedRect(cr, x, y, w, h, 26);
    cairo_clip(cr);
    woodSurface(c, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w) + 1,
                static_cast<int>(h) + 1, shade(pal::wood, 1.18), seed, 1000.0);
    // bevelled edge: light on the upper left, dark on the lower right
    cairo_new_path(cr);
    roundedRect(cr, x + 3, y + 3, w - 6, h - 6, 23);
    cairo_set_line_width(cr, 6);
    cairo_pattern_t* p = cairo_pattern_create_linear(x, y, x + w, y + h);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 0.9, 0.7, 0.35);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.2, 0.1, 0.05, 0.4);
    cairo_set_source(cr, p);
    cairo_stroke(cr);
    cairo_pattern_destroy(p);
    // knife scratches
    Rng rng(seed);
    cairo_set_line_width(cr, 0.8);
    for (int i = 0; i < 40; ++i) {
        double sx = x + rng.range(20, w - 20), sy = y + rng.range(20, h - 20);
        double a = rng.range(-0.5, 0.5), l = rng.range(15, 60);
        cairo_move_to(cr, sx, sy);
        cairo_line_to(cr, sx + std::cos(a) * l, sy + std::sin(a) * l);
        setRgb(cr, pal::woodDark, 0.18);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void woodenSpoon(Canvas& c, double x1, double y1, double x2, double y2, double bowl) {
    cairo_t* cr = c.cr;
    double a = std::atan2(y2 - y1, x2 - x1), len = std::hypot(x2 - x1, y2 - y1);
    auto shape = [&](cairo_t* s) {
        cairo_save(s);
        cairo_translate(s, x1, y1);
        cairo_rotate(s, a);
        cairo_new_path(s);
        roundedRect(s, 0, -bowl * 0.16, len - bowl, bowl * 0.32, bowl * 0.16);
        ellipsePath(s, len - bowl * 0.9, 0, bowl, bowl * 0.62);
        cairo_restore(s);
    };
    softShadow(c, shape, 12, 0.5, 8, 10);
    shape(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x1 - std::sin(a) * bowl, y1 + std::cos(a) * bowl,
                                                     x1 + std::sin(a) * bowl, y1 - std::cos(a) * bowl);
    Rgb b = shade(pal::wood, 1.25);
    cairo_pattern_add_color_stop_rgb(p, 0, b.r * 0.7, b.g * 0.7, b.b * 0.7);
    cairo_pattern_add_color_stop_rgb(p, 0.5, b.r, b.g, b.b);
    cairo_pattern_add_color_stop_rgb(p, 1, b.r * 0.85, b.g * 0.85, b.b * 0.85);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_translate(cr, x1, y1);
    cairo_rotate(cr, a);
    ellipsePath(cr, len - bowl * 0.85, 0, bowl * 0.72, bowl * 0.42);
    setRgb(cr, pal::woodDark, 0.3);
    cairo_fill(cr);
    // grain lines along the handle
    cairo_set_line_width(cr, 0.8);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, bowl * 0.2, i * bowl * 0.07);
        cairo_curve_to(cr, len * 0.3, i * bowl * 0.09, len * 0.5, i * bowl * 0.05, len - bowl * 1.2,
                       i * bowl * 0.08);
        setRgb(cr, pal::woodDark, 0.35);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void wineBottle(Canvas& c, double cx, double cy, double length, double angle, bool open) {
    cairo_t* cr = c.cr;
    double L = length, R = L * 0.13;
    // local frame: the bottle lies along +x, base at -L/2, mouth at +L/2
    auto body = [&](cairo_t* s) {
        cairo_save(s);
        cairo_translate(s, cx, cy);
        cairo_rotate(s, angle);
        double b = -L / 2, sh = L * 0.12, nk = L * 0.3;
        cairo_new_path(s);
        cairo_move_to(s, b + R * 0.2, -R);
        cairo_line_to(s, sh, -R);
        cairo_curve_to(s, sh + R * 1.1, -R, nk - R * 0.6, -R * 0.32, nk, -R * 0.32);
        cairo_line_to(s, L / 2, -R * 0.32);
        cairo_line_to(s, L / 2, R * 0.32);
        cairo_line_to(s, nk, R * 0.32);
        cairo_curve_to(s, nk - R * 0.6, R * 0.32, sh + R * 1.1, R, sh, R);
        cairo_line_to(s, b + R * 0.2, R);
        cairo_curve_to(s, b, R, b, R * 0.9, b, R * 0.7);
        cairo_line_to(s, b, -R * 0.7);
        cairo_curve_to(s, b, -R * 0.9, b, -R, b + R * 0.2, -R);
        cairo_close_path(s);
        cairo_restore(s);
    };
    softShadow(c, body, 16, 0.55, 10, 14);
    body(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, -R, 0, R);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.10, 0.22, 0.12);
    cairo_pattern_add_color_stop_rgb(p, 0.25, 0.22, 0.38, 0.22);
    cairo_pattern_add_color_stop_rgb(p, 0.55, 0.07, 0.16, 0.08);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.02, 0.06, 0.03);
    cairo_restore(cr);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    // capsule over the neck (or the bare glass lip when open)
    cairo_new_path(cr);
    if (!open) {
        cairo_rectangle(cr, L * 0.3 + L * 0.04, -R * 0.36, L / 2 - L * 0.34, R * 0.72);
        shadeFillPreserve(cr, pal::wine, L * 0.3, -R * 0.36, L * 0.2, R * 0.72, 0.5);
        cairo_new_path(cr);
    } else {
        cairo_rectangle(cr, L / 2 - L * 0.03, -R * 0.38, L * 0.03, R * 0.76);
        setRgb(cr, {0.2, 0.34, 0.22});
        cairo_fill(cr);
    }
    // label
    double lx = -L / 2 + L * 0.12, lw = L * 0.34;
    cairo_rectangle(cr, lx, -R * 0.92, lw, R * 1.84);
    shadeFillPreserve(cr, pal::cream, lx, -R, lw, R * 2, 0.3);
    cairo_new_path(cr);
    cairo_rectangle(cr, lx + 4, -R * 0.92 + 4, lw - 8, R * 1.84 - 8);
    setRgb(cr, pal::wine, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // lettering runs across the label along the bottle
    TextStyle st;
    st.size = R * 0.42;
    st.fill = pal::wine;
    drawText(cr, "Bourgogne", lx + lw / 2, R * 0.05, Align::Centre, st);
    st.size = R * 0.26;
    st.bold = false;
    st.italic = true;
    st.fill = pal::ink;
    drawText(cr, "Pinot Noir", lx + lw / 2, R * 0.5, Align::Centre, st);
    // glass gleam
    cairo_new_path(cr);
    roundedRect(cr, -L / 2 + L * 0.03, -R * 0.72, L * 0.5, R * 0.16, R * 0.08);
    setRgb(cr, pal::white, 0.28);
    cairo_fill(cr);
    cairo_restore(cr);
}

void potSide(Canvas& c, double cx, double baseY, double w, double h, Rgb enamel, bool lid) {
    cairo_t* cr = c.cr;
    double x = cx - w / 2, top = baseY - h;
    softShadow(c, [&](cairo_t* s) { ellipsePath(s, cx + 10, baseY, w * 0.56, h * 0.1); }, 20, 0.6,
               0, 4);
    // side handles
    for (int side = -1; side <= 1; side += 2) {
        cairo_new_path(cr);
        roundedRect(cr, side < 0 ? x - w * 0.09 : x + w * 0.99, top + h * 0.16, w * 0.1, h * 0.14,
                    h * 0.05);
        shadeFillPreserve(cr, enamel, x - w * 0.1, top, w * 1.2, h * 0.3, 0.5);
        cairo_new_path(cr);
    }
    // body with rounded bottom
    cairo_new_path(cr);
    cairo_move_to(cr, x, top + h * 0.08);
    cairo_line_to(cr, x + w, top + h * 0.08);
    cairo_line_to(cr, x + w, baseY - h * 0.18);
    cairo_curve_to(cr, x + w, baseY - h * 0.02, x + w * 0.9, baseY, x + w * 0.82, baseY);
    cairo_line_to(cr, x + w * 0.18, baseY);
    cairo_curve_to(cr, x + w * 0.1, baseY, x, baseY - h * 0.02, x, baseY - h * 0.18);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + w, 0);
    Rgb hi = shade(enamel, 1.35), lo = shade(enamel, 0.45);
    cairo_pattern_add_color_stop_rgb(p, 0, lo.r, lo.g, lo.b);
    cairo_pattern_add_color_stop_rgb(p, 0.28, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(p, 0.55, enamel.r, enamel.g, enamel.b);
    cairo_pattern_add_color_stop_rgb(p, 1, lo.r * 0.8, lo.g * 0.8, lo.b * 0.8);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // a band of shadow under the rim and a gleam down the body
    cairo_rectangle(cr, x, top + h * 0.08, w, h * 0.06);
    setRgb(cr, pal::black, 0.25);
    cairo_fill(cr);
    cairo_new_path(cr);
    roundedRect(cr, x + w * 0.22, top + h * 0.22, w * 0.05, h * 0.55, w * 0.025);
    setRgb(cr, pal::white, 0.35);
    cairo_fill(cr);
    if (lid) {
        double ly = top + h * 0.08;
        cairo_new_path(cr);
        cairo_move_to(cr, x - w * 0.03, ly);
        cairo_curve_to(cr, x + w * 0.1, ly - h * 0.22, x + w * 0.9, ly - h * 0.22, x + w * 1.03, ly);
        cairo_close_path(cr);
        cairo_pattern_t* q = cairo_pattern_create_linear(x, 0, x + w, 0);
        cairo_pattern_add_color_stop_rgb(q, 0, lo.r, lo.g, lo.b);
        cairo_pattern_add_color_stop_rgb(q, 0.3, hi.r, hi.g, hi.b);
        cairo_pattern_add_color_stop_rgb(q, 1, lo.r, lo.g, lo.b);
        cairo_set_source(cr, q);
        cairo_fill(cr);
        cairo_pattern_destroy(q);
        // brass knob
        cairo_new_path(cr);
        roundedRect(cr, cx - w * 0.07, ly - h * 0.26, w * 0.14, h * 0.1, h * 0.04);
        shadeFillPreserve(cr, pal::copperLight, cx - w * 0.07, ly - h * 0.26, w * 0.14, h * 0.1, 0.6);
        cairo_new_path(cr);
        cairo_rectangle(cr, cx - w * 0.03, ly - h * 0.17, w * 0.06, h * 0.03);
        setRgb(cr, pal::copperDark);
        cairo_fill(cr);
    } else {
        ellipsePath(cr, cx, top + h * 0.08, w / 2, h * 0.06);
        setRgb(cr, pal::iron);
        cairo_fill(cr);
    }
}

void burnerFlames(cairo_t* cr, double cx, double y, double w, double height, uint32_t seed) {
    Rng rng(seed);
    int n = 9;
    for (int i = 0; i < n; ++i) {
        double fx = cx - w / 2 + w * (i + 0.5) / n;
        double fh = height * rng.range(0.7, 1.0);
        double fw = w / n * 0.42;
        cairo_new_path(cr);
        cairo_move_to(cr, fx - fw, y);
        cairo_curve_to(cr, fx - fw, y - fh * 0.5, fx - fw * 0.2, y - fh * 0.8, fx, y - fh);
        cairo_curve_to(cr, fx + fw * 0.2, y - fh * 0.8, fx + fw, y - fh * 0.5, fx + fw, y);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y - fh);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.3, 0.5, 1.0, 0.95);
        cairo_pattern_add_color_stop_rgba(p, 0.55, 0.35, 0.6, 1.0, 0.7);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.9, 0.8, 1.0, 0.0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    glow(cr, cx, y - height * 0.3, w * 0.6, {0.3, 0.45, 1.0}, 0.25);
}

void steamWisp(Canvas& c, double x, double y, double height, double width, uint32_t seed,
               double alpha) {
    cairo_surface_t* s = c.layer();
    cairo_t* cr = cairo_create(s);
    Rng rng(seed);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int strand = 0; strand < 3; ++strand) {
        double px = x + rng.range(-width * 0.3, width * 0.3), py = y;
        double ph = rng.range(0, 6.28);
        cairo_move_to(cr, px, py);
        int steps = 6;
        for (int i = 1; i <= steps; ++i) {
            double t = static_cast<double>(i) / steps;
            double nx = x + std::sin(ph + t * 5.0) * width * (0.3 + t * 0.5);
            double ny = y - height * t;
            cairo_curve_to(cr, px, py - height / steps * 0.6, nx, ny + height / steps * 0.6, nx, ny);
            px = nx;
            py = ny;
        }
        cairo_set_line_width(cr, width * rng.range(0.18, 0.3));
        cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y - height);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.0);
        cairo_pattern_add_color_stop_rgba(p, 0.2, 1, 1, 1, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.0);
        cairo_set_source(cr, p);
        cairo_stroke(cr);
        cairo_pattern_destroy(p);
    }
    cairo_destroy(cr);
    blurSurface(s, static_cast<int>(width * 0.25));
    cairo_save(c.cr);
    cairo_set_source_surface(c.cr, s, 0, 0);
    cairo_paint_with_alpha(c.cr, alpha);
    cairo_restore(c.cr);
    cairo_surface_destroy(s);
}

void wallClock(Canvas& c, double cx, double cy, double r, double hours, double minutes) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { cairo_arc(s, cx, cy, r, 0, 2 * M_PI); }, 14, 0.5, 6, 9);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    roundShadeFillPreserve(cr, pal::copper, cx, cy, r, 0.5);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r * 0.86, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy - r * 0.3, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.98, 0.92);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.86, 0.78, 0.64);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 60; ++i) {
        double a = i * M_PI / 30;
        double r1 = r * (i % 5 == 0 ? 0.7 : 0.77), r2 = r * 0.8;
        cairo_move_to(cr, cx + std::sin(a) * r1, cy - std::cos(a) * r1);
        cairo_line_to(cr, cx + std::sin(a) * r2, cy - std::cos(a) * r2);
        setRgb(cr, pal::ink, i % 5 == 0 ? 0.9 : 0.5);
        cairo_set_line_width(cr, i % 5 == 0 ? r * 0.045 : r * 0.015);
        cairo_stroke(cr);
    }
    TextStyle st;
    st.size = r * 0.2;
    st.fill = pal::ink;
    const char* nums[] = {"12", "3", "6", "9"};
    for (int i = 0; i < 4; ++i) {
        double a = i * M_PI / 2;
        drawText(cr, nums[i], cx + std::sin(a) * r * 0.55, cy - std::cos(a) * r * 0.55 + st.size * 0.36,
                 Align::Centre, st);
    }
    double ha = (std::fmod(hours, 12.0) + minutes / 60.0) * M_PI / 6, ma = minutes * M_PI / 30;
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::sin(ha) * r * 0.42, cy - std::cos(ha) * r * 0.42);
    setRgb(cr, pal::ink);
    cairo_set_line_width(cr, r * 0.07);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::sin(ma) * r * 0.66, cy - std::cos(ma) * r * 0.66);
    cairo_set_line_width(cr, r * 0.045);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, r * 0.06, 0, 2 * M_PI);
    setRgb(cr, pal::tomato);
    cairo_fill(cr);
    // glass gleam
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r * 0.8, M_PI * 1.1, M_PI * 1.5);
    cairo_arc_negative(cr, cx, cy, r * 0.65, M_PI * 1.5, M_PI * 1.1);
    cairo_close_path(cr);
    setRgb(cr, pal::white, 0.3);
    cairo_fill(cr);
}

void wineGlassSide(Canvas& c, double cx, double baseY, double h) {
    cairo_t* cr = c.cr;
    double bw = h * 0.34, bowlTop = baseY - h, bowlBot = baseY - h * 0.5;
    softShadow(c, [&](cairo_t* s) { ellipsePath(s, cx + 6, baseY, h * 0.2, h * 0.04); }, 10, 0.5, 0, 2);
    // foot and stem
    ellipsePath(cr, cx, baseY, h * 0.17, h * 0.035);
    setRgb(cr, pal::white, 0.45);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - h * 0.012, bowlBot, h * 0.024, baseY - bowlBot);
    setRgb(cr, pal::white, 0.5);
    cairo_fill(cr);
    // bowl: the wine fills its lower part
    auto bowl = [&](cairo_t* s) {
        cairo_new_path(s);
        cairo_move_to(s, cx - bw * 0.42, bowlTop);
        cairo_curve_to(s, cx - bw * 0.6, bowlTop + h * 0.25, cx - bw * 0.55, bowlBot, cx, bowlBot);
        cairo_curve_to(s, cx + bw * 0.55, bowlBot, cx + bw * 0.6, bowlTop + h * 0.25, cx + bw * 0.42,
                       bowlTop);
        cairo_close_path(s);
    };
    cairo_save(cr);
    bowl(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, cx - bw, bowlTop + h * 0.2, bw * 2, h);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - bw / 2, 0, cx + bw / 2, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.3, 0.02, 0.06);
    cairo_pattern_add_color_stop_rgb(p, 0.35, 0.62, 0.1, 0.18);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.2, 0.01, 0.04);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    ellipsePath(cr, cx, bowlTop + h * 0.2, bw * 0.5, h * 0.025);
    setRgb(cr, {0.55, 0.12, 0.2});
    cairo_fill(cr);
    cairo_restore(cr);
    bowl(cr);
    setRgb(cr, pal::white, 0.08);
    cairo_fill_preserve(cr);
    setRgb(cr, pal::white, 0.6);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_new_path(cr);
    roundedRect(cr, cx - bw * 0.32, bowlTop + h * 0.05, bw * 0.07, h * 0.3, bw * 0.035);
    setRgb(cr, pal::white, 0.55);
    cairo_fill(cr);
}

void candleSide(Canvas& c, double cx, double baseY, double h) {
    cairo_t* cr = c.cr;
    double w = h * 0.22, top = baseY - h;
    glow(cr, cx, top - h * 0.2, h * 1.3, {1.0, 0.7, 0.3}, 0.35);
    // brass holder
    ellipsePath(cr, cx, baseY, w * 1.3, w * 0.3);
    roundShadeFillPreserve(cr, pal::copperLight, cx, baseY, w * 1.3, 0.5);
    cairo_new_path(cr);
    cairo_rectangle(cr, cx - w / 2, top, w, h);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - w / 2, 0, cx + w / 2, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.78, 0.64);
    cairo_pattern_add_color_stop_rgb(p, 0.35, 1.0, 0.97, 0.9);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.7, 0.62, 0.5);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    ellipsePath(cr, cx, top, w / 2, w * 0.12);
    setRgb(cr, {1.0, 0.93, 0.75});
    cairo_fill(cr);
    // a drip of wax
    cairo_new_path(cr);
    roundedRect(cr, cx + w * 0.1, top, w * 0.14, h * 0.22, w * 0.07);
    setRgb(cr, {0.96, 0.92, 0.82});
    cairo_fill(cr);
    cairo_move_to(cr, cx, top);
    cairo_line_to(cr, cx + 1, top - h * 0.06);
    setRgb(cr, pal::ink);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    double fy = top - h * 0.06, fh = h * 0.3;
    cairo_new_path(cr);
    cairo_move_to(cr, cx, fy - fh);
    cairo_curve_to(cr, cx + w * 0.45, fy - fh * 0.4, cx + w * 0.3, fy, cx, fy + fh * 0.05);
    cairo_curve_to(cr, cx - w * 0.3, fy, cx - w * 0.45, fy - fh * 0.4, cx, fy - fh);
    cairo_pattern_t* f = cairo_pattern_create_radial(cx, fy - fh * 0.2, 0, cx, fy - fh * 0.3, fh * 0.7);
    cairo_pattern_add_color_stop_rgb(f, 0, 1, 1, 0.9);
    cairo_pattern_add_color_stop_rgb(f, 0.5, 1, 0.8, 0.3);
    cairo_pattern_add_color_stop_rgb(f, 1, 0.95, 0.4, 0.1);
    cairo_set_source(cr, f);
    cairo_fill(cr);
    cairo_pattern_destroy(f);
    glow(cr, cx, fy - fh * 0.4, fh * 1.2, {1.0, 0.85, 0.5}, 0.5);
}

void plateTop(Canvas& c, double cx, double cy, double rx, double ry) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { ellipsePath(s, cx, cy, rx, ry); }, 18, 0.55, 8, 12);
    ellipsePath(cr, cx, cy, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - rx, cy - ry, cx + rx, cy + ry);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 0.99, 0.96);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.8, 0.76, 0.7);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // the well of the plate and a wine-red rim line
    ellipsePath(cr, cx, cy, rx * 0.93, ry * 0.93);
    setRgb(cr, pal::wine, 0.85);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    ellipsePath(cr, cx, cy + ry * 0.02, rx * 0.7, ry * 0.7);
    cairo_pattern_t* q = cairo_pattern_create_linear(cx - rx, cy - ry, cx + rx, cy + ry);
    cairo_pattern_add_color_stop_rgb(q, 0, 0.85, 0.82, 0.77);
    cairo_pattern_add_color_stop_rgb(q, 1, 1.0, 0.99, 0.96);
    cairo_set_source(cr, q);
    cairo_fill(cr);
    cairo_pattern_destroy(q);
}

void glassTop(Canvas& c, double cx, double cy, double r) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { cairo_arc(s, cx, cy, r, 0, 2 * M_PI); }, 12, 0.45, 10, 12);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    setRgb(cr, pal::white, 0.18);
    cairo_fill_preserve(cr);
    setRgb(cr, pal::white, 0.6);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx + r * 0.05, cy + r * 0.05, r * 0.72, 0, 2 * M_PI);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - r * 0.2, cy - r * 0.2, 0, cx, cy, r * 0.72);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.6, 0.1, 0.18);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.25, 0.02, 0.06);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    highlight(cr, cx - r * 0.35, cy - r * 0.4, r * 0.3, r * 0.12, 0.7);
}

void headingCard(Canvas& c, double x, double y, int step, const std::string& title) {
    cairo_t* cr = c.cr;
    TextStyle ts;
    ts.size = 30;
    ts.fill = pal::wine;
    double tw = textWidth(cr, title, ts);
    double w = std::max(tw + 48, 200.0), h = 80;
    if (x < 0) x = c.w + x - w;  // negative x: measured from the right edge
    softShadow(c, [&](cairo_t* s) { roundedRect(s, x, y, w, h, 8); }, 12, 0.55, 5, 7);
    cairo_save(cr);
    cairo_new_path(cr);
    roundedRect(cr, x, y, w, h, 8);
    cairo_clip(cr);
    paperSurface(c, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w) + 1,
                 static_cast<int>(h) + 1, pal::cream, 77u + step);
    cairo_restore(cr);
    cairo_new_path(cr);
    roundedRect(cr, x + 5, y + 5, w - 10, h - 10, 5);
    setRgb(cr, pal::copper, 0.9);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // a copper tab with the step number
    cairo_new_path(cr);
    cairo_rectangle(cr, x + 20, y + 10, 92, 24);
    shadeFillPreserve(cr, pal::tomato, x + 20, y + 10, 92, 24, 0.4);
    cairo_new_path(cr);
    TextStyle ns;
    ns.family = "DejaVu Sans";
    ns.size = 15;
    ns.fill = pal::cream;
    drawText(cr, "STEP " + std::to_string(step) + " / 7", x + 66, y + 28, Align::Centre, ns);
    drawText(cr, title, x + 22, y + 66, Align::Left, ts);
}
