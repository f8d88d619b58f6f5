// The 512 x 512 atlas (loading screen panels, button faces, the scroller's
// glowing sprite), the particle sprite and the window icon.
//
// Atlas layout (x, y, w, h):
//   (0, 0, 128, 320), (128, 0, ...), (256, 0, ...)  three steam frames, drawn
//       additively, so each keeps a black border of its own;
//   (0, 320, 256, 128)  the opaque "warming up" panel; on screen its right
//       part sits under the steam frames, where a little pot waits for them;
//   buttons, 31 x 29: (384, 384) previous on the first slide (dimmed),
//       (384, 448) previous lit, (448, 448) next lit, (448, 384) leave lit,
//       (448, 21) leave unlit;
//   (448, 256, 64, 64)  the glow, drawn additively;
// and black everywhere else, so JPEG blocks never mix two regions.
#include "pictures/pictures.h"
#include "pictures/props.h"
#include "pictures/words.h"
#include "core/data_set.h"

#include <algorithm>
#include <cmath>

namespace {

// Fades a premultiplied surface to black over `margin` pixels at its borders.
void fadeBorders(Canvas& c, double margin) {
    cairo_surface_flush(c.surface);
    unsigned char* data = cairo_image_surface_get_data(c.surface);
    int stride = cairo_image_surface_get_stride(c.surface);
    margin *= c.scale;
    for (int y = 0; y < c.ph; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < c.pw; ++x) {
            double d = std::min({x + 0.5, y + 0.5, c.pw - x - 0.5, c.ph - y - 0.5});
            double k = std::clamp((d - margin * 0.35) / (margin * 0.65), 0.0, 1.0);
            k = k * k * (3 - 2 * k);
            uint32_t p = row[x];
            uint32_t out = 0;
            for (int ch = 0; ch < 4; ++ch) {
                uint32_t v = (p >> (ch * 8)) & 255;
                out |= static_cast<uint32_t>(std::lround(v * k)) << (ch * 8);
            }
            row[x] = out;
        }
    }
    cairo_surface_mark_dirty(c.surface);
}

