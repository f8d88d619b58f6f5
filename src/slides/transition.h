#pragma once
// Wipes one full-screen picture into another through a growing disc with a wavy rim.

class SlideTransition {
public:
    float duration = -1;       // seconds; -1 until the first start
    float remaining = -1;      // seconds left; <= 0 means idle
    unsigned int fromTexture = 0;
    unsigned int toTexture = 0;
    float centreJitter = 0;    // in [0, 9.999], places the centre of draw()

    void start(float duration, unsigned int from, unsigned int to);
    // The slideshow variant: random centre on the diagonal, 250 vertices.
    bool draw();
    // The outro variant: centred, 65 vertices.
    bool drawCentred();
};
