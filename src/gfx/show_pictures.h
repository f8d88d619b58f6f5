#pragma once
// The show's pictures, every slot of the texture table but the atlas, loaded
// in the show's order with the loading screen drawn as they come.

#include "gfx/picture_preparer.h"

// The show's pictures in their loading order, decoded and rescaled on a
// second thread from the moment this is made; from the finer data set where
// the show is drawn finer (drawsFiner).
class ShowPictures : public PicturePreparer {
public:
    explicit ShowPictures(bool finer);
    bool finer() const { return finer_; }

private:
    bool finer_;
};
// The slot's picture file, with its finer file where finer.
PictureFile showPictureFile(int slot, bool finer);

// Fills every slot but the atlas from the pictures, drawing the loading
// screen as it goes.
void loadAllTextures(int* table, ShowPictures& pictures, float progressFrom, float progressTo);
// The same with pictures whose preparing starts now.
void loadAllTextures(int* table, bool finer, float progressFrom, float progressTo);
