// What the question box does: where its parts lie, which button the pointer
// is on, how the focus moves and what each key means.

#include <algorithm>

#include "platform/x_dialog.h"

namespace xdialog {

FullscreenAnswer answerOfButton(int button) {
    if (button == kNoButton) return FullscreenAnswer::No;
    if (button == kCancelButton) return FullscreenAnswer::Cancel;
    return FullscreenAnswer::Yes;
}

namespace {
constexpr int kMinWidth = 480;
constexpr int kHeight = 150;
constexpr int kPadding = 20;
constexpr int kIconSize = 40;
constexpr int kIconTop = 22;
constexpr int kTextGap = 16;  // between the icon and the text
constexpr int kFooterY = 92;
constexpr int kButtonW = 88;
constexpr int kButtonH = 30;
constexpr int kButtonGap = 10;
}  // namespace

Layout dialogLayout(int textWidth) {
    Layout l;
    l.icon = Box{kPadding, kIconTop, kIconSize, kIconSize};
    l.textX = kPadding + kIconSize + kTextGap;
    l.textCentreY = kIconTop + kIconSize / 2;
    l.width = std::max(kMinWidth, l.textX + std::max(0, textWidth) + kPadding + 4);
    l.height = kHeight;
    l.footerY = kFooterY;
    // The buttons sit right-aligned in the footer band, centred in its height.
    const int y = kFooterY + (kHeight - kFooterY - kButtonH) / 2;
    int x = l.width - kPadding - kButtonCount * kButtonW - (kButtonCount - 1) * kButtonGap;
    for (Box& b : l.buttons) {
        b = Box{x, y, kButtonW, kButtonH};
        x += kButtonW + kButtonGap;
    }
    return l;
}

int buttonAt(const Layout& layout, int x, int y) {
    for (int i = 0; i < kButtonCount; ++i)
        if (layout.buttons[i].contains(x, y)) return i;
    return -1;
}

int moveFocus(int focus, int step) {
    return ((focus + step) % kButtonCount + kButtonCount) % kButtonCount;
}

}  // namespace xdialog

#ifndef _WIN32

#include <X11/keysym.h>

namespace xdialog {

KeyCommand keyCommand(unsigned long keysym, bool shift) {
    KeyCommand c;
    switch (keysym) {
        case XK_y:
        case XK_Y:
            c.kind = KeyCommand::Answer;
            c.answer = FullscreenAnswer::Yes;
            break;
        case XK_n:
        case XK_N:
            c.kind = KeyCommand::Answer;
            c.answer = FullscreenAnswer::No;
            break;
        case XK_Escape:
            c.kind = KeyCommand::Answer;
            c.answer = FullscreenAnswer::Cancel;
            break;
        case XK_Return:
        case XK_KP_Enter:
        case XK_space:
            c.kind = KeyCommand::PressFocused;
            break;
        case XK_Tab:
            c.kind = KeyCommand::MoveFocus;
            c.step = shift ? -1 : 1;
            break;
        case XK_ISO_Left_Tab:  // what Shift-Tab gives on most keymaps
        case XK_Left:
        case XK_KP_Left:
            c.kind = KeyCommand::MoveFocus;
            c.step = -1;
            break;
        case XK_Right:
        case XK_KP_Right:
            c.kind = KeyCommand::MoveFocus;
            c.step = 1;
            break;
        default:
            break;
    }
    return c;
}

}  // namespace xdialog

#endif
