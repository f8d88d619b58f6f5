#pragma once
// The start-up question as a small dialog window of our own on an X display
// (Xlib + Xft): an icon, the question and the buttons Yes, No and Cancel.
//
// The pieces that decide what the dialog does and shows are plain functions
// so that they can be checked without a display.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/fullscreen_answer.h"

namespace xdialog {

// The buttons from left to right; Yes is the default.
constexpr int kButtonCount = 3;
constexpr int kYesButton = 0;
constexpr int kNoButton = 1;
constexpr int kCancelButton = 2;

FullscreenAnswer answerOfButton(int button);

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    // Half-open: the pixel at x + w is outside.
    bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

struct Layout {
    int width = 0, height = 0;  // the window's fixed size
    Box icon;                   // the round question-mark icon
    int textX = 0;              // left edge of the question text
    int textCentreY = 0;        // the text is centred on this line, beside the icon
    int footerY = 0;            // the button band starts here
    Box buttons[kButtonCount];
};

// The window layout for a question text of the given pixel width: about
// 480 x 150, wider when the text needs it.
Layout dialogLayout(int textWidth);

// The button under a window pixel, or -1.
int buttonAt(const Layout& layout, int x, int y);

// Focus moves by one button and wraps around at both ends.
int moveFocus(int focus, int step);

// What a key does. Keysyms are X keysyms; shift tells whether Shift is held.
struct KeyCommand {
    enum Kind { Ignore, Answer, PressFocused, MoveFocus } kind = Ignore;
    FullscreenAnswer answer = FullscreenAnswer::Cancel;  // for Answer
    int step = 0;                                        // for MoveFocus: +1 or -1
};
KeyCommand keyCommand(unsigned long keysym, bool shift);

// What the viewer sees of the buttons at a moment.
struct ViewState {
    int focus = kYesButton;  // drawn as the default button; Return presses it
    int hover = -1;          // under the pointer
    int pressed = -1;        // mouse button held down on it
};

// Colours as 0xRRGGBB.
namespace palette {
constexpr std::uint32_t background = 0xf6efe3;
constexpr std::uint32_t footer = 0xeee3d1;
constexpr std::uint32_t text = 0x3b2417;
constexpr std::uint32_t buttonFill = 0xfcf8f1;
constexpr std::uint32_t buttonHover = 0xf2e6d3;
constexpr std::uint32_t buttonPressed = 0xe3d1b6;
constexpr std::uint32_t buttonBorder = 0xc2ab8f;
constexpr std::uint32_t accent = 0xc8553d;  // tomato-copper of the default button and icon
constexpr std::uint32_t accentHover = 0xd4664d;
constexpr std::uint32_t accentPressed = 0xa8432f;
constexpr std::uint32_t accentBorder = 0x93392a;
constexpr std::uint32_t accentText = 0xfff8ee;
}  // namespace palette

// Fill colour of a button in a given state.
std::uint32_t buttonFillColour(const ViewState& view, int button);

// Everything of the window but the text, anti-aliased, as width * height
// pixels 0xRRGGBB in rows from the top.
std::vector<std::uint32_t> paintBackground(const Layout& layout, const ViewState& view);

// Shows the dialog on the named display (nullptr: $DISPLAY) and waits for
// the answer. Closing the window, or losing the display, is Cancel. No
// answer means that no dialog could be shown (no display). The window is
// gone from the screen when this returns; the connection is closed, or with
// `hold` kept open, bare, until releaseHeldDisplay().
std::optional<FullscreenAnswer> askWithXDialog(const char* title, const char* text,
                                               const char* displayName = nullptr, bool hold = false);

// Closes the connection an answered dialog was held open on; nothing when
// there is none.
void releaseHeldDisplay();

}  // namespace xdialog
