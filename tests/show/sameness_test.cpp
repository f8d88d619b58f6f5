// The picture of every phase at fixed show times, drawn by the show's own
// frames, with its full-screen pictures baked as it bakes them under the
// Intro, against a reference drawn the straightforward way the show drew it
// before it was made cheaper: pictures rescaled by GLU's mipmap builder and
// filtered to the screen in every frame, every full-screen quad blended, the slide drawn beneath a wipe, the whole picture
// being left drawn under the disc, and text drawn glyph by glyph, each from
// its own texture, with all attributes pushed. Both run in the same GL, from
// the same state, so they must agree pixel for pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <GL/glu.h>
#include <SDL/SDL_image.h>
#include <SDL/SDL_opengl.h>

#include "audio/music_player.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "gfx/bake.h"
#include "core/drawing_area.h"
#include "gfx/quad.h"
#include "gfx/textures.h"
#include "gfx/window.h"
#include "math/curves.h"
#include "particles/particle_system.h"
#include "particles/trail.h"
#include "show/buttons.h"
#include "show/phases.h"
#include "show/prepare.h"
#include "slides/ambient.h"
#include "slides/overlay.h"
#include "slides/transition.h"
#include "support/gl_context.h"
#include "support/scripted_io.h"
#include "support/show_objects.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"
#include "text/scroller.h"

namespace {

// ------------------------------------------------------------------ the reference

int oldLoadTexture(const std::string& path) {
    SDL_Surface* surface = IMG_Load(path.c_str());
    if (!surface) return 0;
    const int bpp = surface->format->BytesPerPixel;
    const std::vector<unsigned char> pixels = tightRgbPixels(surface);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLenum format = bpp == 3 ? GL_RGB : GL_RGBA;
    const int w = surface->w, h = surface->h;
    if (w == h && (w == 512 || w == 256 || w == 128 || w == 64)) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, 4, w, h, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    } else {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, w, h, format, GL_UNSIGNED_BYTE, pixels.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    SDL_FreeSurface(surface);
    return static_cast<int>(name);
}

std::string dataPath(const std::string& name) { return std::string(MIJOTINE_DATA_DIR) + "/" + name; }

// The show's table of pictures, loaded by the given loader.
template <class Loader>
std::vector<int> loadTable(Loader load) {
    std::vector<int> table(kTextureSlots, 0);
    table[kSlotAtlas] = load(dataPath("unpack.jpg"));
    table[kSlotParticle] = load(dataPath("particle.png"));
    for (int i = 0; i < 13; ++i) table[i] = load(dataPath("mij" + std::to_string(i + 1) + ".jpg"));
    for (int i = 0; i < 7; ++i) table[kSlotFirstCaption + i] = load(dataPath("mij" + std::to_string(i + 4) + "_txt.png"));
    table[kSlotBubble] = load(dataPath("bubble.png"));
    table[kSlotChef] = load(dataPath("chef.png"));
    return table;
}

GLuint oldSlot(int slot) { return textures ? static_cast<GLuint>(textures[slot]) : 0; }

void oldDrawText(GlyphFont& font, const char* text, int x, int y) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (const char* p = text; *p; ++p) {
        if (!isPrintable(*p)) continue;
        font.makeGlyph(*p);
        const GlyphEntry& e = font.glyphs[static_cast<int>(*p)];
        if (e.surface) {
            const float x0 = static_cast<float>(x), x1 = static_cast<float>(x + e.surface->w);
            const float y0 = static_cast<float>(y), y1 = static_cast<float>(y + e.surface->h);
            glBindTexture(GL_TEXTURE_2D, e.texture);
            glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(e.s0, e.t0);
            glVertex2f(x0, y0);
            glTexCoord2f(e.s1, e.t0);
            glVertex2f(x1, y0);
            glTexCoord2f(e.s0, e.t1);
            glVertex2f(x0, y1);
            glTexCoord2f(e.s1, e.t1);
            glVertex2f(x1, y1);
            glEnd();
        }
        x += e.advance;
    }
    glPopAttrib();
}

