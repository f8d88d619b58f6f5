#include "text/glyph_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <SDL/SDL_opengl.h>

#include "core/globals.h"
#include "gfx/textures.h"

bool isPrintable(char ch) {
    const int code = static_cast<signed char>(ch);
    return code >= 32 && code <= 126;
}

SDL_Surface* keyedCanvas(SDL_Surface* source, Uint8 r, Uint8 g, Uint8 b) {
    const int w = source->w;
    const int h = source->h;
    // Bytes in memory R, G, B, A on a little-endian machine, which is what
    // GL_RGBA with GL_UNSIGNED_BYTE reads.
    SDL_Surface* canvas = SDL_CreateRGBSurface(0, nextPowerOfTwo(w), nextPowerOfTwo(h), 32, 0x000000FF,
                                               0x0000FF00, 0x00FF0000, 0xFF000000);
    if (!canvas) return nullptr;

    // Everything starts as the key colour, fully transparent; the blit below
    // copies only the source pixels that are not the key colour, and those
    // arrive opaque.
    SDL_FillRect(canvas, nullptr, SDL_MapRGBA(canvas->format, r, g, b, 0));
    SDL_SetColorKey(source, SDL_SRCCOLORKEY, SDL_MapRGBA(source->format, r, g, b, 0));
    SDL_Rect area;
    area.x = 0;
    area.y = 0;
    area.w = static_cast<Uint16>(w);
    area.h = static_cast<Uint16>(h);
    SDL_Rect at;
    at.x = 0;
    at.y = 0;
    at.w = 0;
    at.h = 0;
    SDL_BlitSurface(source, &area, canvas, &at);
    return canvas;
}

namespace {

unsigned int canvasToTexture(SDL_Surface* canvas) {
    return makeTexture(GL_LINEAR, GL_REPEAT, canvas->w, canvas->h, canvas->pixels, GL_RGBA);
}

}  // namespace

unsigned int surfaceToTexture(SDL_Surface* source, float& s0, float& t0, float& s1, float& t1, Uint8 r,
                              Uint8 g, Uint8 b) {
    s0 = 0;
    t0 = 0;
    s1 = static_cast<float>(source->w) / static_cast<float>(nextPowerOfTwo(source->w));
    t1 = static_cast<float>(source->h) / static_cast<float>(nextPowerOfTwo(source->h));
    SDL_Surface* canvas = keyedCanvas(source, r, g, b);
    if (!canvas) return 0;
    const unsigned int name = canvasToTexture(canvas);
    SDL_FreeSurface(canvas);
    return name;
}

void drawCubeFace(float a, float m) {
    glBegin(GL_QUADS);
    glNormal3f(0, -1, 0);
    glTexCoord2f(0, 0);
    glVertex3f(-a, -a, -a);
    glTexCoord2f(m, 0);
    glVertex3f(a, -a, -a);
    glTexCoord2f(m, m);
    glVertex3f(a, -a, a);
    glTexCoord2f(0, m);
    glVertex3f(-a, -a, a);
    glEnd();
}

namespace {

// Gives back what a glyph entry owns and marks it unmade.
void releaseGlyph(GlyphEntry& entry) {
    if (entry.surface) SDL_FreeSurface(entry.surface);
    if (entry.texture) {
        GLuint name = entry.texture;
        glDeleteTextures(1, &name);
    }
    entry.surface = nullptr;
    entry.texture = 0;
}

// Strings and cube faces are drawn blended, with the glyph's own colours
// replacing the current one; pushGlyphState sets that and keeps here what it
// changes of the caller's state, which popGlyphState sets back. Texturing is
// on throughout the show and stays on. The blend factors are read by the names
// that WebGL knows too (the show sets one function for colour and alpha alike).
struct SavedGlyphState {
    GLboolean blend;
    GLint blendSrc, blendDst, envMode, bound;
};

SavedGlyphState pushGlyphState() {
    SavedGlyphState saved;
    saved.blend = glIsEnabled(GL_BLEND);
    glGetIntegerv(GL_BLEND_SRC_RGB, &saved.blendSrc);
    glGetIntegerv(GL_BLEND_DST_RGB, &saved.blendDst);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &saved.envMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved.bound);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    return saved;
}

