// The props of the kitchen: surfaces, food, pots and tableware, each drawn in
// the same shaded, lightly textured style. Top-down props take their centre;
// side-view props take the point where they stand.
#pragma once

#include "pictures/canvas.h"

#include <string>

// ---- surfaces (props_kitchen.cpp)
void woodSurface(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed, double plank,
                 bool vertical = false);
void tileWall(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed, int tile);
void stoveTop(Canvas& c, int x, int y, int w, int h, uint32_t seed);
void linenCloth(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed);
void paperSurface(Canvas& c, int x, int y, int w, int h, Rgb base, uint32_t seed);
void vignette(Canvas& c, double strength);
void warmLight(Canvas& c, double cx, double cy, double r, double alpha);

// ---- cookware and tableware (props_kitchen.cpp)
// Round enamelled cast-iron casserole seen from above; returns the radius of
// its inside, where the caller draws the contents (clipped to it).
double casseroleTop(Canvas& c, double cx, double cy, double r, Rgb enamel);
void clipCircle(cairo_t* cr, double cx, double cy, double r);
void innerShade(cairo_t* cr, double cx, double cy, double r, double alpha);
double fryingPanTop(Canvas& c, double cx, double cy, double r, double handleAngle);
void cuttingBoard(Canvas& c, double x, double y, double w, double h, uint32_t seed);
void woodenSpoon(Canvas& c, double x1, double y1, double x2, double y2, double bowl);
void wineBottle(Canvas& c, double cx, double cy, double length, double angle, bool open);
void potSide(Canvas& c, double cx, double baseY, double w, double h, Rgb enamel, bool lid);
void burnerFlames(cairo_t* cr, double cx, double y, double w, double height, uint32_t seed);
void steamWisp(Canvas& c, double x, double y, double height, double width, uint32_t seed,
               double alpha);
void wallClock(Canvas& c, double cx, double cy, double r, double hours, double minutes);
void wineGlassSide(Canvas& c, double cx, double baseY, double h);
void candleSide(Canvas& c, double cx, double baseY, double h);
void glassTop(Canvas& c, double cx, double cy, double r);  // a glass of red from above
void plateTop(Canvas& c, double cx, double cy, double rx, double ry);
// Step label card; a negative x places its right edge that far from the right.
void headingCard(Canvas& c, double x, double y, int step, const std::string& title);

// ---- food (props_food.cpp)
void beefChunk(Canvas& c, double cx, double cy, double w, double h, double angle, uint32_t seed);
void beefCube(cairo_t* cr, double cx, double cy, double s, double angle, double browned,
              uint32_t seed);
void carrot(cairo_t* cr, double x1, double y1, double x2, double y2, double thick, bool leaves);
void carrotSlice(cairo_t* cr, double cx, double cy, double r, double browned);
void onionWhole(cairo_t* cr, double cx, double cy, double r, double angle);
void onionHalf(cairo_t* cr, double cx, double cy, double r, double angle);
void onionPiece(cairo_t* cr, double cx, double cy, double s, double angle, double browned);
void pearlOnion(cairo_t* cr, double cx, double cy, double r, double browned);
void mushroomTop(cairo_t* cr, double cx, double cy, double r, uint32_t seed);
void mushroomHalf(cairo_t* cr, double cx, double cy, double s, double angle, double browned);
void baconStrip(cairo_t* cr, double x, double y, double len, double angle, uint32_t seed);
void lardon(cairo_t* cr, double cx, double cy, double s, double angle, double browned);
void garlicBulb(cairo_t* cr, double cx, double cy, double r);
void garlicClove(cairo_t* cr, double cx, double cy, double s, double angle);
void thymeSprig(cairo_t* cr, double x1, double y1, double x2, double y2, uint32_t seed);
void bayLeaf(cairo_t* cr, double cx, double cy, double len, double angle);
void parsleySprig(cairo_t* cr, double cx, double cy, double s, double angle, uint32_t seed);
void bouquetGarni(cairo_t* cr, double cx, double cy, double s, double angle);
void breadSlice(cairo_t* cr, double cx, double cy, double w, double h, double angle, uint32_t seed);
void mashMound(cairo_t* cr, double cx, double cy, double rx, double ry);
void butterPat(cairo_t* cr, double cx, double cy, double s, double angle);
// Sauce with chunks in a round area (top-down), for pots and plates.
void stewContents(Canvas& c, double cx, double cy, double rx, double ry, uint32_t seed,
                  double richness, bool garnish);
