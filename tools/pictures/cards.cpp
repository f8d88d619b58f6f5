// The title cards that open the issue, the two closing cards and the
// background of the scrolling text.
#include "pictures/pictures.h"
#include "pictures/props.h"
#include "pictures/words.h"
#include "core/data_set.h"

#include <cmath>

namespace {

void wineLinen(Canvas& c, uint32_t seed) {
    linenCloth(c, 0, 0, c.w, c.h, pal::wine, seed);
    warmLight(c, c.w / 2.0, c.h * 0.42, 520, 0.7);
}

// A thin double copper frame with corner flourishes.
void copperFrame(Canvas& c, double inset) {
    cairo_t* cr = c.cr;
    double x = inset, y = inset, w = c.w - 2 * inset, h = c.h - 2 * inset;
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, c.w, c.h);
    cairo_pattern_add_color_stop_rgb(p, 0, pal::copperLight.r, pal::copperLight.g, pal::copperLight.b);
    cairo_pattern_add_color_stop_rgb(p, 0.5, pal::copper.r, pal::copper.g, pal::copper.b);
    cairo_pattern_add_color_stop_rgb(p, 1, pal::copperDark.r, pal::copperDark.g, pal::copperDark.b);
    cairo_set_source(cr, p);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_rectangle(cr, x + 9, y + 9, w - 18, h - 18);
    cairo_set_source(cr, p);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
        double fx = (i & 1) ? x + w : x, fy = (i & 2) ? y + h : y;
        cairo_new_path(cr);
        cairo_arc(cr, fx, fy, 16, 0, 2 * M_PI);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_arc(cr, fx, fy, 8, 0, 2 * M_PI);
        setRgb(cr, pal::wineDeep);
        cairo_fill(cr);
    }
    cairo_pattern_destroy(p);
}

