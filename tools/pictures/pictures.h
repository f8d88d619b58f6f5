// Every picture of the data set, each drawn onto a canvas of the right size
// by its own function; main.cpp writes them out.
#pragma once

#include "pictures/canvas.h"

// 800 x 600 pictures
void drawSlide(Canvas& c, int k);          // the seven cooking steps, k = 0 .. 6
void drawTitleCard(Canvas& c, int n);      // the opening cards, n = 1 .. 3
void drawClosingCard(Canvas& c, int n);    // thanks and goodbye, n = 1 .. 2
void drawScrollerBackground(Canvas& c);

// 512 x 512 overlays with transparent backgrounds
void drawChef(Canvas& c);
void drawBubble(Canvas& c);
void drawCaption(Canvas& c, int k);

// The inside of the bubble that captions must stay within, in 512-texel units.
struct BubbleShape {
    double cx = 284, cy = 198, rx = 224, ry = 178;
};

// atlas, particle sprite and window icon
void drawAtlas(Canvas& c);                 // 512 x 512
void drawParticle(Canvas& c);              // 64 x 64
void drawIcon(Canvas& c);                  // any square size (32 x 32 in data/)
