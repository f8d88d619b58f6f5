#pragma once
// Text in OpenGL from one TrueType font at one size: each printable ASCII
// character is rendered once, on first use, into a texture of its own and
// into a cell of the font's atlas, from which a string is drawn in one batch.
//
// Where the text is drawn finer than its units (a picture scale above one),
// the pictures of the characters come from the font at the drawn size, while
// every metric, and so every line's layout, stays the font's at its own.

#include <SDL/SDL.h>
#include <SDL/SDL_ttf.h>

#include "gfx/rescale.h"  // nextPowerOfTwo

struct GlyphEntry {
    // In units, at the font's own size.
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    // The picture, in its own pixels: pictureScale of them a unit.
    SDL_Surface* surface = nullptr;  // null: not made yet
    unsigned int texture = 0;
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
    // Where the picture sits in the atlas; false if it did not fit there.
    bool inAtlas = false;
    float atlasS0 = 0, atlasT0 = 0, atlasS1 = 0, atlasT1 = 0;
    // The part of the picture, in its pixels, outside which it is wholly
    // transparent, with a pixel to spare on each side; empty (inkX0 == inkX1)
    // when it has no ink at all. Only this part is drawn.
    int inkX0 = 0, inkY0 = 0, inkX1 = 0, inkY1 = 0;
};

// The atlas is this size, times the power of two at or above the picture
// scale; each glyph's cell is its picture with a one-texel border holding
// what its own texture's repeat wrapping puts next to it.
constexpr int kGlyphAtlasWidth = 1024;
constexpr int kGlyphAtlasHeight = 512;

class GlyphFont {
public:
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int lineSkip = 0;
    GlyphEntry glyphs[127];
    const char* fontFile;
    int pointSize;
    int style;
    float red, green, blue;
    TTF_Font* font = nullptr;
    // Pixels of a glyph's picture to a unit, and the font the pictures come
    // from (font itself at a scale of one), at pointSize times that scale
    // rounded to whole points; pictureScale is then what that size gives.
    float drawnScale = 1.0f;
    float pictureScale = 1.0f;
    TTF_Font* pictureFont = nullptr;
    int pictureAscent = 0;
    SDL_Color textColour{};
    unsigned int atlasTexture = 0;  // made with the first glyph
    int atlasWidth = kGlyphAtlasWidth, atlasHeight = kGlyphAtlasHeight;
    int atlasX = 0, atlasY = 0, atlasRowHeight = 0;  // the next free cell

    // drawnScale: drawable pixels a unit where the text is drawn (one: the
    // pictures at the font's own size).
    GlyphFont(const char* fontFile, int pointSize, int style, float red, float green, float blue,
              float drawnScale = 1.0f);
    ~GlyphFont();
    GlyphFont(const GlyphFont&) = delete;
    GlyphFont& operator=(const GlyphFont&) = delete;

    void open();
    void makeGlyph(char ch);
    // Copies a freshly made glyph's canvas into the next free atlas cell.
    void placeInAtlas(GlyphEntry& entry, SDL_Surface* canvas);
    void drawText(const char* text, int x, int y);
    SDL_Rect measureText(const char* text);
    void drawGlyphOnCube(char ch);
    int getHeight() const { return height; }
    int getLineSkip() const { return lineSkip; }
};

// True for codes 32..126 read as signed 8-bit values.
bool isPrintable(char ch);
// Copies source into the top-left of a new power-of-two RGBA texture, keying
// out the colour (r, g, b); delivers the texture coordinates of the picture.
unsigned int surfaceToTexture(SDL_Surface* source, float& s0, float& t0, float& s1, float& t1, Uint8 r,
                              Uint8 g, Uint8 b);
// The RGBA power-of-two canvas surfaceToTexture uploads (caller frees it), or null.
SDL_Surface* keyedCanvas(SDL_Surface* source, Uint8 r, Uint8 g, Uint8 b);
void drawCubeFace(float a, float m);
