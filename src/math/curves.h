#pragma once
// Shaping curves and random numbers that every timed effect uses.

float fsin(float angle);
float fcos(float angle);
float fpow(float base, float exponent);

// A window in 0..1 that rises and falls with a half sine between start and
// end; a gain above 1 flattens it into a plateau.
float sineWindow(float t, float start, float end, float gain);
float sineWindowInt(int t, int start, int end, float gain);

// A linear ramp from 0 at start to 1 at end.
float ramp(float t, float start, float end);
float rampInt(int t, int start, int end);

// A random float in [0, 0.9999] in steps of 0.0001; one rand() draw.
float random01();
