#include "platform/x_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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
constexpr float kButtonRadius = 5.0f;
constexpr std::uint32_t kSeparator = 0xe2d3bc;
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

std::uint32_t buttonFillColour(const ViewState& view, int button) {
    // A button looks pressed only while the pointer that pressed it is still on it.
    const bool pressed = view.pressed == button && view.hover == button;
    const bool hover = view.hover == button;
    if (view.focus == button)
        return pressed ? palette::accentPressed : hover ? palette::accentHover : palette::accent;
    return pressed ? palette::buttonPressed : hover ? palette::buttonHover : palette::buttonFill;
}

namespace {

std::uint32_t blend(std::uint32_t under, std::uint32_t over, float a) {
    if (a <= 0.0f) return under;
    if (a >= 1.0f) return over;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float u = static_cast<float>((under >> shift) & 0xff);
        const float o = static_cast<float>((over >> shift) & 0xff);
        out |= static_cast<std::uint32_t>(std::lround(u + (o - u) * a)) << shift;
    }
    return out;
}

// Signed distance from a pixel centre to a rounded rectangle (negative inside).
float roundedBoxDistance(float px, float py, float x, float y, float w, float h, float r) {
    const float qx = std::fabs(px - (x + w / 2)) - (w / 2 - r);
    const float qy = std::fabs(py - (y + h / 2)) - (h / 2 - r);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

// Paints a rounded rectangle with soft (one pixel wide) edges.
void fillRounded(std::vector<std::uint32_t>& px, int width, int height, float x, float y, float w,
                 float h, float r, std::uint32_t colour) {
    const int x0 = std::max(0, static_cast<int>(std::floor(x)));
    const int y0 = std::max(0, static_cast<int>(std::floor(y)));
    const int x1 = std::min(width, static_cast<int>(std::ceil(x + w)));
    const int y1 = std::min(height, static_cast<int>(std::ceil(y + h)));
    for (int j = y0; j < y1; ++j)
        for (int i = x0; i < x1; ++i) {
            const float d = roundedBoxDistance(i + 0.5f, j + 0.5f, x, y, w, h, r);
            const float coverage = std::min(1.0f, std::max(0.0f, 0.5f - d));
            std::uint32_t& p = px[static_cast<size_t>(j) * width + i];
            p = blend(p, colour, coverage);
        }
}

}  // namespace

std::vector<std::uint32_t> paintBackground(const Layout& l, const ViewState& view) {
    std::vector<std::uint32_t> px(static_cast<size_t>(l.width) * l.height, palette::background);
    // The button band, with a hairline above it.
    for (int j = l.footerY; j < l.height; ++j)
        std::fill_n(px.begin() + static_cast<long>(j) * l.width, l.width,
                    j == l.footerY ? kSeparator : palette::footer);
    // The icon: a copper disc; its question mark is text, drawn later.
    fillRounded(px, l.width, l.height, l.icon.x, l.icon.y, l.icon.w, l.icon.h, l.icon.w / 2.0f,
                palette::accent);
    // The buttons: a 1px border around a flat fill.
    for (int i = 0; i < kButtonCount; ++i) {
        const Box& b = l.buttons[i];
        const std::uint32_t border = view.focus == i ? palette::accentBorder : palette::buttonBorder;
        fillRounded(px, l.width, l.height, b.x, b.y, b.w, b.h, kButtonRadius, border);
        fillRounded(px, l.width, l.height, b.x + 1, b.y + 1, b.w - 2, b.h - 2, kButtonRadius - 1,
                    buttonFillColour(view, i));
    }
    return px;
}

}  // namespace xdialog

#ifndef _WIN32

#include <cerrno>

#include <poll.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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