bool oldTransitionDraw(bool centred) {
    SlideTransition& t = *slideTransition;
    t.remaining = t.remaining - frameTimer->deltaSeconds;
    if (!(t.remaining > 0)) {
        t.remaining = 0;
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, t.fromTexture);
    glColor3f(1, 1, 1);
    drawFullscreenQuad();
    Vector3 outline[kTransitionMaxVertices];
    const int n = transitionOutline(transitionShape(t.remaining, t.duration, t.centreJitter, centred), outline);
    glColor3f(1, 1, 1);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.toTexture);
    glBegin(GL_POLYGON);
    for (int i = 0; i < n; ++i) {
        glTexCoord2f(outline[i].x / 800, outline[i].y / 600);
        glVertex3f(outline[i].x, outline[i].y, 0);
    }
    glEnd();
    return true;
}

void oldDrawScroller() {
    const Uint32 deltaMs = frameTimer ? frameTimer->deltaMs : 0;
    scrollPosition = advanceScrollPosition(scrollPosition, deltaMs, scrollSpeed);

    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);

    // The text lines that can show between y = 300 and 600.
    const LineWindow window = scrollLineWindow(scrollPosition);
    for (int i = window.first; i < window.last; ++i) {
        glPushMatrix();
        const int y = scrollLineY(i, scrollPosition);
        if (glyphFont) oldDrawText(*glyphFont, scrollLines[i].c_str(), 60, y);
        glPopMatrix();
    }

    // The upper half of the background again, opaque, over the text; the
    // texture coordinates are y / 600 so it lands pixel for pixel on the
    // picture beneath.
    glBindTexture(GL_TEXTURE_2D, oldSlot(kSlotScrollerBackground));
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(800, 0);
    glTexCoord2f(1, 0.5f);
    glVertex2f(800, 300);
    glTexCoord2f(0, 0.5f);
    glVertex2f(0, 300);
    glEnd();

    // Two 50-pixel bands of the same picture whose alpha ramps between
    // covering the text and letting it through.
    glEnable(GL_BLEND);
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 1);
    glTexCoord2f(0, 0.5f);
    glVertex2f(0, 300);
    glTexCoord2f(1, 0.5f);
    glVertex2f(800, 300);
    glColor4f(1, 1, 1, 0);
    glTexCoord2f(1, 0.583f);
    glVertex2f(800, 350);
    glTexCoord2f(0, 0.583f);
    glVertex2f(0, 350);
    glEnd();

    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 0);
    glTexCoord2f(0, 0.916f);
    glVertex2f(0, 550);
    glTexCoord2f(1, 0.916f);
    glVertex2f(800, 550);
    glColor4f(1, 1, 1, 1);
    glTexCoord2f(1, 1);
    glVertex2f(800, 600);
    glTexCoord2f(0, 1);
    glVertex2f(0, 600);
    glEnd();

    // The ring of glowing sprites, in the 3D projection.
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, oldSlot(kSlotAtlas));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    popOrtho2D();
    glColor4f(1, 1, 1, 0.5f);
    glLoadIdentity();
    glTranslatef(0, 0, -20);
    glRotatef(90, 0, 1, 0);
    Vector3 right, up, forward;
    billboardAxes(right, up, forward);

    const float base = spriteBaseAngle(scrollPosition);
    const Vector3 sphereCentre(0, 8, 11);
    const Vector3 origin(0, 0, 0);
    for (float theta = 0 + base; base + 6.28 > theta; theta = static_cast<float>(theta + 1.75)) {
        for (float phi = 0 + base; base + 6.28 > phi; phi = static_cast<float>(phi + 1.75)) {
            glPushMatrix();
            const Vector3 p = sphereCentre + sphericalPoint(7, theta, phi);
            glTranslatef(p.x, p.y, p.z);
            const float h = spriteHalfSize(scrollPosition);
            drawBillboard(origin, right, up, forward, h);
            glPopMatrix();
        }
    }

    pushOrtho2D(800, 600);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(1, 1, 1);
}


void oldFrame(IntroPhase& p) {
    p.clock += frameTimer->deltaSeconds;
    frameTimer->update();
    p.shown = introCard(p.clock);
    glColor3f(p.shown.brightness, p.shown.brightness, p.shown.brightness);
    glBindTexture(GL_TEXTURE_2D, oldSlot(p.shown.card));
    drawFullscreenQuad();
    drawAmbientGlows(0);
    updateAndDrawTrail();
}

void oldFrame(SlideshowPhase& p) {
    glBindTexture(GL_TEXTURE_2D, oldSlot(p.slide));
    glColor3f(1, 1, 1);
    drawFullscreenQuad();
    oldTransitionDraw(false);
    drawButtons(p.slide, p.prevButton, p.nextButton);
    if (kSlotFirstSlide <= p.slide && p.slide <= kSlotLastSlide) drawSlideOverlay(p.slide - kSlotFirstSlide);
    updateAndDrawTrail();
    frameTimer->update();
}

