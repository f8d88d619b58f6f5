// The seven cooking steps of the boeuf bourguignon. On slides 1, 3, 5 and 7
// the chef and his bubble stand at the bottom left (x 100..415, y 350..600),
// on slides 2, 4 and 6 at the bottom centre-right (x 450..765), and the two
// buttons sit at x 709..778, y 550..579: each subject keeps clear of them.
#include "pictures/pictures.h"
#include "pictures/props.h"
#include "pictures/words.h"
#include "core/data_set.h"

#include <cmath>

namespace {

void finish(Canvas& c, uint32_t seed) {
    vignette(c, 0.55);
    c.grain(0.03, seed);
}

// Stove top with the cast-iron grate under a pot centred at (cx, cy).
void stoveWithGrate(Canvas& c, double cx, double cy, double r, uint32_t seed) {
    cairo_t* cr = c.cr;
    stoveTop(c, 0, 0, c.w, c.h, seed);
    // burner ring glowing faintly under the grate
    glow(cr, cx, cy, r * 1.15, {0.25, 0.35, 0.9}, 0.18);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 4; ++i) {
        double a = i * M_PI / 2 + M_PI / 4;
        cairo_move_to(cr, cx + std::cos(a) * r * 0.3, cy + std::sin(a) * r * 0.3);
        cairo_line_to(cr, cx + std::cos(a) * r * 1.45, cy + std::sin(a) * r * 1.45);
    }
    setRgb(cr, {0.05, 0.05, 0.05});
    cairo_set_line_width(cr, 16);
    cairo_stroke_preserve(cr);
    setRgb(cr, {0.3, 0.29, 0.28}, 0.5);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    // enamel edge of the stove at the top of the picture
    cairo_rectangle(cr, 0, 0, c.w, 8);
    setRgb(cr, pal::cream, 0.25);
    cairo_fill(cr);
}

// The browned film on the bottom of a pot: fat and caramelised juices.
void fond(Canvas& c, double cx, double cy, double r, Rgb base, uint32_t seed) {
    int x0 = static_cast<int>(cx - r), y0 = static_cast<int>(cy - r), n = static_cast<int>(2 * r) + 2;
    paintPixels(c.cr, x0, y0, n, n, [&](double x, double y) {
        double f = fbm(x / 26.0, y / 26.0, seed, 4);
        double g = fbm(x / 8.0, y / 8.0, seed + 3, 2);
        double k = 0.6 + 0.7 * f + 0.15 * (g - 0.5);
        return shade(base, k);
    });
}

void sizzle(Canvas& c, double cx, double cy, double r, uint32_t seed) {
    cairo_t* cr = c.cr;
    Rng rng(seed);
    for (int i = 0; i < 60; ++i) {
        double a = rng.range(0, 6.28), d = std::sqrt(rng.uni()) * r;
        double br = rng.range(1.0, 3.0);
        cairo_new_path(cr);
        cairo_arc(cr, cx + std::cos(a) * d, cy + std::sin(a) * d, br, 0, 2 * M_PI);
        setRgb(cr, {1.0, 0.95, 0.7}, rng.range(0.3, 0.7));
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }
}

// 1: the ingredients lined up on a board
void slideIngredients(Canvas& c) {
    cairo_t* cr = c.cr;
    woodSurface(c, 0, 0, c.w, c.h, pal::woodDark, 11, 150);
    warmLight(c, 520, 250, 520, 0.5);
    cuttingBoard(c, 345, 140, 435, 400, 21);
    // herbs and the bottle on the bare table
    wineBottle(c, 180, 245, 310, -0.48, false);
    thymeSprig(cr, 30, 360, 190, 335, 4);
    thymeSprig(cr, 45, 385, 205, 372, 5);
    bayLeaf(cr, 250, 350, 70, 0.4);
    bayLeaf(cr, 290, 330, 64, -0.3);
    // on the board
    beefChunk(c, 480, 255, 200, 135, -0.12, 31);
    baconStrip(cr, 590, 330, 165, 0.12, 3);
    baconStrip(cr, 580, 368, 170, 0.08, 9);
    carrot(cr, 650, 190, 775, 245, 30, true);
    carrot(cr, 660, 225, 770, 290, 26, true);
    onionWhole(cr, 715, 425, 42, -0.6);
    onionHalf(cr, 645, 480, 38, 0.3);
    mushroomTop(cr, 445, 410, 28, 5);
    mushroomTop(cr, 500, 455, 31, 6);
    mushroomHalf(cr, 430, 485, 24, 0.5, 0.0);
    garlicBulb(cr, 565, 470, 30);
    garlicClove(cr, 598, 518, 13, 0.6);
    garlicClove(cr, 540, 515, 12, -0.4);
    bayLeaf(cr, 740, 510, 60, -0.8);
    headingCard(c, 22, 22, 1, wordsLine(kSlotFirstSlide + 0, 0));
    finish(c, 101);
}