// One frame of the rising steam: wisps and a few sparks, phase 0, 1 or 2.
void steamFrame(Canvas& f, int phase) {
    cairo_t* cr = f.cr;
    double t = phase / 3.0;
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    // soft column of warm light above the pot
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 320, 0, 60);
    cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 0.6, 0.25, 0.0);
    cairo_pattern_add_color_stop_rgba(p, 0.15, 1.0, 0.6, 0.25, 0.35);
    cairo_pattern_add_color_stop_rgba(p, 1, 1.0, 0.6, 0.25, 0.0);
    cairo_save(cr);
    cairo_translate(cr, 64, 0);
    cairo_scale(cr, 0.32, 1);
    cairo_rectangle(cr, -128, 0, 256, 320);
    cairo_restore(cr);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // three curling strands; each frame moves them a third of a turn on
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int s = 0; s < 3; ++s) {
        double ph = s * 2.1 + t * 2 * M_PI;
        double x0 = 64 + (s - 1) * 16;
        cairo_move_to(cr, x0, 300);
        for (int i = 1; i <= 24; ++i) {
            double u = i / 24.0;
            double y = 300 - u * 260;
            double x = 64 + (x0 - 64) * (1 - u) + std::sin(ph + u * 7.0) * (8 + u * 30);
            cairo_line_to(cr, x, y);
        }
        cairo_pattern_t* q = cairo_pattern_create_linear(0, 300, 0, 40);
        cairo_pattern_add_color_stop_rgba(q, 0, 1.0, 0.95, 0.85, 0.0);
        cairo_pattern_add_color_stop_rgba(q, 0.12, 1.0, 0.95, 0.85, 0.8);
        cairo_pattern_add_color_stop_rgba(q, 0.6, 1.0, 0.8, 0.6, 0.4);
        cairo_pattern_add_color_stop_rgba(q, 1, 1.0, 0.7, 0.5, 0.0);
        cairo_set_source(cr, q);
        cairo_set_line_width(cr, 9 - s * 2);
        cairo_stroke(cr);
        cairo_pattern_destroy(q);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    blurSurface(f.surface, 4);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    // sparks that climb with the phase
    Rng rng(90);
    for (int i = 0; i < 14; ++i) {
        double x = rng.range(30, 98), y0 = rng.range(60, 300);
        double y = 60 + std::fmod(y0 - 60 - t * 80 + 240, 240.0);
        glow(cr, x, y, rng.range(3, 6), {1.0, 0.75, 0.35}, 0.9);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    fadeBorders(f, 14);
}

void loadingPanel(Canvas& a) {
    cairo_t* cr = a.cr;
    Canvas p(256, 128, a.scale);
    linenCloth(p, 0, 0, 256, 128, pal::wine, 91);
    warmLight(p, 210, 60, 140, 0.8);
    cairo_new_path(p.cr);
    cairo_rectangle(p.cr, 4, 4, 248, 120);
    setRgb(p.cr, pal::copper);
    cairo_set_line_width(p.cr, 3);
    cairo_stroke(p.cr);
    TextStyle t;
    t.size = 34;
    t.italic = true;
    t.fill = pal::cream;
    t.outline = 4;
    t.outlineColour = pal::copperDark;
    drawText(p.cr, wordsLine(kSlotAtlas, 0), 14, 52, Align::Left, t);
    TextStyle s;
    s.size = 17;
    s.bold = false;
    s.italic = true;
    s.fill = pal::copperLight;
    drawText(p.cr, wordsLine(kSlotAtlas, 1), 16, 84, Align::Left, s);
    TextStyle u;
    u.family = "DejaVu Sans";
    u.size = 11;
    u.fill = pal::creamDark;
    drawText(p.cr, wordsLine(kSlotAtlas, 2), 16, 108, Align::Left, u);
    // the pot under the steam frames (their centre is at panel x 220)
    burnerFlames(p.cr, 220, 120, 60, 9, 5);
    potSide(p, 220, 114, 62, 46, pal::tomato, true);
    p.grain(0.02, 92);
    cairo_surface_flush(p.surface);
    cairo_save(cr);
    cairo_set_source_surface(cr, p.surface, 0, 320);
    cairo_rectangle(cr, 0, 320, 256, 128);
    cairo_fill(cr);
    cairo_restore(cr);
}

enum class Icon { Left, Right, Door };

void button(Canvas& a, int x, int y, Icon icon, bool lit, Rgb plate) {
    cairo_t* cr = a.cr;
    const double w = 31, h = 29;
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    Rgb base = lit ? plate : mix(shade(plate, 0.45), {0.25, 0.22, 0.2}, 0.5);
    cairo_rectangle(cr, x, y, w, h);
    shadeFillPreserve(cr, base, x, y, w, h, 0.5);
    cairo_new_path(cr);
    // bevel: light top-left edge, dark bottom-right edge
    cairo_rectangle(cr, x + 1, y + 1, w - 2, h - 2);
    setRgb(cr, lit ? pal::copperLight : shade(base, 1.3), 0.8);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
    setRgb(cr, pal::ink, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Rgb glyph = lit ? Rgb{1.0, 0.98, 0.88} : shade(pal::creamDark, 0.6);
    if (lit) glow(cr, x + w / 2, y + h / 2, 13, {1.0, 0.9, 0.6}, 0.5);
    double cx = x + w / 2, cy = y + h / 2;
    cairo_new_path(cr);
    if (icon == Icon::Left || icon == Icon::Right) {
        double s = icon == Icon::Left ? -1 : 1;
        cairo_move_to(cr, cx + s * 8, cy);
        cairo_line_to(cr, cx - s * 3, cy - 9);
        cairo_line_to(cr, cx - s * 3, cy - 4);
        cairo_line_to(cr, cx - s * 9, cy - 4);
        cairo_line_to(cr, cx - s * 9, cy + 4);
        cairo_line_to(cr, cx - s * 3, cy + 4);
        cairo_line_to(cr, cx - s * 3, cy + 9);
        cairo_close_path(cr);
        setRgb(cr, glyph);
        cairo_fill_preserve(cr);
        setRgb(cr, pal::ink, 0.6);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    } else {
        // an open door with an arrow leaving through it
        cairo_rectangle(cr, x + 5, y + 5, 12, 19);
        setRgb(cr, pal::ink, 0.85);
        cairo_fill(cr);
        cairo_move_to(cr, x + 5, y + 5);
        cairo_line_to(cr, x + 11, y + 7);
        cairo_line_to(cr, x + 11, y + 26);
        cairo_line_to(cr, x + 5, y + 24);
        cairo_close_path(cr);
        setRgb(cr, glyph);
        cairo_fill(cr);
        cairo_move_to(cr, x + 14, cy);
        cairo_line_to(cr, x + 23, cy);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        cairo_move_to(cr, x + 27, cy);
        cairo_line_to(cr, x + 21, cy - 5);
        cairo_line_to(cr, x + 21, cy + 5);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void glowSprite(Canvas& a, int x, int y) {
    cairo_t* cr = a.cr;
    double cx = x + 32, cy = y + 32;
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, 28);
    cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 1.0, 0.95);
    cairo_pattern_add_color_stop_rgb(p, 0.15, 1.0, 0.9, 0.7);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.7, 0.4, 0.18);
    cairo_pattern_add_color_stop_rgb(p, 1, 0, 0, 0);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, 64, 64);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // a faint four-pointed twinkle
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    for (int i = 0; i < 2; ++i) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_rotate(cr, i * M_PI / 2);
        cairo_scale(cr, 24, 2.2);
        cairo_pattern_t* q = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        cairo_pattern_add_color_stop_rgba(q, 0, 1, 0.95, 0.8, 0.7);
        cairo_pattern_add_color_stop_rgba(q, 1, 1, 0.95, 0.8, 0);
        cairo_set_source(cr, q);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(q);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

}  // namespace