void oldFrame(ScrollerPhase&) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, oldSlot(kSlotScrollerBackground));
    drawFullscreenQuad();
    oldDrawScroller();
    drawAmbientGlows(5);
    glColor3f(1, 1, 1);
    updateAndDrawTrail();
    frameTimer->update();
}

void oldFrame(OutroPhase& p) {
    p.clock += frameTimer->deltaSeconds;
    frameTimer->update();
    const CardChoice choice = outroCard(p.clock, p.card);
    p.card = choice.card;
    if (4.55f < p.clock && p.clock < 7.55f && !p.started) {
        slideTransition->start(1.05f, oldSlot(kSlotOutroCard1), oldSlot(kSlotOutroCard2));
        p.started = true;
    }
    glColor3f(choice.brightness, choice.brightness, choice.brightness);
    glBindTexture(GL_TEXTURE_2D, oldSlot(p.card));
    drawFullscreenQuad();
    oldTransitionDraw(true);
}

// ------------------------------------------------------------------ the comparison

// Everything a frame reads and changes outside the phase object.
struct ShowState {
    Uint32 ticks = 0;
    FrameTimer timer;
    SlideTransition transition;
    Vector3 glows[kAmbientGlowCount];
    std::vector<SparkEmitter> sparks;
    float burst = 0, countdown = 0, position = 0, speed = 0;
};

class Sameness : public ::testing::Test {
protected:
    ScriptedIo io;
    ScopedIo scoped{&io};
    ShowFlags flags;
    std::optional<ShowObjects> objects;
    std::vector<int> ours, theirs;

    void SetUp() override {
        if (!IMG_Load(dataPath("mij1.jpg").c_str())) GTEST_SKIP() << "no generated data in " << MIJOTINE_DATA_DIR;
        ensureGlWindow();
        resetGlFrame();
        ours = loadTable([](const std::string& p) { return loadTexture(p.c_str()); });
        theirs = loadTable(oldLoadTexture);
        for (int slot = 0; slot < kBakedPictures; ++slot) {
            FullscreenBake bake;
            ASSERT_TRUE(bake.draw(static_cast<unsigned int>(ours[slot])));
            GLuint picture = static_cast<GLuint>(ours[slot]);
            ours[slot] = static_cast<int>(bake.finish());
            ASSERT_NE(ours[slot], 0);
            glDeleteTextures(1, &picture);
        }
        objects.emplace();
        textures = ours.data();
        musicPlayer = new MusicPlayer();
        musicPlayer->loadFailed = true;
        std::srand(7);
        initAmbientGlows();
        // The show's font and text, which it finds under ./data.
        if (!glyphFont) {
            const std::string here = currentDirectory();
            ASSERT_EQ(chdir(MIJOTINE_SOURCE_DIR), 0);
            initScrollText();
            ASSERT_EQ(chdir(here.c_str()), 0);
        }
        mouseX = io.mouseX = 430;
        mouseY = io.mouseY = 260;
        trailBurst = 800;
        trailCountdown = 0;
    }

    void TearDown() override {
        for (std::vector<int>* table : {&ours, &theirs})
            for (int t : *table) {
                GLuint n = static_cast<GLuint>(t);
                if (n) glDeleteTextures(1, &n);
            }
        delete musicPlayer;
        musicPlayer = nullptr;
        objects.reset();
    }

    static std::string currentDirectory() {
        char buffer[4096];
        return getcwd(buffer, sizeof buffer) ? buffer : ".";
    }

    ShowState take() const {
        ShowState s;
        s.ticks = io.ticks;
        s.timer = *frameTimer;
        s.transition = *slideTransition;
        for (int i = 0; i < kAmbientGlowCount; ++i) s.glows[i] = ambientGlows[i];
        for (ParticleEmitter* e : particleSystem->emitters) s.sparks.push_back(*static_cast<SparkEmitter*>(e));
        s.burst = trailBurst;
        s.countdown = trailCountdown;
        s.position = scrollPosition;
        s.speed = scrollSpeed;
        return s;
    }