void ribbon(Canvas& c, double cx, double cy, double w, double h, const std::string& text,
            double size) {
    cairo_t* cr = c.cr;
    softShadow(c, [&](cairo_t* s) { cairo_rectangle(s, cx - w / 2 - 30, cy - h / 2, w + 60, h); }, 10,
               0.5, 4, 6);
    for (int side = -1; side <= 1; side += 2) {
        double ex = cx + side * (w / 2 + 30);
        cairo_new_path(cr);
        cairo_move_to(cr, cx + side * (w / 2 - 10), cy - h / 2 + 10);
        cairo_line_to(cr, ex, cy - h / 2 + 10);
        cairo_line_to(cr, ex - side * 18, cy + 10);
        cairo_line_to(cr, ex, cy + h / 2 + 10);
        cairo_line_to(cr, cx + side * (w / 2 - 10), cy + h / 2 + 10);
        cairo_close_path(cr);
        setRgb(cr, pal::tomatoDark);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
    cairo_rectangle(cr, cx - w / 2, cy - h / 2, w, h);
    shadeFillPreserve(cr, pal::tomato, cx - w / 2, cy - h / 2, w, h, 0.45);
    cairo_new_path(cr);
    TextStyle st;
    st.family = "DejaVu Sans";
    st.size = size;
    st.fill = pal::cream;
    drawText(cr, text, cx, cy + size * 0.36, Align::Centre, st);
}

void card1(Canvas& c) {
    cairo_t* cr = c.cr;
    wineLinen(c, 31);
    copperFrame(c, 26);
    potSide(c, 400, 520, 250, 150, pal::copper, true);
    steamWisp(c, 330, 360, 120, 50, 11, 0.6);
    steamWisp(c, 470, 365, 120, 50, 12, 0.6);
    bayLeaf(cr, 250, 505, 80, -0.5);
    thymeSprig(cr, 520, 500, 640, 470, 3);
    TextStyle st;
    st.size = 128;
    st.italic = true;
    st.fill = pal::cream;
    st.outline = 10;
    st.outlineColour = pal::copperDark;
    st.shadow = 8;
    drawText(cr, wordsLine(kSlotFirstCard + 0, 0), 400, 210, Align::Centre, st);
    TextStyle sub;
    sub.size = 24;
    sub.bold = false;
    sub.italic = true;
    sub.fill = pal::copperLight;
    drawText(cr, wordsLine(kSlotFirstCard + 0, 1), 400, 255, Align::Centre, sub);
    ribbon(c, 400, 310, 230, 52, wordsLine(kSlotFirstCard + 0, 2), 30);
    vignette(c, 0.5);
    c.grain(0.025, 131);
}

void card2(Canvas& c) {
    cairo_t* cr = c.cr;
    tileWall(c, 0, 0, c.w, 430, pal::cream, 41, 56);
    warmLight(c, 400, 250, 500, 0.7);
    woodSurface(c, 0, 430, c.w, 170, pal::wood, 42, 60);
    cairo_rectangle(cr, 0, 430, c.w, 12);
    setRgb(cr, pal::woodDark, 0.8);
    cairo_fill(cr);
    // a rail with copper pans hanging from it
    cairo_new_path(cr);
    roundedRect(cr, 40, 48, 720, 10, 5);
    shadeFillPreserve(cr, pal::copperLight, 40, 48, 720, 10, 0.6);
    cairo_new_path(cr);
    const double pans[][2] = {{110, 52}, {190, 40}, {620, 46}, {700, 58}};
    for (auto& pn : pans) {
        double x = pn[0], r = pn[1];
        cairo_move_to(cr, x, 56);
        cairo_line_to(cr, x, 72);
        setRgb(cr, pal::iron);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        cairo_new_path(cr);
        roundedRect(cr, x - 6, 70, 12, 70, 6);
        shadeFillPreserve(cr, pal::copperDark, x - 6, 70, 12, 70, 0.5);
        cairo_new_path(cr);
        softShadow(c, [&](cairo_t* s) { cairo_arc(s, x, 140 + r, r, 0, 2 * M_PI); }, 12, 0.45, 6, 8);
        cairo_arc(cr, x, 140 + r, r, 0, 2 * M_PI);
        roundShadeFillPreserve(cr, pal::copper, x, 140 + r, r, 0.55);
        cairo_new_path(cr);
        cairo_arc(cr, x, 140 + r, r * 0.8, 0, 2 * M_PI);
        setRgb(cr, pal::copperDark, 0.35);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        highlight(cr, x - r * 0.35, 140 + r * 0.6, r * 0.3, r * 0.15, 0.6);
    }
    // the stove with a pot and a pan
    potSide(c, 560, 440, 190, 120, pal::tomato, true);
    steamWisp(c, 560, 300, 110, 40, 13, 0.6);
    woodenSpoon(c, 120, 520, 330, 470, 30);
    onionWhole(cr, 700, 515, 34, -0.4);
    garlicBulb(cr, 620, 540, 24);
    // the name plate
    double px = 210, py = 150, pw = 380, ph = 160;
    softShadow(c, [&](cairo_t* s) { roundedRect(s, px, py, pw, ph, 14); }, 16, 0.6, 6, 9);
    cairo_save(cr);
    cairo_new_path(cr);
    roundedRect(cr, px, py, pw, ph, 14);
    cairo_clip(cr);
    paperSurface(c, static_cast<int>(px), static_cast<int>(py), static_cast<int>(pw) + 1,
                 static_cast<int>(ph) + 1, pal::cream, 43);
    cairo_restore(cr);
    cairo_new_path(cr);
    roundedRect(cr, px + 8, py + 8, pw - 16, ph - 16, 9);
    setRgb(cr, pal::copper);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    TextStyle a;
    a.size = 28;
    a.bold = false;
    a.italic = true;
    a.fill = pal::ink;
    drawText(cr, wordsLine(kSlotFirstCard + 1, 0), 400, py + 52, Align::Centre, a);
    TextStyle b;
    b.size = 64;
    b.fill = pal::tomato;
    b.outline = 3;
    b.outlineColour = pal::tomatoDark;
    drawText(cr, wordsLine(kSlotFirstCard + 1, 1), 400, py + 122, Align::Centre, b);
    vignette(c, 0.5);
    c.grain(0.025, 132);
}

void card3(Canvas& c) {
    cairo_t* cr = c.cr;
    woodSurface(c, 0, 0, c.w, c.h, pal::woodDark, 51, 140);
    warmLight(c, 400, 300, 500, 0.6);
    // a menu card on the table with a bottle and herbs around it
    wineBottle(c, 130, 330, 330, -1.35, false);
    thymeSprig(cr, 640, 90, 760, 160, 6);
    bayLeaf(cr, 700, 450, 80, 0.6);
    bayLeaf(cr, 740, 500, 70, -0.4);
    carrot(cr, 660, 300, 780, 380, 26, true);
    garlicBulb(cr, 690, 230, 26);
    double px = 250, py = 60, pw = 350, ph = 480;
    softShadow(c, [&](cairo_t* s) { cairo_rectangle(s, px, py, pw, ph); }, 20, 0.65, 10, 14);
    cairo_save(cr);
    cairo_rectangle(cr, px, py, pw, ph);
    cairo_clip(cr);
    paperSurface(c, static_cast<int>(px), static_cast<int>(py), static_cast<int>(pw) + 1,
                 static_cast<int>(ph) + 1, pal::cream, 53);
    cairo_restore(cr);
    cairo_rectangle(cr, px + 14, py + 14, pw - 28, ph - 28);
    setRgb(cr, pal::wine);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    TextStyle s1;
    s1.family = "DejaVu Sans";
    s1.size = 18;
    s1.fill = pal::copperDark;
    drawText(cr, wordsLine(kSlotFirstCard + 2, 0), px + pw / 2, py + 60, Align::Centre, s1);
    TextStyle s2;
    s2.size = 46;
    s2.fill = pal::wine;
    drawText(cr, wordsLine(kSlotFirstCard + 2, 1), px + pw / 2, py + 130, Align::Centre, s2);
    drawText(cr, wordsLine(kSlotFirstCard + 2, 2), px + pw / 2, py + 182, Align::Centre, s2);
    cairo_move_to(cr, px + 80, py + 210);
    cairo_line_to(cr, px + pw - 80, py + 210);
    setRgb(cr, pal::copper);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    TextStyle s3;
    s3.size = 22;
    s3.bold = false;
    s3.italic = true;
    s3.fill = pal::ink;
    // the menu's six lines, an empty one among them
    for (int i = 0; i < 6; ++i)
        drawText(cr, wordsLine(kSlotFirstCard + 2, 3 + i), px + pw / 2, py + 255 + i * 32, Align::Centre, s3);
    TextStyle s4;
    s4.family = "DejaVu Sans";
    s4.size = 15;
    s4.fill = pal::copperDark;
    drawText(cr, wordsLine(kSlotFirstCard + 2, 9), px + pw / 2, py + ph - 30, Align::Centre, s4);
    vignette(c, 0.5);
    c.grain(0.025, 133);
}

void closing1(Canvas& c) {
    cairo_t* cr = c.cr;
    woodSurface(c, 0, 0, c.w, c.h, pal::wood, 61, 130);
    warmLight(c, 400, 300, 520, 0.6);
    bouquetGarni(cr, 120, 120, 70, 0.7);
    plateTop(c, 690, 470, 90, 80);
    mashMound(cr, 690, 465, 50, 36);
    glassTop(c, 700, 130, 58);
    double px = 170, py = 60, pw = 460, ph = 480;
    softShadow(c, [&](cairo_t* s) { roundedRect(s, px, py, pw, ph, 10); }, 20, 0.6, 10, 14);
    cairo_save(cr);
    cairo_new_path(cr);
    roundedRect(cr, px, py, pw, ph, 10);
    cairo_clip(cr);
    paperSurface(c, static_cast<int>(px), static_cast<int>(py), static_cast<int>(pw) + 1,
                 static_cast<int>(ph) + 1, pal::cream, 63);
    cairo_restore(cr);
    TextStyle t;
    t.size = 72;
    t.italic = true;
    t.fill = pal::tomato;
    t.outline = 3;
    t.outlineColour = pal::tomatoDark;
    drawText(cr, wordsLine(kSlotOutroCard1, 0), 400, py + 100, Align::Centre, t);
    TextStyle s;
    s.size = 20;
    s.bold = false;
    s.italic = true;
    s.fill = pal::ink;
    drawText(cr, wordsLine(kSlotOutroCard1, 1), 400, py + 140, Align::Centre, s);
    // The same crew that signs the messages in the scroll text.
    TextStyle r;
    r.family = "DejaVu Sans";
    r.size = 17;
    r.fill = pal::copperDark;
    TextStyle n;
    n.size = 30;
    n.fill = pal::wine;
    for (int i = 0; i < 5; ++i) {
        double y = py + 200 + i * 56;
        const auto [role, name] = wordsColumns(wordsLine(kSlotOutroCard1, 2 + i));
        drawText(cr, role, 385, y, Align::Right, r);
        drawText(cr, name, 405, y + 2, Align::Left, n);
    }
    vignette(c, 0.5);
    c.grain(0.025, 141);
}

void closing2(Canvas& c) {
    cairo_t* cr = c.cr;
    wineLinen(c, 71);
    copperFrame(c, 26);
    potSide(c, 400, 500, 230, 140, pal::tomato, true);
    steamWisp(c, 330, 350, 140, 50, 14, 0.6);
    steamWisp(c, 470, 352, 140, 50, 15, 0.6);
    ellipsePath(cr, 400, 508, 170, 14);
    setRgb(cr, pal::black, 0.2);
    cairo_fill(cr);
    TextStyle t;
    t.size = 96;
    t.italic = true;
    t.fill = pal::cream;
    t.outline = 8;
    t.outlineColour = pal::copperDark;
    t.shadow = 6;
    drawText(cr, wordsLine(kSlotOutroCard2, 0), 400, 160, Align::Centre, t);
    TextStyle s;
    s.size = 28;
    s.bold = false;
    s.italic = true;
    s.fill = pal::copperLight;
    drawText(cr, wordsLine(kSlotOutroCard2, 1), 400, 215, Align::Centre, s);
    ribbon(c, 400, 275, 300, 46, wordsLine(kSlotOutroCard2, 2), 24);
    vignette(c, 0.55);
    c.grain(0.025, 142);
}

}  // namespace

