#include "text/glyph_font.h"

#include <cstdio>
#include <cstdlib>

#include <SDL/SDL_opengl.h>

#include "core/globals.h"

bool isPrintable(char ch) {
    const int code = static_cast<signed char>(ch);
    return code >= 32 && code <= 126;
}

int nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

unsigned int surfaceToTexture(SDL_Surface* source, float& s0, float& t0, float& s1, float& t1, Uint8 r,
                              Uint8 g, Uint8 b) {
    const int w = source->w;
    const int h = source->h;
    const int texW = nextPowerOfTwo(w);
    const int texH = nextPowerOfTwo(h);
    s0 = 0;
    t0 = 0;
    s1 = static_cast<float>(w) / static_cast<float>(texW);
    t1 = static_cast<float>(h) / static_cast<float>(texH);

    // Bytes in memory R, G, B, A on a little-endian machine, which is what
    // GL_RGBA with GL_UNSIGNED_BYTE reads.
    SDL_Surface* canvas =
        SDL_CreateRGBSurface(0, texW, texH, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000);
    if (!canvas) return 0;

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

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texW, texH, 0, GL_RGBA, GL_UNSIGNED_BYTE, canvas->pixels);

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

// The state every string and cube face is drawn with; the caller's own is
// saved first and comes back with glPopAttrib.
void pushGlyphState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}

}  // namespace

GlyphFont::GlyphFont(const char* fontFile_, int pointSize_, int style_, float red_, float green_, float blue_)
    : fontFile(fontFile_), pointSize(pointSize_), style(style_), red(red_), green(green_), blue(blue_) {
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
    if (previous) TTF_CloseFont(previous);
    TTF_SetFontStyle(font, style);
    textColour.r = static_cast<Uint8>(static_cast<int>(255 * red));
    textColour.g = static_cast<Uint8>(static_cast<int>(255 * green));
    textColour.b = static_cast<Uint8>(static_cast<int>(255 * blue));
    height = TTF_FontHeight(font);
    ascent = TTF_FontAscent(font);
    descent = TTF_FontDescent(font);
    lineSkip = TTF_FontLineSkip(font);
    // The glyphs of the old handle may differ from the new one's: start afresh,
    // giving back their surfaces and textures.
    for (int code = 32; code <= 126; ++code) releaseGlyph(glyphs[code]);
}

void GlyphFont::makeGlyph(char ch) {
    if (!isPrintable(ch)) return;
    GlyphEntry& entry = glyphs[static_cast<int>(ch)];
    if (entry.surface) return;

    TTF_GlyphMetrics(font, static_cast<Uint16>(ch), &entry.minX, &entry.maxX, &entry.minY, &entry.maxY,
                     &entry.advance);
    const char text[2] = {ch, '\0'};
    SDL_Surface* rendered = TTF_RenderText_Solid(font, text, textColour);
    SDL_Surface* converted = nullptr;
    if (rendered) {
        converted = SDL_DisplayFormat(rendered);
        SDL_FreeSurface(rendered);
    }
    // Without a picture the entry stays unmade and the next use tries again.
    if (!converted) return;

    entry.surface = converted;
    entry.texture = surfaceToTexture(converted, entry.s0, entry.t0, entry.s1, entry.t1, 255, 255, 255);
}

void GlyphFont::drawText(const char* text, int x, int y) {
    pushGlyphState();
    for (const char* p = text; *p; ++p) {
        const char ch = *p;
        if (!isPrintable(ch)) continue;
        makeGlyph(ch);
        const GlyphEntry& entry = glyphs[static_cast<int>(ch)];
        // A glyph that could not be rendered has no picture to draw; the pen
        // still moves by its advance, so the string keeps the layout that
        // measureText reports for it.
        if (entry.surface) {
            const float x0 = static_cast<float>(x);
            const float x1 = static_cast<float>(x + entry.surface->w);
            const float y0 = static_cast<float>(y);
            const float y1 = static_cast<float>(y + entry.surface->h);
            glBindTexture(GL_TEXTURE_2D, entry.texture);
            glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(entry.s0, entry.t0);
            glVertex2f(x0, y0);
            glTexCoord2f(entry.s1, entry.t0);
            glVertex2f(x1, y0);
            glTexCoord2f(entry.s0, entry.t1);
            glVertex2f(x0, y1);
            glTexCoord2f(entry.s1, entry.t1);
            glVertex2f(x1, y1);
            glEnd();
        }
        x += entry.advance;
    }
    glPopAttrib();
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
    pushGlyphState();
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
    glPopAttrib();
}