    // Puts the state back, with the picture table of one side; the texture
    // names a running wipe holds are turned into that table's.
    void restore(const ShowState& s, std::vector<int>& table) {
        std::vector<int>& other = &table == &ours ? theirs : ours;
        io.ticks = s.ticks;
        *frameTimer = s.timer;
        *slideTransition = s.transition;
        for (int slot = 0; slot < kTextureSlots; ++slot) {
            if (static_cast<int>(s.transition.fromTexture) == other[slot] || static_cast<int>(s.transition.fromTexture) == table[slot])
                slideTransition->fromTexture = static_cast<unsigned int>(table[slot]);
            if (static_cast<int>(s.transition.toTexture) == other[slot] || static_cast<int>(s.transition.toTexture) == table[slot])
                slideTransition->toTexture = static_cast<unsigned int>(table[slot]);
        }
        for (int i = 0; i < kAmbientGlowCount; ++i) ambientGlows[i] = s.glows[i];
        particleSystem->clear();
        for (const SparkEmitter& spark : s.sparks) particleSystem->emitters.push_back(new SparkEmitter(spark));
        trailBurst = s.burst;
        trailCountdown = s.countdown;
        scrollPosition = s.position;
        scrollSpeed = s.speed;
        textures = table.data();
        std::srand(1234);
    }

    // Every frame of the show covers the whole screen: what was there before
    // may not show through, nor make two sides agree.
    static void blankScreen() {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0, 0, 0, 0);
    }

    // Runs `warm` frames of the phase; the state they leave.
    template <class Phase>
    ShowState warmUp(Phase& phase, int warm) {
        for (int i = 0; i < warm; ++i) phase.frame();
        return take();
    }

    // From the state, with one side's picture table, a copy of the phase
    // draws two frames (each with `frame`), and the second is read back.
    template <class Phase, class Frame, class Read>
    std::vector<unsigned char> secondFrame(const ShowState& state, std::vector<int>& table, const Phase& start,
                                           Frame frame, Read read) {
        restore(state, table);
        blankScreen();
        Phase copy = start;
        frame(copy);
        frame(copy);
        return read();
    }

    // Runs `warm` frames of the show, then draws two more frames the show's way
    // and, from the same state, the reference's way, and compares the second:
    // no channel of any pixel may differ by more than `tolerance`.
    template <class Phase>
    void compare(Phase& phase, int warm, const char* what, int tolerance = 0) {
        SCOPED_TRACE(what);
        const ShowState state = warmUp(phase, warm);
        const Phase start = phase;
        const auto screen = [] { return readScreen(); };
        const std::vector<unsigned char> shown = secondFrame(state, ours, start, [](Phase& p) { p.frame(); }, screen);
        const std::vector<unsigned char> expected =
            secondFrame(state, theirs, start, [](Phase& p) { oldFrame(p); }, screen);

        size_t differing = 0;
        int worst = 0, firstX = -1, firstY = -1;
        for (size_t i = 0; i < shown.size(); ++i) {
            const int d = std::abs(shown[i] - expected[i]);
            worst = std::max(worst, d);
            if (d <= tolerance) continue;
            if (differing++ == 0) {
                firstX = static_cast<int>(i / 3 % 800);
                firstY = 599 - static_cast<int>(i / 3 / 800);
            }
        }
        EXPECT_EQ(differing, 0u) << "worst difference " << worst << ", first at (" << firstX << ", " << firstY << ")";
        // The frame showed something: not a blank or single-coloured screen.
        size_t changes = 0;
        for (size_t i = 3; i < shown.size(); i += 3) changes += shown[i] != shown[i - 3];
        EXPECT_GT(changes, 10000u);
        restore(state, ours);
    }
};

}  // namespace

TEST_F(Sameness, IntroCardsWithGlowsAndTrail) {
    IntroPhase intro(flags);
    intro.setUp();
    for (float clock : {1.0f, 3.0f, 9.0f, 16.0f}) {
        intro.clock = clock;
        compare(intro, 12, ("Intro at " + std::to_string(clock) + " s").c_str());
    }
}

// The chef, the bubble and the caption are drawn over only the part of their
// pictures that has ink: the same sample points, interpolated from other
// corners, round differently in a few pixels, by one step at most.
constexpr int kOverlayRounding = 1;

// Inside the wipe's disc the new picture now comes from its own full-screen
// quad rather than from the disc's triangles, each of which interpolates the
// same screen-position texture coordinates with its own rounding: a channel
// may differ by a step or two there. Which pixels show which picture may not.
constexpr int kWipeRounding = 2;