void popGlyphState(const SavedGlyphState& saved) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved.envMode);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved.bound));
    glBlendFunc(static_cast<GLenum>(saved.blendSrc), static_cast<GLenum>(saved.blendDst));
    if (!saved.blend) glDisable(GL_BLEND);
}

// Where the glyph's picture (the top left w x h of its canvas) has any
// alpha, with a pixel of margin.
void findInk(GlyphEntry& entry, SDL_Surface* canvas, int w, int h) {
    int x0 = w, y0 = h, x1 = 0, y1 = 0;
    for (int y = 0; y < h; ++y) {
        const Uint32* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(canvas->pixels) + y * canvas->pitch);
        for (int x = 0; x < w; ++x) {
            if (!(row[x] & canvas->format->Amask)) continue;
            x0 = std::min(x0, x);
            x1 = std::max(x1, x + 1);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y + 1);
        }
    }
    if (x0 >= x1) {
        entry.inkX0 = entry.inkY0 = entry.inkX1 = entry.inkY1 = 0;
        return;
    }
    entry.inkX0 = std::max(x0 - 1, 0);
    entry.inkY0 = std::max(y0 - 1, 0);
    entry.inkX1 = std::min(x1 + 1, w);
    entry.inkY1 = std::min(y1 + 1, h);
}

// One glyph's quad as the two triangles of a strip over its rectangle.
void glyphTriangles(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
}

}  // namespace

GlyphFont::GlyphFont(const char* fontFile_, int pointSize_, int style_, float red_, float green_, float blue_,
                     float drawnScale_)
    : fontFile(fontFile_),
      pointSize(pointSize_),
      style(style_),
      red(red_),
      green(green_),
      blue(blue_),
      drawnScale(drawnScale_ > 1.0f ? drawnScale_ : 1.0f) {
    font = nullptr;
    if (ttfUsers == 0) {
        if (TTF_Init() < 0) {
            std::printf("cannot init SDL_ttf");
            std::fflush(stdout);
            std::exit(1);
        }
    }
    ++ttfUsers;
    open();
}

GlyphFont::~GlyphFont() {
    // The glyphs and the font handle go back before SDL_ttf may be shut
    // down: a font closed after TTF_Quit would reach a freed library.
    for (int code = 32; code <= 126; ++code) releaseGlyph(glyphs[code]);
    if (atlasTexture) {
        GLuint name = atlasTexture;
        glDeleteTextures(1, &name);
    }
    if (pictureFont && pictureFont != font) TTF_CloseFont(pictureFont);
    pictureFont = nullptr;
    if (font) {
        TTF_CloseFont(font);
        font = nullptr;
    }
    --ttfUsers;
    if (ttfUsers == 0) TTF_Quit();
}

void GlyphFont::open() {
    TTF_Font* previous = font;
    font = TTF_OpenFont(fontFile, pointSize);
    if (!font) {
        std::printf("cannot open font file: '%s'", fontFile);
        std::fflush(stdout);
        std::exit(1);
    }
    // Opening again replaces the handle; the old one is of no further use.
    if (pictureFont && pictureFont != previous) TTF_CloseFont(pictureFont);
    if (previous) TTF_CloseFont(previous);
    TTF_SetFontStyle(font, style);
    pictureFont = font;
    pictureScale = 1.0f;
    const int pictureSize = static_cast<int>(pointSize * drawnScale + 0.5f);
    if (pictureSize > pointSize) {
        if (TTF_Font* larger = TTF_OpenFont(fontFile, pictureSize)) {
            TTF_SetFontStyle(larger, style);
            pictureFont = larger;
            pictureScale = static_cast<float>(pictureSize) / static_cast<float>(pointSize);
        }
    }
    pictureAscent = TTF_FontAscent(pictureFont);
    int widen = 1;
    while (widen < pictureScale) widen *= 2;
    atlasWidth = kGlyphAtlasWidth * widen;
    atlasHeight = kGlyphAtlasHeight * widen;
    textColour.r = static_cast<Uint8>(static_cast<int>(255 * red));
    textColour.g = static_cast<Uint8>(static_cast<int>(255 * green));
    textColour.b = static_cast<Uint8>(static_cast<int>(255 * blue));
    height = TTF_FontHeight(font);
    ascent = TTF_FontAscent(font);
    descent = TTF_FontDescent(font);
    lineSkip = TTF_FontLineSkip(font);
    // The glyphs of the old handle may differ from the new one's: start afresh,
    // giving back their surfaces and textures; the atlas fills again from its start.
    for (int code = 32; code <= 126; ++code) releaseGlyph(glyphs[code]);
    atlasX = atlasY = atlasRowHeight = 0;
}

