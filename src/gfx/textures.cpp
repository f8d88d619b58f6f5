#include "gfx/textures.h"

#include <cstddef>
#include <cstdio>
#include <utility>
#include <vector>

#include <SDL/SDL_opengl.h>

#include "core/data_set.h"
#include "core/drawing_area.h"
#include "gfx/rescale.h"

namespace {

// The ink of every uploaded picture that is not wholly inked, by texture name.
std::vector<std::pair<unsigned int, Rect>> inks;

void forgetInk(unsigned int texture) {
    for (size_t i = 0; i < inks.size(); ++i)
        if (inks[i].first == texture) {
            inks.erase(inks.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

}  // namespace

Rect pictureInk(unsigned int texture) {
    for (const auto& entry : inks)
        if (entry.first == texture) return entry.second;
    return Rect(0, 0, 512, 512);
}

unsigned int makeTexture(int filter, int wrap, int width, int height, const void* pixels, int layout) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, static_cast<GLenum>(layout), GL_UNSIGNED_BYTE, pixels);
    return name;
}

int uploadPicture(const PreparedPicture& picture) {
    if (!picture.note.empty()) {
        std::fputs(picture.note.c_str(), stdout);
        std::fflush(stdout);
    }
    if (!picture.error.empty()) {
        std::fputs(picture.error.c_str(), stdout);
        std::fflush(stdout);
        return 0;
    }
    // A finer picture of a size that is no power of two, where the GL has
    // no textures of any size: at the powers of two at or above it, which
    // keep at least its density.
    const bool anySize = (picture.width & (picture.width - 1)) || (picture.height & (picture.height - 1));
    if (anySize && !drawingPath().anySizeTextures) {
        PreparedPicture widened;
        widened.width = nextPowerOfTwo(picture.width);
        widened.height = nextPowerOfTwo(picture.height);
        widened.format = GL_RGBA;
        widened.clamped = true;
        widened.ink = picture.ink;
        widened.pixels = rescaleToRgba(picture.pixels.data(), picture.width, picture.height,
                                       picture.format == GL_RGBA ? 4 : 3, widened.width, widened.height);
        return uploadPicture(widened);
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (anySize) {
        // Textures of any size wrap only this way in WebGL.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else if (picture.clamped) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    }
    // Rescaled pictures keep the default repeat wrapping. Only this one level
    // is ever sampled, since the minifying filter is plain linear.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, picture.width, picture.height, 0, static_cast<GLenum>(picture.format),
                 GL_UNSIGNED_BYTE, picture.pixels.data());
    glPopClientAttrib();
    forgetInk(name);
    const Rect& ink = picture.ink;
    if (ink.x() != 0 || ink.y() != 0 || ink.w() != 512 || ink.h() != 512) inks.emplace_back(name, ink);
    return static_cast<int>(name);
}

int loadTexture(const char* path) { return uploadPicture(preparePicture(path)); }

int loadTexture(const PictureFile& file) { return uploadPicture(preparePicture(file)); }

void deleteTextures(int* table) {
    for (int i = 0; i < kTextureSlots; ++i) {
        GLuint name = static_cast<GLuint>(table[i]);
        forgetInk(name);
        if (PictureCopies* copies = drawingPath().copies) copies->drop(name);
        glDeleteTextures(1, &name);
    }
}