// What is drawn ahead of its time, beneath a card or a resting slide, leaves
// nothing on the screen and nothing in the state the frame goes on with.
TEST_F(Sameness, WorkDoneAheadLeavesNoTraceUnderCardsOrSlides) {
    IntroPhase intro(flags);
    intro.setUp();
    intro.clock = 3.0f;
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    // Each of the drawing steps, the last bake's two halves and the
    // rehearsals, falls in the second, compared frame.
    for (int step = kPreparationSteps - 5; step < kPreparationSteps; ++step) {
        const std::string what = "step " + std::to_string(step) + " done ahead";
        preparationSteps = step - 1;
        compare(intro, 0, ("Intro, " + what).c_str());
        preparationSteps = step - 1;
        compare(slideshow, 0, ("Slideshow, " + what).c_str(), kOverlayRounding);
    }
    EXPECT_FALSE(prepareAheadStep());
}

TEST_F(Sameness, SlidesAtRestAndThroughoutTheirWipes) {
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    compare(slideshow, 12, "first slide at rest", kOverlayRounding);
    // Forwards and back, from the first moments of a wipe to its end, where
    // the disc covers the whole screen; forwards again without the stencil
    // buffer, as where there is none.
    for (int step = 0; step < 3; ++step) {
        slideTransition->useStencil = step < 2;
        io.keyDown(step == 1 ? SDLK_LEFT : SDLK_RIGHT);
        slideshow.frame();
        for (int frames : {3, 20, 30, 40, 20})
            compare(slideshow, frames, step < 2 ? "during a wipe" : "during a wipe, without the stencil",
                    kWipeRounding);
    }
    slideTransition->useStencil = true;
    io.keyDown(SDLK_RIGHT);
    slideshow.frame();
    compare(slideshow, 200, "third slide at rest", kOverlayRounding);
}

// The Scroller's two fade bands blend its background over the text. From the
// baked background the blend gets each texel rounded to a whole step, where
// the filter that made it handed on a fraction: a channel in the bands may
// differ by a step or two.
constexpr int kBandRounding = 2;

TEST_F(Sameness, ScrollerTextBandsAndSprites) {
    ScrollerPhase scroller(flags);
    scroller.setUp();
    for (float position : {0.0f, 3000.0f, 4720.0f, 52000.0f}) {
        scrollPosition = position;
        compare(scroller, 5, ("Scroller at " + std::to_string(position)).c_str(), kBandRounding);
    }
}

TEST_F(Sameness, OutroCardsAndTheirWipe) {
    OutroPhase outro;
    outro.setUp();
    for (float clock : {0.4f, 3.0f, 4.6f, 4.9f, 5.3f, 5.58f, 6.6f}) {
        if (clock > outro.clock) outro.clock = clock;
        // The wipe starts at 4.55 s and runs on its own clock, which the
        // jumps here do not move.
        const bool wiping = clock > 4.55f;
        compare(outro, 3, ("Outro at " + std::to_string(clock) + " s").c_str(), wiping ? kWipeRounding : 0);
    }
}

// ------------------------------------------------------------------ at other sizes

