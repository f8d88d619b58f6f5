#pragma once
// A tour: what the viewer does while the show is recorded, as timed actions
// read from a plain-text file, one a line.
//
//   # comment                    blank lines and text after '#' are ignored
//   TIME ACTION [ARGUMENTS]
//
// TIME is seconds since the first frame (12.5), minutes and seconds (1:02.5)
// or seconds after the line before (+1.5), in plain decimals. Actions:
//   press KEY          key down, and up again one frame later
//   keydown KEY        key down (held until its keyup)
//   keyup KEY          key up
//   move X Y           the pointer jumps to (X, Y)
//   glide X Y SECONDS  the pointer travels smoothly to (X, Y) over SECONDS
//   click [BUTTON]     button down at the pointer, up one frame later
//   still NAME         the frame on screen is also saved as NAME.png (NAME:
//                      letters, digits, '-' and '_', at most 128 of them)
//   quit               the window is asked to close
// KEY is left, right, escape, space, return or an SDL name (SDLK_LEFT);
// BUTTON is left (the default), middle or right. X and Y are pixels of the
// 800 x 600 picture, origin top left.

#include <SDL/SDL.h>

#include <string>
#include <vector>

struct TourAction {
    enum Kind { KeyDown, KeyUp, Move, Glide, ButtonDown, ButtonUp, Still, Quit };
    Kind kind;
    unsigned timeMs;   // show time at which it happens
    SDLKey key = SDLK_UNKNOWN;
    int button = 0;
    int x = 0, y = 0;
    unsigned durationMs = 0;  // Glide
    std::string name;         // Still
    int line = 0;             // where it came from
};

// The longest still name: NAME.png must fit a file name on any file system.
constexpr size_t kStillNameMax = 128;

struct Tour {
    std::vector<TourAction> actions;  // in time order
    // When the last action happens (0 for an empty tour).
    unsigned endMs() const;
    bool hasQuit() const;
};

// What a tour may be: a few thousand lines of a few words each. A bound
// refuses at once what no one writes by hand (a device such as /dev/zero, a
// video named by mistake) instead of reading it without end.
constexpr size_t kTourBytes = 1 << 20;
constexpr size_t kTourLineBytes = 4096;

// Reads a tour from text; on a bad line gives false and sets error to
// "LINE: what was expected, and what was found" (LINE is the 1-based number).
bool parseTour(const std::string& text, Tour& tour, std::string& error);

// The tour the recorder plays when none is given: the whole show as an
// attentive viewer would watch it.
const char* defaultTourText();