// 2: browning the beef in the casserole
void slideBrowning(Canvas& c) {
    cairo_t* cr = c.cr;
    double cx = 255, cy = 310, r = 215;
    stoveWithGrate(c, cx, cy, r, 12);
    double in = casseroleTop(c, cx, cy, r, pal::tomato);
    cairo_save(cr);
    clipCircle(cr, cx, cy, in);
    fond(c, cx, cy, in, {0.3, 0.16, 0.07}, 61);
    // a film of hot oil
    glow(cr, cx - 30, cy - 20, in * 0.9, {0.85, 0.55, 0.15}, 0.35);
    Rng rng(42);
    const double spots[][2] = {{-90, -80}, {-10, -105}, {75, -70}, {115, 10}, {60, 80},
                               {-20, 110}, {-105, 60}, {-125, -15}, {-40, -20}, {35, 15},
                               {-50, 50}, {100, 100}, {5, -45}, {130, -70}};
    int i = 0;
    for (auto& s : spots) {
        beefCube(cr, cx + s[0], cy + s[1], 48 + rng.range(-4, 6), rng.range(0, 6.28),
                 0.6 + 0.4 * ((i * 7) % 10) / 10.0, 200 + i);
        ++i;
    }
    sizzle(c, cx, cy, in, 7);
    innerShade(cr, cx, cy, in, 0.55);
    cairo_restore(cr);
    steamWisp(c, cx + 60, cy - 40, 220, 70, 3, 0.45);
    steamWisp(c, cx - 70, cy - 10, 200, 60, 4, 0.35);
    // waiting raw cubes on a plate beside the pot
    plateTop(c, 655, 235, 95, 88);
    for (int k = 0; k < 5; ++k)
        beefCube(cr, 625 + (k % 3) * 30, 215 + (k / 3) * 38, 40, k * 1.3, 0.0, 300 + k);
    woodenSpoon(c, 520, 330, 760, 300, 32);
    headingCard(c, -22, 22, 2, wordsLine(kSlotFirstSlide + 1, 0));
    finish(c, 102);
}

// 3: lardons, onions and carrots join the pot
void slideAromatics(Canvas& c) {
    cairo_t* cr = c.cr;
    double cx = 560, cy = 260, r = 200;
    stoveWithGrate(c, cx, cy, r, 13);
    double in = casseroleTop(c, cx, cy, r, pal::tomato);
    cairo_save(cr);
    clipCircle(cr, cx, cy, in);
    fond(c, cx, cy, in, {0.42, 0.24, 0.1}, 62);
    glow(cr, cx, cy, in, {0.8, 0.5, 0.15}, 0.3);
    Rng rng(77);
    for (int i = 0; i < 190; ++i) {
        double a = rng.range(0, 6.28), d = std::sqrt(rng.uni()) * in * 0.92;
        double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d;
        switch (i % 4) {
            case 0: lardon(cr, x, y, 15, rng.range(0, 6.28), 0.55); break;
            case 1: onionPiece(cr, x, y, 20, rng.range(0, 6.28), 0.35); break;
            case 2: carrotSlice(cr, x, y, 13, 0.2); break;
            default: lardon(cr, x, y, 13, rng.range(0, 6.28), 0.75); break;
        }
    }
    sizzle(c, cx, cy, in, 8);
    innerShade(cr, cx, cy, in, 0.55);
    cairo_restore(cr);
    steamWisp(c, cx - 40, cy - 30, 230, 70, 5, 0.4);
    // the browned beef waits in a dish on the left
    plateTop(c, 150, 250, 105, 95);
    for (int k = 0; k < 7; ++k)
        beefCube(cr, 110 + (k % 3) * 38, 215 + (k / 3) * 32, 40, k * 0.9, 0.9, 400 + k);
    woodenSpoon(c, 30, 420, 300, 340, 30);
    headingCard(c, 22, 22, 3, wordsLine(kSlotFirstSlide + 2, 0));
    finish(c, 103);
}

