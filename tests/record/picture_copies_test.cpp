// The recorder's copies of baked pictures: in its framebuffer object, a
// slide's copy gives the very pixels of its quad, and is gone with its picture.

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <SDL/SDL_opengl.h>

#include "core/data_set.h"
#include "core/drawing_area.h"
#include "gfx/bake.h"
#include "gfx/quad.h"
#include "gfx/textures.h"
#include "record/framebuffer.h"
#include "record/picture_copies.h"
#include "support/gl_context.h"

TEST(PictureCopies, InTheRecordersFramebufferACopyGivesTheQuadsVeryPixels) {
    ensureGlWindow();
    Framebuffer framebuffer;
    std::string error;
    ASSERT_TRUE(framebuffer.create(800, 600, error)) << error;
    FramebufferPictureCopies copies;
    setPictureCopies(&copies);
    decideDrawingPath();
    EXPECT_TRUE(drawingPath().offscreen);
    EXPECT_TRUE(drawingPath().stencil);

    const GLuint picture = noisePicture();
    FullscreenBake bake;
    ASSERT_TRUE(bake.draw(picture));
    const GLuint baked = bake.finish(true);
    ASSERT_NE(baked, 0u);
    const auto frame = [&](GLuint texture) {
        resetGlFrame();
        drawPictureFullscreen(texture);
        glFinish();
        return framebuffer.read();
    };
    const std::vector<uint8_t> copied = frame(baked);
    // The same frame with the quad: no copies in the drawing path.
    setPictureCopies(nullptr);
    const std::vector<uint8_t> quad = frame(baked);
    setPictureCopies(&copies);
    EXPECT_EQ(copied, quad);
    EXPECT_GT(std::count_if(quad.begin(), quad.end(), [](uint8_t b) { return b != 0 && b != 255; }), 100000)
        << "the noise is really there, not a blank both share";
    EXPECT_EQ(frame(picture), quad) << "the baked picture is the picture, pixel for pixel";
    EXPECT_FALSE(copies.draw(picture)) << "only a baked picture has a copy";
    EXPECT_TRUE(copies.draw(baked));

    // Deleted with its picture, the copy is no longer there to be copied.
    int table[kTextureSlots] = {};
    table[0] = static_cast<int>(baked);
    deleteTextures(table);
    EXPECT_FALSE(copies.draw(baked));

    GLuint name = picture;
    glDeleteTextures(1, &name);
    setPictureCopies(nullptr);
    framebuffer.destroy();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    decideDrawingPath();
}
