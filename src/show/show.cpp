#include "show/show.h"

#include <SDL/SDL_opengl.h>

#include "audio/music_player.h"
#include "core/drawing_area.h"
#include "gfx/loading_screen.h"
#include "gfx/show_pictures.h"
#include "gfx/textures.h"
#include "gfx/window.h"
#include "particles/particle_system.h"
#include "platform/question.h"
#include "show/prepare.h"
#include "core/data_set.h"
#include "core/frame_timer.h"
#include "core/globals.h"
#include "show/phases.h"
#include "slides/ambient.h"
#include "slides/transition.h"
#include "text/glyph_font.h"
#include "text/scroll_text.h"

void shutDownShow() {
    popOrtho2D();
    if (glyphFont) {
        delete glyphFont;  // the last font also shuts SDL_ttf down
        glyphFont = nullptr;
    }
    deleteTextures(textures);
    delete[] textures;
    textures = nullptr;
    delete frameTimer;
    frameTimer = nullptr;
    // Release the track and the audio device before SDL goes away, so that
    // nothing is left playing from freed memory.
    musicPlayer->close();
    delete musicPlayer;
    musicPlayer = nullptr;
    delete slideTransition;
    slideTransition = nullptr;
    SDL_Quit();
}

void initShowState() {
    mouseX = 400;
    mouseY = 400;
    trailCountdown = 100.0f;
    trailBurst = 0.0f;
}

void openShowWindow(bool fullscreen) {
    initWindow("Mijotine - Issue 1 - In the kitchen with Stovecraft", 800, 600, fullscreen);
}

void loadShow(int drawableWidth, int drawableHeight) {
    // The pictures are decoded from here on, beside everything up to their uploads.
    ShowPictures pictures(showScale(drawingAreaFor(drawableWidth, drawableHeight)));
    loadShow(drawableWidth, drawableHeight, pictures);
}

void loadShow(int drawableWidth, int drawableHeight, ShowPictures& pictures) {
    restartPreparation();
    // The 3D projection of the 4:3 space, whatever the drawable's shape.
    initGl(800, 600);
    setDrawable(drawableWidth, drawableHeight);
    decideDrawingPath();
    pushOrtho2D(800, 600);

    textures = new int[kTextureSlots]();
    textures[kSlotAtlas] = loadTexture(showPictureFile(kSlotAtlas, pictures.scale()));
    initAmbientGlows();
    particleSystem = new ParticleSystem();
    drawLoadingScreen(0.1f);
    loadAllTextures(textures, pictures, 0.1f, 0.75f);
    drawLoadingScreen(0.75f);

    frameTimer = new FrameTimer();
    slideTransition = new SlideTransition();
    drawLoadingScreen(0.8f);
    musicPlayer = new MusicPlayer();
    drawLoadingScreen(0.9f);
    musicPlayer->load();
    initScrollText();
    musicPlayer->play(0);
    drawLoadingScreen(1.0f);

    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
}

void playPhases() {
    playPhasesWith([](auto& phase) { runPhase(phase); });
}

int runShow() {
    initShowState();
    const FullscreenAnswer answer =
        askFullscreen("Mijotine!", "Run in fullscreen mode? (Cancel means no run)");
    if (answer == FullscreenAnswer::Cancel) return 0;
    const bool fullscreen = answer == FullscreenAnswer::Yes;

    openShowWindow(fullscreen);
    releaseQuestionDisplay();
    int width = 800, height = 600;
    drawableSize(width, height);
    loadShow(width, height);
    playPhases();
    shutDownShow();
    return 0;
}