// 4: deglazing with red wine
void slideDeglaze(Canvas& c) {
    cairo_t* cr = c.cr;
    double cx = 250, cy = 330, r = 200;
    stoveWithGrate(c, cx, cy, r, 14);
    double in = casseroleTop(c, cx, cy, r, pal::tomato);
    cairo_save(cr);
    clipCircle(cr, cx, cy, in);
    stewContents(c, cx, cy, in, in, 55, 0.2, false);
    // the wine spreads out from where it lands
    double wx = cx + 40, wy = cy - 40;
    cairo_pattern_t* p = cairo_pattern_create_radial(wx, wy, 0, wx, wy, in * 0.8);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.45, 0.02, 0.12, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 0.6, 0.38, 0.03, 0.1, 0.7);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.3, 0.03, 0.08, 0.0);
    cairo_set_source(cr, p);
    cairo_paint(cr);
    cairo_pattern_destroy(p);
    for (int k = 1; k <= 4; ++k) {
        ellipsePath(cr, wx, wy, k * 22, k * 19);
        setRgb(cr, {0.9, 0.5, 0.6}, 0.35 - k * 0.06);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
    }
    innerShade(cr, cx, cy, in, 0.5);
    cairo_restore(cr);
    // the stream from the bottle's mouth
    double mx = 360, my = 170;
    cairo_move_to(cr, mx, my);
    cairo_curve_to(cr, mx - 10, my + 40, wx + 15, wy - 40, wx, wy);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setRgb(cr, {0.42, 0.03, 0.1});
    cairo_set_line_width(cr, 13);
    cairo_stroke_preserve(cr);
    setRgb(cr, {0.85, 0.35, 0.45}, 0.6);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    Rng rng(5);
    for (int k = 0; k < 12; ++k) {
        double a = rng.range(0, 6.28), d = rng.range(18, 45);
        cairo_new_path(cr);
        cairo_arc(cr, wx + std::cos(a) * d, wy + std::sin(a) * d * 0.85, rng.range(2, 5), 0, 2 * M_PI);
        setRgb(cr, {0.5, 0.04, 0.12});
        cairo_fill(cr);
    }
    steamWisp(c, wx, wy - 10, 180, 80, 6, 0.55);
    double a = M_PI - 0.5;
    wineBottle(c, mx - std::cos(a) * 160 * 1.0, my - std::sin(a) * 160, 320, a, true);
    glassTop(c, 660, 300, 52);
    thymeSprig(cr, 560, 210, 720, 190, 9);
    headingCard(c, 22, 22, 4, wordsLine(kSlotFirstSlide + 3, 0));
    finish(c, 104);
}

// 5: bouquet garni in, lid on, a long simmer on a low flame
void slideSimmer(Canvas& c) {
    cairo_t* cr = c.cr;
    tileWall(c, 0, 0, c.w, 400, {0.42, 0.55, 0.47}, 15, 64);
    warmLight(c, 560, 200, 450, 0.6);
    // a shelf shadow line and the stove top
    cairo_rectangle(cr, 0, 385, c.w, 20);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 385, 0, 405);
    cairo_pattern_add_color_stop_rgba(p, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(p, 1, 0, 0, 0, 0.45);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    stoveTop(c, 0, 400, c.w, 200, 16);
    cairo_rectangle(cr, 0, 400, c.w, 26);
    cairo_pattern_t* q = cairo_pattern_create_linear(0, 400, 0, 426);
    cairo_pattern_add_color_stop_rgb(q, 0, 0.62, 0.6, 0.58);
    cairo_pattern_add_color_stop_rgb(q, 0.2, 0.32, 0.31, 0.3);
    cairo_pattern_add_color_stop_rgb(q, 1, 0.12, 0.12, 0.12);
    cairo_set_source(cr, q);
    cairo_fill(cr);
    cairo_pattern_destroy(q);
    // burner and a low flame under the pot
    double px = 565, base = 404;
    ellipsePath(cr, px, base + 6, 120, 10);
    setRgb(cr, {0.05, 0.05, 0.05});
    cairo_fill(cr);
    burnerFlames(cr, px, base + 8, 200, 16, 4);
    potSide(c, px, base, 300, 200, pal::tomato, true);
    // the bouquet garni's string hangs out under the lid
    cairo_move_to(cr, px + 120, base - 185);
    cairo_curve_to(cr, px + 160, base - 170, px + 168, base - 120, px + 176, base - 80);
    setRgb(cr, pal::cream);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_new_path(cr);
    roundedRect(cr, px + 164, base - 82, 26, 34, 4);
    shadeFillPreserve(cr, pal::creamDark, px + 160, base - 82, 30, 34, 0.3);
    cairo_new_path(cr);
    bayLeaf(cr, px + 177, base - 64, 22, 1.4);
    steamWisp(c, px - 150, base - 200, 160, 60, 8, 0.7);
    steamWisp(c, px + 150, base - 190, 170, 60, 9, 0.7);
    steamWisp(c, px, base - 250, 150, 50, 10, 0.5);
    wallClock(c, 165, 190, 88, 3, 0);
    TextStyle st;
    st.size = 26;
    st.italic = true;
    st.fill = pal::wine;
    st.outline = 5;
    drawText(cr, wordsLine(kSlotFirstSlide + 4, 1), 165, 315, Align::Centre, st);
    // a spare bouquet on the stove
    bouquetGarni(cr, 690, 480, 80, 2.7);
    headingCard(c, 22, 22, 5, wordsLine(kSlotFirstSlide + 4, 0));
    finish(c, 105);
}