void GlyphFont::makeGlyph(char ch) {
    if (!isPrintable(ch)) return;
    GlyphEntry& entry = glyphs[static_cast<int>(ch)];
    if (entry.surface) return;

    TTF_GlyphMetrics(font, static_cast<Uint16>(ch), &entry.minX, &entry.maxX, &entry.minY, &entry.maxY,
                     &entry.advance);
    const char text[2] = {ch, '\0'};
    SDL_Surface* rendered = TTF_RenderText_Solid(pictureFont, text, textColour);
    SDL_Surface* converted = nullptr;
    if (rendered) {
        converted = SDL_DisplayFormat(rendered);
        SDL_FreeSurface(rendered);
    }
    // Without a picture the entry stays unmade and the next use tries again.
    if (!converted) return;

    entry.surface = converted;
    const int w = converted->w, h = converted->h;
    entry.s0 = 0;
    entry.t0 = 0;
    entry.s1 = static_cast<float>(w) / static_cast<float>(nextPowerOfTwo(w));
    entry.t1 = static_cast<float>(h) / static_cast<float>(nextPowerOfTwo(h));
    SDL_Surface* canvas = keyedCanvas(converted, 255, 255, 255);
    if (!canvas) return;
    findInk(entry, canvas, w, h);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    entry.texture = canvasToTexture(canvas);
    placeInAtlas(entry, canvas);
    SDL_FreeSurface(canvas);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
}

void GlyphFont::placeInAtlas(GlyphEntry& entry, SDL_Surface* canvas) {
    entry.inAtlas = false;
    const int w = entry.surface->w, h = entry.surface->h;
    const int cellW = w + 2, cellH = h + 2;
    if (cellW > atlasWidth) return;
    if (atlasX + cellW > atlasWidth) {
        atlasX = 0;
        atlasY += atlasRowHeight;
        atlasRowHeight = 0;
    }
    if (atlasY + cellH > atlasHeight) return;  // full: the glyph is drawn from its own texture

    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (!atlasTexture) {
        // Transparent key colour, like the padding of a glyph's own texture.
        std::vector<Uint32> clear(static_cast<size_t>(atlasWidth) * atlasHeight, 0x00FFFFFFu);
        atlasTexture = makeTexture(GL_LINEAR, GL_CLAMP_TO_EDGE, atlasWidth, atlasHeight, clear.data(), GL_RGBA);
    }

    // The cell: the picture, ringed by the texels the glyph's own texture
    // wraps around to, so that filtering at its edges mixes in the same.
    const int texW = canvas->w, texH = canvas->h;
    std::vector<Uint32> cell(static_cast<size_t>(cellW) * cellH);
    for (int y = 0; y < cellH; ++y) {
        const int sy = (y - 1 + texH) % texH;
        const Uint32* row =
            reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(canvas->pixels) + sy * canvas->pitch);
        for (int x = 0; x < cellW; ++x) cell[static_cast<size_t>(y) * cellW + x] = row[(x - 1 + texW) % texW];
    }
    glBindTexture(GL_TEXTURE_2D, atlasTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, atlasX, atlasY, cellW, cellH, GL_RGBA, GL_UNSIGNED_BYTE, cell.data());
    glPopClientAttrib();

    entry.inAtlas = true;
    entry.atlasS0 = static_cast<float>(atlasX + 1) / atlasWidth;
    entry.atlasT0 = static_cast<float>(atlasY + 1) / atlasHeight;
    entry.atlasS1 = static_cast<float>(atlasX + 1 + w) / atlasWidth;
    entry.atlasT1 = static_cast<float>(atlasY + 1 + h) / atlasHeight;
    atlasX += cellW;
    atlasRowHeight = std::max(atlasRowHeight, cellH);
}

