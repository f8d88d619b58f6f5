// The show drawn at 1440 x 1080, in the recorder's framebuffer, from the
// finer data set: each full-screen picture is what the picture generator
// draws directly at that size, where the plain set gives a magnified one.

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "core/data_set.h"
#include "core/drawing_area.h"
#include "gfx/picture.h"
#include "gfx/quad.h"
#include "gfx/textures.h"
#include "record/framebuffer.h"
#include "support/gl_context.h"

namespace {

// Root mean square of the difference of the drawn frame (RGBA, bottom row
// first) and a PNG of the same size (top row first), over R, G, B in 0..1.
double rmse(const std::vector<uint8_t>& frame, int w, int h, const std::string& png) {
    SDL_Surface* loaded = IMG_Load(png.c_str());
    if (!loaded) return 1;
    SDL_PixelFormat rgba{};
    rgba.BitsPerPixel = 32;
    rgba.BytesPerPixel = 4;
    rgba.Rmask = 0x000000FF;
    rgba.Gmask = 0x0000FF00;
    rgba.Bmask = 0x00FF0000;
    rgba.Amask = 0xFF000000;
    rgba.Gshift = 8;
    rgba.Bshift = 16;
    rgba.Ashift = 24;
    SDL_Surface* s = SDL_ConvertSurface(loaded, &rgba, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    if (!s || s->w != w || s->h != h) {
        if (s) SDL_FreeSurface(s);
        return 1;
    }
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* want = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
        const uint8_t* got = frame.data() + static_cast<size_t>(h - 1 - y) * w * 4;
        for (int x = 0; x < w * 4; ++x) {
            if (x % 4 == 3) continue;
            const double d = (got[x] - want[x]) / 255.0;
            sum += d * d;
        }
    }
    SDL_FreeSurface(s);
    return std::sqrt(sum / (3.0 * w * h));
}

}  // namespace

TEST(FinerPictures, AtFourteenFortyATitleCardASlideAndTheScrollersPageAreTheGeneratorsOwnDrawingThere) {
    const int w = 1440, h = 1080;
    const std::string drawn = "/tmp/mij_finer_" + std::to_string(getpid());
    const std::string generate = "'" MIJOTINE_BINARY_DIR "/mkpictures' --scale 1.8 '" + drawn + "' >/dev/null";
    const int rc = std::system(generate.c_str());
    ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << generate;

    ensureGlWindow();
    Framebuffer framebuffer;
    std::string error;
    ASSERT_TRUE(framebuffer.create(w, h, error)) << error;
    setDrawable(w, h);
    decideDrawingPath();
    ASSERT_FLOAT_EQ(showScale(drawingArea()), 1.8f);

    const std::string data = MIJOTINE_DATA_DIR "/";
    for (int slot : {int(kSlotFirstCard), kSlotFirstSlide + 1, int(kSlotScrollerBackground)}) {
        SCOPED_TRACE(dataFileName(slot));
        double rmseOf[2] = {1, 1};
        for (int finer = 0; finer < 2; ++finer) {
            const PictureFile file{data + dataFileName(slot), finer ? data + finerFileName(slot) : ""};
            const PreparedPicture picture = preparePicture(file);
            ASSERT_TRUE(picture.note.empty()) << picture.note;
            GLuint texture = static_cast<GLuint>(uploadPicture(picture));
            ASSERT_NE(texture, 0u);
            resetGlFrame();
            drawPictureFullscreen(texture);
            glFinish();
            std::string png = dataFileName(slot);
            png = drawn + "/" + png.substr(0, png.rfind('.')) + ".png";
            rmseOf[finer] = rmse(framebuffer.read(), w, h, png);
            glDeleteTextures(1, &texture);
        }
        std::printf("%s at %d x %d: RMSE %.4f from the plain set, %.4f from the finer\n", dataFileName(slot), w, h,
                    rmseOf[0], rmseOf[1]);
        EXPECT_LE(rmseOf[1], 0.01);
        EXPECT_LT(rmseOf[1], rmseOf[0] * 0.5) << "the finer picture is what is drawn";
    }

    framebuffer.destroy();
    setDrawable(800, 600);
    decideDrawingPath();
    std::system(("rm -rf '" + drawn + "'").c_str());
}