// 6: mushrooms and pearl onions browned in butter
void slideMushrooms(Canvas& c) {
    cairo_t* cr = c.cr;
    woodSurface(c, 0, 0, c.w, c.h, pal::wood, 17, 120, true);
    warmLight(c, 300, 280, 500, 0.5);
    double cx = 255, cy = 320, r = 190;
    double in = fryingPanTop(c, cx, cy, r, -0.62);
    cairo_save(cr);
    clipCircle(cr, cx, cy, in);
    // foaming butter
    Rng rng(19);
    for (int i = 0; i < 40; ++i) {
        double a = rng.range(0, 6.28), d = std::sqrt(rng.uni()) * in;
        ellipsePath(cr, cx + std::cos(a) * d, cy + std::sin(a) * d, rng.range(10, 30), rng.range(8, 20));
        setRgb(cr, {1.0, 0.78, 0.35}, 0.3);
        cairo_fill(cr);
    }
    for (int i = 0; i < 30; ++i) {
        double a = rng.range(0, 6.28), d = std::sqrt(rng.uni()) * in * 0.9;
        double x = cx + std::cos(a) * d, y = cy + std::sin(a) * d;
        if (i % 3 == 0) pearlOnion(cr, x, y, 17, 0.55);
        else mushroomHalf(cr, x, y, 24, rng.range(0, 6.28), 0.55);
    }
    sizzle(c, cx, cy, in, 9);
    innerShade(cr, cx, cy, in, 0.4);
    cairo_restore(cr);
    // a dish of butter and a few more mushrooms on the board
    plateTop(c, 640, 290, 80, 72);
    butterPat(cr, 640, 290, 70, 0.2);
    mushroomTop(cr, 560, 470, 26, 8);
    mushroomTop(cr, 610, 440, 22, 9);
    pearlOnion(cr, 520, 420, 16, 0.0);
    thymeSprig(cr, 560, 150, 740, 170, 10);
    headingCard(c, 22, 22, 6, wordsLine(kSlotFirstSlide + 5, 0));
    finish(c, 106);
}

// 7: served, by candlelight
void slideServed(Canvas& c) {
    cairo_t* cr = c.cr;
    // dark wine wall and the edge of a linen-covered table
    paintPixels(cr, 0, 0, c.w, 250, [&](double x, double y) {
        double n = fbm(x / 80.0, y / 80.0, 20, 4);
        return shade(pal::wineDeep, 0.8 + 0.5 * n);
    });
    linenCloth(c, 0, 250, c.w, 350, pal::cream, 21);
    cairo_rectangle(cr, 0, 250, c.w, 30);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 250, 0, 280);
    cairo_pattern_add_color_stop_rgba(p, 0, 0.2, 0.05, 0.05, 0.5);
    cairo_pattern_add_color_stop_rgba(p, 1, 0.2, 0.05, 0.05, 0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // a wine-red band woven into the cloth
    cairo_rectangle(cr, 0, 540, c.w, 16);
    setRgb(cr, pal::wine, 0.55);
    cairo_fill(cr);
    warmLight(c, 470, 200, 420, 0.8);
    candleSide(c, 455, 230, 120);
    wineGlassSide(c, 720, 300, 210);
    // bread on a little board
    cuttingBoard(c, 70, 255, 250, 90, 22);
    breadSlice(cr, 130, 300, 90, 60, 0.2, 1);
    breadSlice(cr, 205, 298, 90, 58, -0.1, 2);
    breadSlice(cr, 272, 302, 84, 56, 0.15, 3);
    // the plate: mash on the left, the stew on the right
    double px = 585, py = 410;
    plateTop(c, px, py, 190, 112);
    mashMound(cr, px - 65, py - 5, 62, 40);
    stewContents(c, px + 50, py + 8, 92, 56, 60, 0.9, true);
    parsleySprig(cr, px + 40, py - 20, 24, 0.4, 13);
    parsleySprig(cr, px - 70, py - 25, 20, -0.3, 14);
    TextStyle st;
    st.size = 40;
    st.italic = true;
    st.fill = pal::cream;
    st.shadow = 3;
    drawText(cr, wordsLine(kSlotFirstSlide + 6, 1), 210, 190, Align::Centre, st);
    headingCard(c, 22, 22, 7, wordsLine(kSlotFirstSlide + 6, 0));
    finish(c, 107);
}

}  // namespace

void drawSlide(Canvas& c, int k) {
    switch (k) {
        case 0: slideIngredients(c); break;
        case 1: slideBrowning(c); break;
        case 2: slideAromatics(c); break;
        case 3: slideDeglaze(c); break;
        case 4: slideSimmer(c); break;
        case 5: slideMushrooms(c); break;
        default: slideServed(c); break;
    }
}