void GlyphFont::drawText(const char* text, int x, int y) {
    // Every glyph is made before the batch begins, since making one talks to GL.
    for (const char* p = text; *p; ++p)
        if (isPrintable(*p)) makeGlyph(*p);

    const SavedGlyphState saved = pushGlyphState();
    // One batch from the atlas; a glyph that found no room there breaks it
    // to be drawn from its own texture.
    bool batching = false;
    // A finer picture goes where the font's own would, its baseline on the
    // line's, its corner on the nearest drawable pixel, so that its pixels
    // fall on the drawable's one for one.
    const bool finer = pictureScale != 1.0f;
    const float perPixel = 1.0f / pictureScale;
    const float top = finer ? static_cast<float>(ascent) - pictureAscent * perPixel : 0.0f;
    auto onPixel = [&](float units) {
        return finer ? std::floor(units * drawnScale + 0.5f) / drawnScale : units;
    };
    for (const char* p = text; *p; ++p) {
        const char ch = *p;
        if (!isPrintable(ch)) continue;
        const GlyphEntry& entry = glyphs[static_cast<int>(ch)];
        // A glyph that could not be rendered has no picture to draw; the pen
        // still moves by its advance, so the string keeps the layout that
        // measureText reports for it.
        // Only the part with ink is drawn: around it the picture is
        // transparent, and its pixels are sampled at texel centres (the
        // glyph lies on whole pixels, its texture sizes are powers of two),
        // so the part's texture coordinates are exact and it gives every
        // pixel what the whole picture would.
        if (entry.surface && entry.texture && entry.inkX0 < entry.inkX1) {
            const float left = onPixel(static_cast<float>(x)), up = onPixel(static_cast<float>(y) + top);
            const float x0 = left + entry.inkX0 * perPixel;
            const float x1 = left + entry.inkX1 * perPixel;
            const float y0 = up + entry.inkY0 * perPixel;
            const float y1 = up + entry.inkY1 * perPixel;
            if (entry.inAtlas) {
                if (!batching) {
                    glBindTexture(GL_TEXTURE_2D, atlasTexture);
                    glBegin(GL_TRIANGLES);
                    batching = true;
                }
                const float perS = 1.0f / atlasWidth, perT = 1.0f / atlasHeight;
                glyphTriangles(x0, y0, x1, y1, entry.atlasS0 + entry.inkX0 * perS, entry.atlasT0 + entry.inkY0 * perT,
                               entry.atlasS0 + entry.inkX1 * perS, entry.atlasT0 + entry.inkY1 * perT);
            } else {
                if (batching) {
                    glEnd();
                    batching = false;
                }
                const float texW = static_cast<float>(nextPowerOfTwo(entry.surface->w));
                const float texH = static_cast<float>(nextPowerOfTwo(entry.surface->h));
                glBindTexture(GL_TEXTURE_2D, entry.texture);
                glBegin(GL_TRIANGLES);
                glyphTriangles(x0, y0, x1, y1, entry.inkX0 / texW, entry.inkY0 / texH, entry.inkX1 / texW,
                               entry.inkY1 / texH);
                glEnd();
            }
        }
        x += entry.advance;
    }
    if (batching) glEnd();
    popGlyphState(saved);
}

SDL_Rect GlyphFont::measureText(const char* text) {
    int w = 0;
    int lastAdvance = 0;
    int lastMaxX = 0;
    for (const char* p = text; *p; ++p) {
        const char ch = *p;
        if (!isPrintable(ch)) continue;
        makeGlyph(ch);
        // The metrics come from the font itself, so they count even when
        // the picture could not be made.
        const GlyphEntry& entry = glyphs[static_cast<int>(ch)];
        lastMaxX = entry.maxX;
        lastAdvance = entry.advance;
        w += entry.advance;
    }
    w = w - lastAdvance + lastMaxX;
    SDL_Rect box;
    box.x = 0;
    box.y = 0;
    box.w = static_cast<Uint16>(w);
    box.h = static_cast<Uint16>(height);
    return box;
}

void GlyphFont::drawGlyphOnCube(char ch) {
    const SavedGlyphState saved = pushGlyphState();
    if (isPrintable(ch)) {
        makeGlyph(ch);
        const GlyphEntry& entry = glyphs[static_cast<int>(ch)];
        // No picture, no face.
        if (entry.surface) {
            glBindTexture(GL_TEXTURE_2D, entry.texture);
            const float m = entry.s1 < entry.t1 ? entry.s1 : entry.t1;
            drawCubeFace(0.9f, m);
        }
    }
    popGlyphState(saved);
}
