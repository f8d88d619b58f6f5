#pragma once
// One frame of the loading screen for a progress value, presented at once.

// The frame (0, 1 or 2) of the animated panel for a progress value.
int loadingFrame(float progress);
void drawLoadingScreen(float progress);

// Called by drawLoadingScreen with each progress value and the frame it picks
// (null for none); lets tests follow the loading sequence.
using LoadingScreenObserver = void (*)(float progress, int frame);
void setLoadingScreenObserver(LoadingScreenObserver observer);
