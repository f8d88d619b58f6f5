#pragma once
// The show's pictures, every slot of the texture table but the atlas, loaded
// in the show's order with the loading screen drawn as they come.

#include "gfx/picture_preparer.h"

// The show's pictures in their loading order, decoded and rescaled on a
// second thread from the moment this is made.
class ShowPictures : public PicturePreparer {
public:
    ShowPictures();
};

// Fills every slot but the atlas from the pictures, drawing the loading
// screen as it goes.
void loadAllTextures(int* table, ShowPictures& pictures, float progressFrom, float progressTo);
// The same with pictures whose preparing starts now.
void loadAllTextures(int* table, float progressFrom, float progressTo);
