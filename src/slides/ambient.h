#pragma once
// Ten glowing sprites drifting across the screen (Intro look and Scroller look).

void initAmbientGlows();
// mode 5: the Scroller look; any other value: the Intro look.
void drawAmbientGlows(int mode);
