#pragma once
// The chef, the speech bubble and the caption over slide k (0..6).

void drawSlideOverlay(int k);
