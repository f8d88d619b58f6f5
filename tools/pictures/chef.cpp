// The chef, his speech bubble and the seven captions, all 512 x 512 on a
// transparent background. They are shown at 200 x 200, so shapes are bold and
// outlined, and the lettering is large.
#include "pictures/pictures.h"
#include "pictures/props.h"
#include "pictures/words.h"
#include "core/data_set.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const Rgb skin{0.98, 0.78, 0.62};
const Rgb jacket{0.97, 0.96, 0.93};
const double outlineWidth = 7;

void inkOutline(cairo_t* cr, double width = outlineWidth) {
    setRgb(cr, pal::ink);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void fillOutlined(cairo_t* cr, Rgb base, double x, double y, double w, double h,
                  double strength = 0.3) {
    shadeFillPreserve(cr, base, x, y, w, h, strength);
    inkOutline(cr);
}

// The jacket that runs off the bottom edge, its apron, pocket and buttons.
void drawJacket(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 60, 530);
    cairo_curve_to(cr, 60, 390, 120, 318, 256, 312);
    cairo_curve_to(cr, 392, 318, 452, 390, 452, 530);
    cairo_close_path(cr);
    fillOutlined(cr, jacket, 60, 300, 400, 240);
    // apron bib with copper trim
    cairo_new_path(cr);
    cairo_move_to(cr, 170, 530);
    cairo_line_to(cr, 182, 385);
    cairo_line_to(cr, 330, 385);
    cairo_line_to(cr, 342, 530);
    cairo_close_path(cr);
    fillOutlined(cr, mix(pal::cream, pal::creamDark, 0.4), 170, 385, 172, 150, 0.25);
    cairo_move_to(cr, 186, 400);
    cairo_line_to(cr, 326, 400);
    setRgb(cr, pal::copper);
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
    // apron pocket with a little spoon sticking out
    cairo_new_path(cr);
    roundedRect(cr, 215, 440, 82, 60, 8);
    setRgb(cr, shade(pal::creamDark, 0.95));
    cairo_fill_preserve(cr);
    inkOutline(cr, 4);
    // the jacket's double row of buttons
    for (int i = 0; i < 2; ++i) {
        for (int s = -1; s <= 1; s += 2) {
            cairo_new_path(cr);
            cairo_arc(cr, 256 + s * 96, 380 + i * 50, 9, 0, 2 * M_PI);
            setRgb(cr, pal::copper);
            cairo_fill_preserve(cr);
            inkOutline(cr, 3);
        }
    }
}

// The raised arm with a wooden spoon (viewer's left).
void drawArmAndSpoon(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 95, 420);
    cairo_curve_to(cr, 70, 380, 75, 330, 92, 290);
    cairo_line_to(cr, 140, 300);
    cairo_curve_to(cr, 130, 340, 135, 370, 150, 400);
    cairo_close_path(cr);
    fillOutlined(cr, jacket, 70, 290, 90, 130);
    // spoon
    cairo_save(cr);
    cairo_translate(cr, 112, 280);
    cairo_rotate(cr, -1.75);
    cairo_new_path(cr);
    roundedRect(cr, -10, -9, 170, 18, 9);
    fillOutlined(cr, shade(pal::wood, 1.2), 0, -9, 170, 18);
    ellipsePath(cr, 185, 0, 38, 26);
    fillOutlined(cr, shade(pal::wood, 1.2), 150, -26, 76, 52);
    ellipsePath(cr, 188, 0, 24, 15);
    setRgb(cr, pal::woodDark, 0.35);
    cairo_fill(cr);
    cairo_restore(cr);
    // fist round the spoon
    cairo_new_path(cr);
    cairo_arc(cr, 114, 282, 30, 0, 2 * M_PI);
    fillOutlined(cr, skin, 84, 252, 60, 60, 0.35);
}

// The neckerchief.
void drawNeckerchief(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 190, 300);
    cairo_curve_to(cr, 220, 340, 292, 340, 322, 300);
    cairo_line_to(cr, 300, 350);
    cairo_line_to(cr, 256, 372);
    cairo_line_to(cr, 212, 350);
    cairo_close_path(cr);
    fillOutlined(cr, pal::tomato, 190, 300, 132, 72, 0.4);
    cairo_new_path(cr);
    cairo_move_to(cr, 245, 345);
    cairo_line_to(cr, 232, 398);
    cairo_line_to(cr, 256, 388);
    cairo_line_to(cr, 280, 398);
    cairo_line_to(cr, 267, 345);
    cairo_close_path(cr);
    fillOutlined(cr, pal::tomato, 232, 345, 48, 53, 0.4);
}

