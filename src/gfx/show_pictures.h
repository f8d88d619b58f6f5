#pragma once
// The show's pictures, every slot of the texture table but the atlas, loaded
// in the show's order with the loading screen drawn as they come.

#include "gfx/picture_preparer.h"

// The show's pictures in their loading order, decoded and rescaled on a
// second thread from the moment this is made; each from the finer data set
// where the plain file would give less than a texel for each pixel, drawn at
// `scale` drawable pixels a unit (1: the plain set throughout).
class ShowPictures : public PicturePreparer {
public:
    explicit ShowPictures(float scale);
    float scale() const { return scale_; }

private:
    float scale_;
};
// Whether the slot's picture is read from its finer file at that scale: where
// its plain file's texels, on a unit of the 800 x 600 space as the show draws
// the picture at its largest, are fewer than the scale.
bool readsFinerFile(int slot, float scale);
// The slot's picture file, with its finer file where readsFinerFile.
PictureFile showPictureFile(int slot, float scale);

// Fills every slot but the atlas from the pictures, drawing the loading
// screen as it goes.
void loadAllTextures(int* table, ShowPictures& pictures, float progressFrom, float progressTo);
// The same with pictures whose preparing starts now.
void loadAllTextures(int* table, float scale, float progressFrom, float progressTo);
