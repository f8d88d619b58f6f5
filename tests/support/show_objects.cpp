#include "support/show_objects.h"

#include "core/frame_timer.h"
#include "core/globals.h"
#include "particles/particle_system.h"
#include "slides/transition.h"

ShowObjects::ShowObjects() : table_(kTextureSlots, 0) {
    textures = table_.data();
    frameTimer = new FrameTimer();
    slideTransition = new SlideTransition();
    particleSystem = new ParticleSystem();
}

ShowObjects::~ShowObjects() {
    delete particleSystem;
    particleSystem = nullptr;
    delete slideTransition;
    slideTransition = nullptr;
    delete frameTimer;
    frameTimer = nullptr;
    textures = nullptr;
}