// The head with its face.
void drawFace(cairo_t* cr) {
    // head
    cairo_new_path(cr);
    ellipsePath(cr, 256, 226, 86, 92);
    fillOutlined(cr, skin, 170, 134, 172, 184, 0.3);
    // ears
    for (int s = -1; s <= 1; s += 2) {
        cairo_new_path(cr);
        ellipsePath(cr, 256 + s * 86, 236, 16, 24);
        fillOutlined(cr, skin, 256 + s * 86 - 16, 212, 32, 48, 0.3);
    }
    cairo_new_path(cr);
    ellipsePath(cr, 256, 226, 80, 86);
    setRgb(cr, skin);
    cairo_fill(cr);
    // rosy cheeks
    glow(cr, 205, 255, 30, {0.95, 0.4, 0.35}, 0.55);
    glow(cr, 307, 255, 30, {0.95, 0.4, 0.35}, 0.55);
    // eyes and brows
    for (int s = -1; s <= 1; s += 2) {
        double ex = 256 + s * 32;
        cairo_new_path(cr);
        ellipsePath(cr, ex, 218, 10, 14);
        setRgb(cr, pal::ink);
        cairo_fill(cr);
        cairo_arc(cr, ex - 3, 213, 4, 0, 2 * M_PI);
        setRgb(cr, pal::white);
        cairo_fill(cr);
        cairo_move_to(cr, ex - s * 20, 192);
        cairo_curve_to(cr, ex - s * 8, 182, ex + s * 8, 182, ex + s * 20, 190);
        inkOutline(cr, 7);
    }
    // nose
    cairo_new_path(cr);
    ellipsePath(cr, 256, 246, 18, 15);
    fillOutlined(cr, shade(skin, 0.92), 238, 231, 36, 30, 0.35);
    // smile
    cairo_new_path(cr);
    cairo_move_to(cr, 222, 284);
    cairo_curve_to(cr, 236, 302, 276, 302, 290, 284);
    inkOutline(cr, 6);
    // moustache: two curled wings
    for (int s = -1; s <= 1; s += 2) {
        cairo_new_path(cr);
        cairo_move_to(cr, 256, 262);
        cairo_curve_to(cr, 256 + s * 30, 250, 256 + s * 62, 258, 256 + s * 76, 268);
        cairo_curve_to(cr, 256 + s * 90, 276, 256 + s * 92, 258, 256 + s * 82, 252);
        cairo_curve_to(cr, 256 + s * 96, 272, 256 + s * 70, 292, 256 + s * 44, 280);
        cairo_curve_to(cr, 256 + s * 24, 276, 256 + s * 10, 276, 256, 272);
        cairo_close_path(cr);
        shadeFillPreserve(cr, {0.36, 0.2, 0.12}, 180, 250, 150, 40, 0.4);
        inkOutline(cr, 4);
    }
}

// The toque: band and puffed top.
void drawToque(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_move_to(cr, 176, 160);
    cairo_curve_to(cr, 120, 150, 110, 80, 160, 62);
    cairo_curve_to(cr, 170, 18, 235, 6, 258, 34);
    cairo_curve_to(cr, 285, 4, 350, 18, 354, 62);
    cairo_curve_to(cr, 404, 80, 394, 150, 336, 160);
    cairo_close_path(cr);
    fillOutlined(cr, pal::white, 120, 10, 280, 150, 0.18);
    // pleats of the puff
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, 256 + i * 46, 150);
        cairo_curve_to(cr, 256 + i * 52, 110, 256 + i * 50, 80, 256 + i * 44, 50);
    }
    setRgb(cr, {0.75, 0.72, 0.7});
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_new_path(cr);
    roundedRect(cr, 172, 140, 168, 44, 10);
    fillOutlined(cr, pal::white, 172, 140, 168, 44, 0.2);
    cairo_move_to(cr, 180, 170);
    cairo_line_to(cr, 332, 170);
    setRgb(cr, pal::tomato, 0.8);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
}

// The jacket's lower edge is cut by the picture's bottom: the bottom rows are
// filled fully under the body so that the chef stands on the edge.
void fillBottomEdge(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 62, 500, 388, 12);
    setRgb(cr, shade(jacket, 0.85));
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, 174, 500, 164, 12);
    setRgb(cr, shade(mix(pal::cream, pal::creamDark, 0.4), 0.85));
    cairo_fill(cr);
    cairo_move_to(cr, 60, 490);
    cairo_line_to(cr, 60, 512);
    cairo_move_to(cr, 452, 490);
    cairo_line_to(cr, 452, 512);
    inkOutline(cr, outlineWidth);
}

}  // namespace