void drawTitleCard(Canvas& c, int n) {
    if (n == 1) card1(c);
    else if (n == 2) card2(c);
    else card3(c);
}

void drawClosingCard(Canvas& c, int n) {
    if (n == 1) closing1(c);
    else closing2(c);
}

void drawScrollerBackground(Canvas& c) {
    cairo_t* cr = c.cr;
    // upper half: a kitchen shelf beside a night window
    tileWall(c, 0, 0, 560, 300, pal::cream, 81, 50);
    warmLight(c, 260, 150, 380, 0.6);
    paintPixels(cr, 560, 0, 240, 300, [&](double x, double y) {
        double n = fbm(x / 60.0, y / 60.0, 82, 3);
        return mix({0.03, 0.03, 0.09}, {0.12, 0.06, 0.16}, y / 300.0 * 0.6 + 0.4 * n);
    });
    // window frame and mullions
    cairo_rectangle(cr, 560, -10, 250, 300);
    cairo_rectangle(cr, 680, -10, 0, 300);
    setRgb(cr, pal::woodDark);
    cairo_set_line_width(cr, 14);
    cairo_stroke(cr);
    cairo_move_to(cr, 560, 140);
    cairo_line_to(cr, 800, 140);
    cairo_stroke(cr);
    // the shelf with jars and a pot
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 170, 553, 18);
    shadeFillPreserve(cr, pal::wood, 0, 170, 553, 18, 0.5);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 188, 553, 10);
    setRgb(cr, pal::black, 0.25);
    cairo_fill(cr);
    const Rgb jarFill[] = {pal::tomato, pal::herb, pal::cream, pal::copper};
    for (int i = 0; i < 4; ++i) {
        double x = 40 + i * 70, w = 52, h = 70 + (i % 2) * 18;
        cairo_new_path(cr);
        roundedRect(cr, x, 170 - h, w, h, 8);
        setRgb(cr, pal::white, 0.25);
        cairo_fill_preserve(cr);
        setRgb(cr, pal::white, 0.6);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_new_path(cr);
        roundedRect(cr, x + 4, 170 - h * 0.7, w - 8, h * 0.7 - 4, 6);
        shadeFillPreserve(cr, jarFill[i], x, 170 - h, w, h, 0.4);
        cairo_new_path(cr);
        cairo_rectangle(cr, x - 2, 170 - h - 10, w + 4, 12);
        shadeFillPreserve(cr, pal::copperDark, x, 170 - h - 10, w, 12, 0.5);
        cairo_new_path(cr);
    }
    potSide(c, 440, 170, 130, 80, pal::tomato, true);
    woodSurface(c, 0, 250, 560, 50, pal::woodDark, 83, 50);
    garlicBulb(cr, 90, 262, 20);
    onionWhole(cr, 160, 268, 22, -0.5);
    // lower half: a recipe note pad on the counter
    woodSurface(c, 0, 300, c.w, 300, pal::woodDark, 84, 100);
    softShadow(c, [&](cairo_t* s) { cairo_rectangle(s, 20, 296, 760, 320); }, 18, 0.6, 4, 8);
    cairo_save(cr);
    cairo_rectangle(cr, 20, 296, 760, 320);
    cairo_clip(cr);
    paperSurface(c, 20, 296, 760, 304, {0.99, 0.96, 0.88}, 85);
    for (int y = 346; y < 600; y += 30) {
        cairo_move_to(cr, 20, y + 0.5);
        cairo_line_to(cr, 780, y + 0.5);
    }
    setRgb(cr, {0.55, 0.65, 0.8}, 0.18);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, 48.5, 296);
    cairo_line_to(cr, 48.5, 600);
    setRgb(cr, pal::tomato, 0.3);
    cairo_stroke(cr);
    cairo_restore(cr);
    c.grain(0.015, 186);
}