void drawAtlas(Canvas& a) {
    cairo_t* cr = a.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    for (int f = 0; f < 3; ++f) {
        Canvas frame(128, 320, a.scale);
        cairo_set_source_rgb(frame.cr, 0, 0, 0);
        cairo_paint(frame.cr);
        steamFrame(frame, f);
        cairo_surface_flush(frame.surface);
        cairo_save(cr);
        cairo_set_source_surface(cr, frame.surface, 128 * f, 0);
        cairo_rectangle(cr, 128 * f, 0, 128, 320);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    loadingPanel(a);
    button(a, 384, 384, Icon::Left, false, pal::copper);
    button(a, 384, 448, Icon::Left, true, pal::copper);
    button(a, 448, 448, Icon::Right, true, pal::copper);
    button(a, 448, 384, Icon::Door, true, pal::tomato);
    button(a, 448, 21, Icon::Door, false, pal::tomato);
    glowSprite(a, 448, 256);
}

void drawParticle(Canvas& c) {
    cairo_t* cr = c.cr;
    double cx = c.w / 2.0, cy = c.h / 2.0, r = c.w / 2.0 - 2;
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, r);
    cairo_pattern_add_color_stop_rgba(p, 0, 1.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgba(p, 0.18, 0.95, 0.97, 1.0, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 0.45, 0.75, 0.85, 1.0, 0.45);
    cairo_pattern_add_color_stop_rgba(p, 0.75, 0.6, 0.75, 1.0, 0.12);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.6, 0.75, 1.0, 0.0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
}

void drawIcon(Canvas& c) {
    cairo_t* cr = c.cr;
    double k = c.w / 256.0;
    cairo_scale(cr, k, k);
    cairo_pattern_t* bg = cairo_pattern_create_radial(128, 110, 10, 128, 128, 190);
    cairo_pattern_add_color_stop_rgb(bg, 0, 0.62, 0.12, 0.2);
    cairo_pattern_add_color_stop_rgb(bg, 1, pal::wineDeep.r, pal::wineDeep.g, pal::wineDeep.b);
    cairo_set_source(cr, bg);
    cairo_paint(cr);
    cairo_pattern_destroy(bg);
    // a stout pot with a lid and a curl of steam, drawn large and scaled down
    cairo_move_to(cr, 128, 72);
    cairo_curve_to(cr, 96, 52, 160, 36, 128, 12);
    setRgb(cr, pal::cream, 0.85);
    cairo_set_line_width(cr, 14);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_new_path(cr);
    roundedRect(cr, 18, 130, 30, 26, 10);
    roundedRect(cr, 208, 130, 30, 26, 10);
    setRgb(cr, pal::copper);
    cairo_fill(cr);
    cairo_new_path(cr);
    roundedRect(cr, 38, 112, 180, 120, 34);
    shadeFillPreserve(cr, pal::copper, 38, 112, 180, 120, 0.5);
    setRgb(cr, pal::ink);
    cairo_set_line_width(cr, 10);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_move_to(cr, 28, 116);
    cairo_curve_to(cr, 60, 72, 196, 72, 228, 116);
    cairo_close_path(cr);
    shadeFillPreserve(cr, pal::tomato, 28, 80, 200, 40, 0.4);
    setRgb(cr, pal::ink);
    cairo_stroke(cr);
    cairo_new_path(cr);
    roundedRect(cr, 110, 70, 36, 18, 8);
    setRgb(cr, pal::copperLight);
    cairo_fill(cr);
    highlight(cr, 80, 150, 18, 40, 0.6);
}
