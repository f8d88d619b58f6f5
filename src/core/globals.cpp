#include "core/globals.h"

int ttfUsers = 0;
MusicPlayer* musicPlayer = nullptr;
ParticleSystem* particleSystem = nullptr;
SlideTransition* slideTransition = nullptr;
Vector3* ambientGlows = nullptr;
int mouseX = 0;
int mouseY = 0;
float trailBurst = 0;
int* textures = nullptr;
float trailCountdown = 0;
FrameTimer* frameTimer = nullptr;
GlyphFont* glyphFont = nullptr;
std::string scrollLines[kScrollLineCount];
float scrollSpeed = 0;
float scrollPosition = 0;
