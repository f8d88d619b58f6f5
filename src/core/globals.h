#pragma once
// The show's global block: every long-lived object that more than one part of
// the show touches, created by the start-up sequence and reached from here.

#include <string>

#include "core/data_set.h"

class FrameTimer;
class SlideTransition;
class MusicPlayer;
class ParticleSystem;
class GlyphFont;
class Vector3;

constexpr int kScrollLineCount = 287;

extern int ttfUsers;
extern MusicPlayer* musicPlayer;
extern ParticleSystem* particleSystem;
extern SlideTransition* slideTransition;
extern Vector3* ambientGlows;
extern int mouseX;
extern int mouseY;
extern float trailBurst;
extern int* textures;  // kTextureSlots GL texture names, by slot
// The GL texture name in a slot of the table; 0 (none) while there is no table.
inline unsigned int slotTexture(int slot) { return textures ? static_cast<unsigned int>(textures[slot]) : 0u; }
extern float trailCountdown;
extern FrameTimer* frameTimer;
extern GlyphFont* glyphFont;
extern std::string scrollLines[kScrollLineCount];
extern float scrollSpeed;
extern float scrollPosition;