namespace {

// Errors of single requests (a focus change refused because the window is
// not viewable yet, say) are harmless here and must not end the program,
// which is what Xlib's own handler would do.
int ignoreXError(Display*, XErrorEvent*) { return 0; }
// A lost connection is reported through the exit handler below; say nothing.
int quietIoError(Display*) { return 0; }
void connectionLost(Display*, void* lost) { *static_cast<bool*>(lost) = true; }

// The connection kept after the answer, until the show's window is up.
Display* heldDisplay = nullptr;
void heldConnectionLost(Display*, void*) {}

int lowestBit(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int bitCount(unsigned long mask) {
    int n = 0;
    for (; mask; mask >>= 1) n += static_cast<int>(mask & 1);
    return n;
}

// 0xRRGGBB as a pixel value of a true-colour visual.
unsigned long visualPixel(const Visual* v, std::uint32_t rgb) {
    const unsigned long masks[3] = {v->red_mask, v->green_mask, v->blue_mask};
    unsigned long pixel = 0;
    for (int c = 0; c < 3; ++c) {
        const unsigned long value = (rgb >> (16 - 8 * c)) & 0xff;
        const int bits = std::min(8, bitCount(masks[c]));
        pixel |= ((value >> (8 - bits)) << lowestBit(masks[c])) & masks[c];
    }
    return pixel;
}

XRenderColor renderColour(std::uint32_t rgb) {
    XRenderColor c;
    c.red = static_cast<unsigned short>(((rgb >> 16) & 0xff) * 0x101);
    c.green = static_cast<unsigned short>(((rgb >> 8) & 0xff) * 0x101);
    c.blue = static_cast<unsigned short>((rgb & 0xff) * 0x101);
    c.alpha = 0xffff;
    return c;
}

XftFont* openFont(Display* dpy, int screen, const char* wanted, const char* fallback) {
    XftFont* font = XftFontOpenName(dpy, screen, wanted);
    return font ? font : XftFontOpenName(dpy, screen, fallback);
}

int textWidth(Display* dpy, XftFont* font, const char* s) {
    XGlyphInfo extents;
    XftTextExtentsUtf8(dpy, font, reinterpret_cast<const FcChar8*>(s), static_cast<int>(std::strlen(s)),
                       &extents);
    return extents.xOff;
}

// Draws a text centred on (cx, cy) by its ink-free line box.
void drawCentred(Display* dpy, XftDraw* draw, XftColor* colour, XftFont* font, const char* s, int cx,
                 int cy) {
    const int x = cx - textWidth(dpy, font, s) / 2;
    const int baseline = cy + (font->ascent - font->descent) / 2;
    XftDrawStringUtf8(draw, colour, font, x, baseline, reinterpret_cast<const FcChar8*>(s),
                      static_cast<int>(std::strlen(s)));
}

// One open dialog window and what it draws with.
struct Dialog {
    Display* dpy = nullptr;
    int screen = 0;
    Visual* visual = nullptr;
    Window window = 0;
    bool windowGone = false;
    bool lost = false;
    XftFont* font = nullptr;
    XftFont* iconFont = nullptr;
    XftDraw* draw = nullptr;
    XftColor textColour{}, accentTextColour{};
    XImage* image = nullptr;
    Layout layout;
    ViewState view;
    const char* text = "";
    const char* labels[kButtonCount] = {"Yes", "No", "Cancel"};

    void paint() {
        const std::vector<std::uint32_t> px = paintBackground(layout, view);
        for (int y = 0; y < layout.height; ++y)
            for (int x = 0; x < layout.width; ++x)
                XPutPixel(image, x, y, visualPixel(visual, px[static_cast<size_t>(y) * layout.width + x]));
        XPutImage(dpy, window, DefaultGC(dpy, screen), image, 0, 0, 0, 0, layout.width, layout.height);
        drawCentred(dpy, draw, &accentTextColour, iconFont, "?", layout.icon.x + layout.icon.w / 2,
                    layout.icon.y + layout.icon.h / 2);
        XftDrawStringUtf8(draw, &textColour, font, layout.textX,
                          layout.textCentreY + (font->ascent - font->descent) / 2,
                          reinterpret_cast<const FcChar8*>(text), static_cast<int>(std::strlen(text)));
        for (int i = 0; i < kButtonCount; ++i) {
            const Box& b = layout.buttons[i];
            drawCentred(dpy, draw, view.focus == i ? &accentTextColour : &textColour, font, labels[i],
                        b.x + b.w / 2, b.y + b.h / 2);
        }
    }
};

void setAtomProperty(Display* dpy, Window w, const char* name, Atom type, const long* values, int count) {
    XChangeProperty(dpy, w, XInternAtom(dpy, name, False), type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values), count);
}

// Waits until the connection has something to read (or has broken).
void waitForInput(Display* dpy) {
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::optional<FullscreenAnswer> askWithXDialog(const char* title, const char* text, const char* displayName,
                                               bool hold) {
    Dialog d;
    d.dpy = XOpenDisplay(displayName);
    if (!d.dpy) return std::nullopt;
    d.screen = DefaultScreen(d.dpy);
    d.visual = DefaultVisual(d.dpy, d.screen);
    if (d.visual->c_class != TrueColor && d.visual->c_class != DirectColor) {
        // Palette displays are long gone; the terminal or a window will do.
        XCloseDisplay(d.dpy);
        return std::nullopt;
    }
    XErrorHandler oldError = XSetErrorHandler(ignoreXError);
    XIOErrorHandler oldIoError = XSetIOErrorHandler(quietIoError);
    XSetIOErrorExitHandler(d.dpy, connectionLost, &d.lost);

    d.text = text;
    d.font = openFont(d.dpy, d.screen, "DejaVu Sans:size=11", "sans:size=11");
    d.iconFont = openFont(d.dpy, d.screen, "DejaVu Sans:bold:size=19", "sans:bold:size=19");
    std::optional<FullscreenAnswer> answer;
    if (!d.font || !d.iconFont) {
        answer.reset();  // no font at all: nothing readable to show
    } else {
        d.layout = dialogLayout(textWidth(d.dpy, d.font, text));
        const Layout& l = d.layout;
        const int x = (DisplayWidth(d.dpy, d.screen) - l.width) / 2;
        const int y = (DisplayHeight(d.dpy, d.screen) - l.height) / 2;
        const Window root = RootWindow(d.dpy, d.screen);
        d.window = XCreateSimpleWindow(d.dpy, root, x, y, l.width, l.height, 0, 0,
                                       visualPixel(d.visual, palette::background));
        XSelectInput(d.dpy, d.window,
                     ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                         LeaveWindowMask | StructureNotifyMask);

        // Name, class, kind and fixed size for the window manager.
        XStoreName(d.dpy, d.window, title);
        XChangeProperty(d.dpy, d.window, XInternAtom(d.dpy, "_NET_WM_NAME", False),
                        XInternAtom(d.dpy, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
        char resName[] = "mijotine", resClass[] = "Mijotine";
        XClassHint classHint{resName, resClass};
        XSetClassHint(d.dpy, d.window, &classHint);
        XSizeHints* size = XAllocSizeHints();
        size->flags = PPosition | USPosition | PSize | PMinSize | PMaxSize;
        size->x = x;
        size->y = y;
        size->width = size->min_width = size->max_width = l.width;
        size->height = size->min_height = size->max_height = l.height;
        XSetWMNormalHints(d.dpy, d.window, size);
        XFree(size);
        XWMHints* hints = XAllocWMHints();
        hints->flags = InputHint | StateHint;
        hints->input = True;
        hints->initial_state = NormalState;
        XSetWMHints(d.dpy, d.window, hints);
        XFree(hints);
        Atom deleteWindow = XInternAtom(d.dpy, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(d.dpy, d.window, &deleteWindow, 1);
        const long dialogType = static_cast<long>(XInternAtom(d.dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False));
        setAtomProperty(d.dpy, d.window, "_NET_WM_WINDOW_TYPE", XA_ATOM, &dialogType, 1);
        const long pid = static_cast<long>(getpid());
        setAtomProperty(d.dpy, d.window, "_NET_WM_PID", XA_CARDINAL, &pid, 1);

        d.draw = XftDrawCreate(d.dpy, d.window, d.visual, DefaultColormap(d.dpy, d.screen));
        XRenderColor c = renderColour(palette::text);
        XftColorAllocValue(d.dpy, d.visual, DefaultColormap(d.dpy, d.screen), &c, &d.textColour);
        c = renderColour(palette::accentText);
        XftColorAllocValue(d.dpy, d.visual, DefaultColormap(d.dpy, d.screen), &c, &d.accentTextColour);
        const int depth = DefaultDepth(d.dpy, d.screen);
        d.image = XCreateImage(d.dpy, d.visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(l.width), static_cast<unsigned>(l.height), 32, 0);
        if (d.image) d.image->data = static_cast<char*>(std::malloc(static_cast<size_t>(d.image->bytes_per_line) * l.height));
        XMapRaised(d.dpy, d.window);

        bool mapped = false, dirty = false;
        while (!answer && !d.lost && d.image && d.image->data) {
            if (XPending(d.dpy) == 0) {
                if (d.lost) break;
                if (dirty && mapped) {
                    d.paint();
                    dirty = false;
                    continue;  // XPending flushes the drawing and looks again
                }
                waitForInput(d.dpy);
                continue;
            }
            XEvent ev;
            XNextEvent(d.dpy, &ev);
            const ViewState before = d.view;
            switch (ev.type) {
                case MapNotify:
                    mapped = true;
                    dirty = true;
                    // Take the keyboard, so that the keys work at once even
                    // without a window manager to give it.
                    XSetInputFocus(d.dpy, d.window, RevertToParent, CurrentTime);
                    break;
                case Expose:
                    if (ev.xexpose.count == 0) dirty = true;
                    break;
                case KeyPress: {
                    KeySym sym = NoSymbol;
                    char buffer[8];
                    XLookupString(&ev.xkey, buffer, sizeof buffer, &sym, nullptr);
                    const KeyCommand k = keyCommand(sym, (ev.xkey.state & ShiftMask) != 0);
                    if (k.kind == KeyCommand::Answer) answer = k.answer;
                    if (k.kind == KeyCommand::PressFocused) answer = answerOfButton(d.view.focus);
                    if (k.kind == KeyCommand::MoveFocus) d.view.focus = moveFocus(d.view.focus, k.step);
                    break;
                }
                case MotionNotify:
                    d.view.hover = buttonAt(l, ev.xmotion.x, ev.xmotion.y);
                    break;
                case LeaveNotify:
                    d.view.hover = -1;
                    break;
                case ButtonPress:
                    if (ev.xbutton.button == Button1) {
                        d.view.hover = buttonAt(l, ev.xbutton.x, ev.xbutton.y);
                        d.view.pressed = d.view.hover;
                        if (d.view.pressed >= 0) d.view.focus = d.view.pressed;
                    }
                    break;
                case ButtonRelease:
                    if (ev.xbutton.button == Button1) {
                        const int under = buttonAt(l, ev.xbutton.x, ev.xbutton.y);
                        if (under >= 0 && under == d.view.pressed) answer = answerOfButton(under);
                        d.view.pressed = -1;
                    }
                    break;
                case ClientMessage:
                    if (static_cast<Atom>(ev.xclient.data.l[0]) == deleteWindow) answer = FullscreenAnswer::Cancel;
                    break;
                case DestroyNotify:
                    if (ev.xdestroywindow.window == d.window) {
                        d.windowGone = true;
                        answer = FullscreenAnswer::Cancel;
                    }
                    break;
                default:
                    break;
            }
            if (std::memcmp(&before, &d.view, sizeof before) != 0) dirty = true;
        }
        // A lost display is the box gone: nobody said yes.
        if (d.lost) answer = FullscreenAnswer::Cancel;
    }

    if (d.image) XDestroyImage(d.image);  // frees the pixel buffer too
    if (!d.lost) {
        if (d.draw) XftDrawDestroy(d.draw);
        if (d.window && !d.windowGone) XDestroyWindow(d.dpy, d.window);
        // Fonts still held when the display closes are never freed; closed
        // ones go with the display's font cache.
        if (d.font) XftFontClose(d.dpy, d.font);
        if (d.iconFont) XftFontClose(d.dpy, d.iconFont);
    }
    // The window is gone from the screen before the show opens its own.
    if (hold && !d.lost && answer) {
        XSync(d.dpy, True);
        XSetIOErrorExitHandler(d.dpy, heldConnectionLost, nullptr);
        releaseHeldDisplay();
        heldDisplay = d.dpy;
    } else {
        XCloseDisplay(d.dpy);
    }
    XSetErrorHandler(oldError);
    XSetIOErrorHandler(oldIoError);
    return answer;
}

void releaseHeldDisplay() {
    if (!heldDisplay) return;
    XCloseDisplay(heldDisplay);
    heldDisplay = nullptr;
}

}  // namespace xdialog

#endif