namespace {

// A framebuffer of the given size with a stencil buffer, drawn into in place
// of the window, as a recording or a full screen is drawn.
class SizedTarget {
public:
    SizedTarget(int width, int height) : width_(width), height_(height) {
        load(gen_, "glGenFramebuffersEXT");
        load(bind_, "glBindFramebufferEXT");
        load(deleteFbo_, "glDeleteFramebuffersEXT");
        load(genRb_, "glGenRenderbuffersEXT");
        load(bindRb_, "glBindRenderbufferEXT");
        load(deleteRb_, "glDeleteRenderbuffersEXT");
        load(storage_, "glRenderbufferStorageEXT");
        load(attach_, "glFramebufferRenderbufferEXT");
        load(status_, "glCheckFramebufferStatusEXT");
        if (!gen_ || !bind_ || !deleteFbo_ || !genRb_ || !bindRb_ || !deleteRb_ || !storage_ || !attach_ || !status_)
            return;
        gen_(1, &fbo_);
        bind_(GL_FRAMEBUFFER_EXT, fbo_);
        genRb_(2, buffers_);
        bindRb_(GL_RENDERBUFFER_EXT, buffers_[0]);
        storage_(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
        attach_(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, buffers_[0]);
        bindRb_(GL_RENDERBUFFER_EXT, buffers_[1]);
        storage_(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
        attach_(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, buffers_[1]);
        attach_(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, buffers_[1]);
        complete_ = status_(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
        leave();
    }
    ~SizedTarget() {
        if (!fbo_) return;
        leave();
        deleteRb_(2, buffers_);
        deleteFbo_(1, &fbo_);
    }
    bool complete() const { return complete_; }
    // Draws into it from here on, its whole size the drawable.
    void enter() {
        bind_(GL_FRAMEBUFFER_EXT, fbo_);
        glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
        glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
        setDrawable(width_, height_);
    }
    // Back to the 800 x 600 window.
    void leave() {
        bind_(GL_FRAMEBUFFER_EXT, 0);
        glDrawBuffer(GL_BACK);
        glReadBuffer(GL_BACK);
        setDrawable(800, 600);
    }
    // R, G, B, bottom row first.
    std::vector<unsigned char> read() const {
        std::vector<unsigned char> px(static_cast<size_t>(width_) * height_ * 3);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return px;
    }

private:
    template <class F>
    static void load(F& f, const char* name) {
        f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    }
    int width_, height_;
    bool complete_ = false;
    GLuint fbo_ = 0, buffers_[2] = {0, 0};
    PFNGLGENFRAMEBUFFERSEXTPROC gen_ = nullptr;
    PFNGLBINDFRAMEBUFFEREXTPROC bind_ = nullptr;
    PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFbo_ = nullptr;
    PFNGLGENRENDERBUFFERSEXTPROC genRb_ = nullptr;
    PFNGLBINDRENDERBUFFEREXTPROC bindRb_ = nullptr;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRb_ = nullptr;
    PFNGLRENDERBUFFERSTORAGEEXTPROC storage_ = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC attach_ = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC status_ = nullptr;
};

struct Size {
    int width, height;
};

// How far a frame drawn at another size may lie from the 800 x 600 frame
// scaled up to it. Drawn finer, every edge (the wipe's rim, the text, the
// sparks) is sharper than the scaled-up one: an RMSE of 0.01 to 0.04, the
// most where there is text, and at most 0.07 as the mean difference over a
// block of 20 x 20 points of the space. A wipe or a text window scissored in
// the wrong place gave 0.15 to 0.55, and 0.3 or more in its worst block,
// which also catches a misplaced piece as small as a line of text.
constexpr double kSizeRmse = 0.05;
constexpr double kSizeBlockMean = 0.12;

class SamenessAtSize : public Sameness, public ::testing::WithParamInterface<Size> {
protected:
    std::vector<int> sized;  // the pictures, baked at the size as the show bakes them there
    std::optional<SizedTarget> target;

    void SetUp() override {
        Sameness::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        target.emplace(GetParam().width, GetParam().height);
        ASSERT_TRUE(target->complete());
        GLint stencilBits = 0;
        target->enter();
        glGetIntegerv(GL_STENCIL_BITS, &stencilBits);
        ASSERT_GE(stencilBits, 8);
        sized = loadTable([](const std::string& p) { return loadTexture(p.c_str()); });
        // Baked as the show bakes them ahead at this size, in bands of rows,
        // a band a call; the first also whole, which the bands must give
        // pixel for pixel.
        GLuint whole = 0;
        for (int slot = 0; slot < kBakedPictures; ++slot) {
            FullscreenBake bake;
            const unsigned int picture = static_cast<unsigned int>(sized[slot]);
            if (slot == 0) {
                ASSERT_TRUE(bake.draw(picture));
                whole = bake.finish();
                ASSERT_NE(whole, 0u);
            }
            int calls = 0;
            while (!bake.drawPart(picture)) ++calls;
            unsigned int baked = 0;
            while (!bake.finishPart(baked)) ++calls;
            // Bands of about 800 x 600 pixels at most.
            const int bands = (GetParam().width * GetParam().height + 800 * 600 - 1) / (800 * 600);
            EXPECT_EQ(calls, 2 * (bands - 1));
            ASSERT_NE(baked, 0u);
            glDeleteTextures(1, &picture);
            sized[slot] = static_cast<int>(baked);
        }
        const auto drawnWith = [&](GLuint texture) {
            glBindTexture(GL_TEXTURE_2D, texture);
            glColor3f(1, 1, 1);
            drawOpaqueFullscreenQuad();
            return target->read();
        };
        EXPECT_TRUE(drawnWith(whole) == drawnWith(static_cast<GLuint>(sized[0])));
        glDeleteTextures(1, &whole);
        target->leave();
    }

    void TearDown() override {
        for (int t : sized) {
            GLuint n = static_cast<GLuint>(t);
            if (n) glDeleteTextures(1, &n);
        }
        target.reset();
        Sameness::TearDown();
    }

    // Runs `warm` frames, then draws two more at 800 x 600 and, from the same
    // state, at the size, and holds the second against the first scaled up.
    template <class Phase>
    void compareAtSize(Phase& phase, int warm, const char* what) {
        SCOPED_TRACE(what);
        const ShowState state = warmUp(phase, warm);
        const Phase start = phase;
        const auto own = [](Phase& p) { p.frame(); };
        const std::vector<unsigned char> expected = secondFrame(state, ours, start, own, [] { return readScreen(); });
        // The sized table in place of ours, for the wipe's pictures too.
        target->enter();
        const std::vector<unsigned char> shown = secondFrame(state, sized, start, own, [&] { return target->read(); });
        target->leave();
        restore(state, ours);

        // The small frame scaled up: bilinear, between pixel centres.
        const int w = GetParam().width, h = GetParam().height;
        const auto scaled = [&](int x, int y, int c) {
            const double sx = std::clamp((x + 0.5) * 800.0 / w - 0.5, 0.0, 799.0);
            const double sy = std::clamp((y + 0.5) * 600.0 / h - 0.5, 0.0, 599.0);
            const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
            const int x1 = std::min(x0 + 1, 799), y1 = std::min(y0 + 1, 599);
            const double fx = sx - x0, fy = sy - y0;
            const auto at = [&](int px, int py) { return expected[(static_cast<size_t>(py) * 800 + px) * 3 + c]; };
            return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) + (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
        };
        double squares = 0;
        std::vector<double> blocks(40 * 30, 0.0);
        std::vector<int> counts(40 * 30, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Rows bottom first in both; the block is in the space's rows.
                const int block = std::min(39, x * 40 / w) + 40 * std::min(29, (h - 1 - y) * 30 / h);
                for (int c = 0; c < 3; ++c) {
                    const double d = (shown[(static_cast<size_t>(y) * w + x) * 3 + c] - scaled(x, y, c)) / 255.0;
                    squares += d * d;
                    blocks[block] += std::abs(d);
                }
                counts[block] += 3;
            }
        const double rmse = std::sqrt(squares / (static_cast<double>(w) * h * 3));
        int worstBlock = 0;
        for (int b = 0; b < 40 * 30; ++b) {
            blocks[b] /= counts[b];
            if (blocks[b] > blocks[worstBlock]) worstBlock = b;
        }
        EXPECT_LT(rmse, kSizeRmse);
        EXPECT_LT(blocks[worstBlock], kSizeBlockMean)
            << "around (" << worstBlock % 40 * 20 + 10 << ", " << worstBlock / 40 * 20 + 10 << ") of the space";
        std::printf("%s at %d x %d: RMSE %.4f, worst block %.3f\n", what, w, h, rmse, blocks[worstBlock]);
    }
};

}  // namespace

// Every step of a frame at another size lands where it lands at 800 x 600:
// the wipe's scissored parts and stencil marks, the Scroller's text window,
// the bakes, the Outro's centred wipe.
TEST_P(SamenessAtSize, EveryPhaseIsThe800x600PictureDrawnFiner) {
    SlideshowPhase slideshow(flags);
    slideshow.setUp();
    compareAtSize(slideshow, 12, "slide at rest");
    io.keyDown(SDLK_RIGHT);
    slideshow.frame();
    compareAtSize(slideshow, 40, "mid-wipe");
    slideTransition->useStencil = false;
    compareAtSize(slideshow, 5, "mid-wipe, without the stencil");
    slideTransition->useStencil = true;

    ScrollerPhase scroller(flags);
    scroller.setUp();
    scrollPosition = 3000;
    compareAtSize(scroller, 5, "Scroller");

    OutroPhase outro;
    outro.setUp();
    outro.clock = 4.9f;
    compareAtSize(outro, 12, "Outro's wipe");
}

INSTANTIATE_TEST_SUITE_P(Sizes, SamenessAtSize, ::testing::Values(Size{1440, 1080}, Size{1000, 750}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });
