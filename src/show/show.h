#pragma once
// The whole show: the question, start-up, the four phases and shut-down.
// The steps are separate so that another host (the recorder) can run the same
// start-up and phases without the question and in a window of its own.

// Runs the show and gives the process's exit status.
int runShow();

// The pointer and the trail as the show starts them.
void initShowState();
// SDL and the 800 x 600 window (or full screen) with its OpenGL context.
void openShowWindow(bool fullscreen);
// GL state, every picture behind the loading screen, the frame timer, the
// transition, the music (started with its fade-in) and the scroll text. The
// show draws in an 800 x 600 pixel space, shown in the largest centred 4:3
// area of a drawable of the given size.
void loadShow(int drawableWidth, int drawableHeight);
// The same with pictures that were made (and their preparing begun) earlier.
class ShowPictures;
void loadShow(int drawableWidth, int drawableHeight, ShowPictures& pictures);
// The Intro, Slideshow, Scroller and Outro phases, one after the other.
void playPhases();
// Releases everything loadShow made, in order, and closes SDL.
void shutDownShow();
