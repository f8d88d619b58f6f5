#pragma once
// The recorder's copies of baked pictures: the slides at rest and the
// Scroller's background are copied into each frame (glBlitFramebuffer, a
// plain memory copy into the recorder's framebuffer object on a software
// renderer) instead of being drawn as a full-screen quad.
//
// Measured on the whole show at 1440 x 1080 (CPU seconds, two alternating
// pairs of runs): 152 and 144 with both; 163 and 173 without the slides'
// copies; 169 and 153 without the background's. A copy of the picture a
// wipe leaves, drawn whole under the disc, saved nothing (153 and 142
// without it) and is not made. In a window the copy cost as much as the quad.

#include <vector>

#include "core/drawing_area.h"

class FramebufferPictureCopies : public PictureCopies {
public:
    bool keep(unsigned int baked, unsigned int copy, const int place[4]) override;
    bool draw(unsigned int picture) override;
    void drop(unsigned int baked) override;
    // Lets go of every copy without deleting them: for a GL context that is gone.
    void forget();

private:
    struct Kept {
        unsigned int baked, copy;
        int place[4];
    };
    std::vector<Kept> kept_;
    // The framebuffer that the copies are read from, one at a time, made with
    // the first copy into a frame.
    unsigned int source_ = 0;
    bool looked_ = false;
    std::vector<Kept>::iterator find(unsigned int baked);
};
