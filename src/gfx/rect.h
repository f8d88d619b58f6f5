#pragma once
// An integer rectangle, for screen rectangles and for source rectangles in
// 512 x 512 textures, with an inclusive point test.

class Rect {
public:
    int rx = 0, ry = 0, rw = 0, rh = 0;

    Rect() = default;
    Rect(int x, int y, int w, int h) : rx(x), ry(y), rw(w), rh(h) {}

    Rect& set(int x, int y, int w, int h) {
        rx = x;
        ry = y;
        rw = w;
        rh = h;
        return *this;
    }
    int x() const { return rx; }
    int y() const { return ry; }
    int w() const { return rw; }
    int h() const { return rh; }

    // True when (px, py) lies inside or on any edge; negative sizes count
    // from the other side.
    bool contains(int px, int py) const {
        const int x1 = rw < 0 ? rx + rw : rx, x2 = rw < 0 ? rx : rx + rw;
        const int y1 = rh < 0 ? ry + rh : ry, y2 = rh < 0 ? ry : ry + rh;
        return x1 <= px && px <= x2 && y1 <= py && py <= y2;
    }
};