void drawChef(Canvas& c) {
    cairo_t* cr = c.cr;
    drawJacket(cr);
    drawArmAndSpoon(cr);
    drawNeckerchief(cr);
    drawFace(cr);
    drawToque(cr);
    fillBottomEdge(cr);
}

void drawBubble(Canvas& c) {
    cairo_t* cr = c.cr;
    BubbleShape b;
    auto shape = [&](cairo_t* s) {
        cairo_new_path(s);
        ellipsePath(s, b.cx, b.cy, b.rx, b.ry);
        // the tail points down-left, towards the chef's head
        // (wound the same way as the ellipse, so their overlap stays filled)
        cairo_move_to(s, b.cx - b.rx * 0.2, b.cy + b.ry * 0.9);
        cairo_curve_to(s, b.cx - b.rx * 0.3, b.cy + b.ry * 0.9, 140, 390, 52, 400);
        cairo_curve_to(s, 120, 360, b.cx - b.rx * 0.8, b.cy + b.ry * 0.95, b.cx - b.rx * 0.62,
                       b.cy + b.ry * 0.5);
        cairo_close_path(s);
    };
    softShadow(c, shape, 18, 0.35, 8, 12, pal::ink);
    shape(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_pattern_t* p = cairo_pattern_create_radial(b.cx - 60, b.cy - 70, 20, b.cx, b.cy, b.rx * 1.1);
    cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.75, 1.0, 0.98, 0.93);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.93, 0.87, 0.76);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    // stroke twice as wide and fill again: only the outer half of the line
    // stays, so the tail joins the balloon without a seam
    inkOutline(cr, 18);
    shape(cr);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // inner copper rule and a gleam
    cairo_new_path(cr);
    ellipsePath(cr, b.cx, b.cy, b.rx - 16, b.ry - 16);
    setRgb(cr, pal::copper, 0.45);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, b.cx, b.cy);
    cairo_scale(cr, b.rx - 30, b.ry - 30);
    cairo_arc(cr, 0, 0, 1, M_PI * 1.12, M_PI * 1.38);
    cairo_restore(cr);
    setRgb(cr, pal::white);
    cairo_set_line_width(cr, 10);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

namespace {

// A caption's lines, as the data set's table words them.
struct Caption {
    std::vector<std::string> lines;
};

}  // namespace

// Half-width of the bubble's usable inside at height y, leaving room for the
// caption's tilt and breathing.
static double usableHalfWidth(const BubbleShape& b, double y) {
    double t = (y - b.cy) / (b.ry * 0.88);
    if (std::abs(t) >= 1) return 0;
    return b.rx * 0.8 * std::sqrt(1 - t * t);
}

void drawCaption(Canvas& c, int k) {
    cairo_t* cr = c.cr;
    BubbleShape b;
    const Caption cap{pictureWords(kSlotFirstCaption + std::clamp(k, 0, 6))};
    int n = static_cast<int>(cap.lines.size());
    TextStyle st;
    st.family = "DejaVu Sans Condensed";
    st.fill = pal::ink;
    // largest size at which every line fits the ellipse at its own height
    double size = 66;
    for (; size > 20; size -= 1) {
        double pitch = size * 1.08;
        double top = b.cy - pitch * (n - 1) / 2;
        bool fits = true;
        for (int i = 0; i < n && fits; ++i) {
            st.size = size;
            double y = top + i * pitch;
            double half = std::min(usableHalfWidth(b, y - size * 0.45),
                                   usableHalfWidth(b, y + size * 0.45));
            if (textWidth(cr, cap.lines[i], st) / 2 > half) fits = false;
        }
        if (fits && pitch * n < b.ry * 1.5) break;
    }
    st.size = size;
    double pitch = size * 1.08;
    double top = b.cy - pitch * (n - 1) / 2;
    for (int i = 0; i < n; ++i) {
        TextStyle line = st;
        line.fill = i == 0 ? pal::tomatoDark : pal::ink;
        line.outline = 6;
        line.outlineColour = pal::white;
        drawText(cr, cap.lines[i], b.cx, top + i * pitch + size * 0.36, Align::Centre, line);
    }
}
