// The question box as a window on an X display: opened, described to the
// window manager, drawn, and watched until the viewer answers.

#include "platform/x_dialog.h"

#ifndef _WIN32

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <poll.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace xdialog {

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

// One open dialog window and what it draws with.
struct Dialog {
    Display* dpy = nullptr;
    int screen = 0;
    Visual* visual = nullptr;
    Window window = 0;
    Atom deleteWindow = 0;
    bool windowGone = false;
    bool lost = false;
    bool mapped = false, dirty = false;  // shown yet; to be painted again
    XftFont* font = nullptr;
    XftFont* iconFont = nullptr;
    XftDraw* draw = nullptr;
    XftColor textColour{}, accentTextColour{};
    XImage* image = nullptr;
    Layout layout;
    ViewState view;
    const char* text = "";
    const char* labels[kButtonCount] = {"Yes", "No", "Cancel"};

    void createWindow(const char* title);
    void describeToWindowManager(const char* title, int x, int y);
    void prepareDrawing();
    std::optional<FullscreenAnswer> waitForAnswer();
    std::optional<FullscreenAnswer> handle(const XEvent& ev);
    void paint();
    void destroy();
};

void Dialog::createWindow(const char* title) {
    const int x = (DisplayWidth(dpy, screen) - layout.width) / 2;
    const int y = (DisplayHeight(dpy, screen) - layout.height) / 2;
    window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), x, y, layout.width, layout.height, 0, 0,
                                 visualPixel(visual, palette::background));
    XSelectInput(dpy, window,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     LeaveWindowMask | StructureNotifyMask);
    describeToWindowManager(title, x, y);
}

// Name, class, kind and fixed size for the window manager.
void Dialog::describeToWindowManager(const char* title, int x, int y) {
    XStoreName(dpy, window, title);
    XChangeProperty(dpy, window, XInternAtom(dpy, "_NET_WM_NAME", False), XInternAtom(dpy, "UTF8_STRING", False),
                    8, PropModeReplace, reinterpret_cast<const unsigned char*>(title),
                    static_cast<int>(std::strlen(title)));
    char resName[] = "mijotine", resClass[] = "Mijotine";
    XClassHint classHint{resName, resClass};
    XSetClassHint(dpy, window, &classHint);
    XSizeHints* size = XAllocSizeHints();
    size->flags = PPosition | USPosition | PSize | PMinSize | PMaxSize;
    size->x = x;
    size->y = y;
    size->width = size->min_width = size->max_width = layout.width;
    size->height = size->min_height = size->max_height = layout.height;
    XSetWMNormalHints(dpy, window, size);
    XFree(size);
    XWMHints* hints = XAllocWMHints();
    hints->flags = InputHint | StateHint;
    hints->input = True;
    hints->initial_state = NormalState;
    XSetWMHints(dpy, window, hints);
    XFree(hints);
    deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, window, &deleteWindow, 1);
    const long dialogType = static_cast<long>(XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False));
    setAtomProperty(dpy, window, "_NET_WM_WINDOW_TYPE", XA_ATOM, &dialogType, 1);
    const long pid = static_cast<long>(getpid());
    setAtomProperty(dpy, window, "_NET_WM_PID", XA_CARDINAL, &pid, 1);
}

void Dialog::prepareDrawing() {
    draw = XftDrawCreate(dpy, window, visual, DefaultColormap(dpy, screen));
    XRenderColor c = renderColour(palette::text);
    XftColorAllocValue(dpy, visual, DefaultColormap(dpy, screen), &c, &textColour);
    c = renderColour(palette::accentText);
    XftColorAllocValue(dpy, visual, DefaultColormap(dpy, screen), &c, &accentTextColour);
    const int depth = DefaultDepth(dpy, screen);
    image = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(layout.width), static_cast<unsigned>(layout.height), 32, 0);
    if (image) image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * layout.height));
}

std::optional<FullscreenAnswer> Dialog::waitForAnswer() {
    std::optional<FullscreenAnswer> answer;
    while (!answer && !lost && image && image->data) {
        if (XPending(dpy) == 0) {
            if (lost) break;
            if (dirty && mapped) {
                paint();
                dirty = false;
                continue;  // XPending flushes the drawing and looks again
            }
            waitForInput(dpy);
            continue;
        }
        XEvent ev;
        XNextEvent(dpy, &ev);
        const ViewState before = view;
        answer = handle(ev);
        if (std::memcmp(&before, &view, sizeof before) != 0) dirty = true;
    }
    return answer;
}

// What an event changes; the answer when it gives one.
std::optional<FullscreenAnswer> Dialog::handle(const XEvent& ev) {
    switch (ev.type) {
        case MapNotify:
            mapped = true;
            dirty = true;
            // Take the keyboard, so that the keys work at once even
            // without a window manager to give it.
            XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
            break;
        case Expose:
            if (ev.xexpose.count == 0) dirty = true;
            break;
        case KeyPress: {
            KeySym sym = NoSymbol;
            char buffer[8];
            XKeyEvent key = ev.xkey;
            XLookupString(&key, buffer, sizeof buffer, &sym, nullptr);
            const KeyCommand k = keyCommand(sym, (ev.xkey.state & ShiftMask) != 0);
            if (k.kind == KeyCommand::Answer) return k.answer;
            if (k.kind == KeyCommand::PressFocused) return answerOfButton(view.focus);
            if (k.kind == KeyCommand::MoveFocus) view.focus = moveFocus(view.focus, k.step);
            break;
        }
        case MotionNotify:
            view.hover = buttonAt(layout, ev.xmotion.x, ev.xmotion.y);
            break;
        case LeaveNotify:
            view.hover = -1;
            break;
        case ButtonPress:
            if (ev.xbutton.button == Button1) {
                view.hover = buttonAt(layout, ev.xbutton.x, ev.xbutton.y);
                view.pressed = view.hover;
                if (view.pressed >= 0) view.focus = view.pressed;
            }
            break;
        case ButtonRelease:
            if (ev.xbutton.button == Button1) {
                const int under = buttonAt(layout, ev.xbutton.x, ev.xbutton.y);
                const int pressedOn = view.pressed;
                view.pressed = -1;
                if (under >= 0 && under == pressedOn) return answerOfButton(under);
            }
            break;
        case ClientMessage:
            if (static_cast<Atom>(ev.xclient.data.l[0]) == deleteWindow) return FullscreenAnswer::Cancel;
            break;
        case DestroyNotify:
            if (ev.xdestroywindow.window == window) {
                windowGone = true;
                return FullscreenAnswer::Cancel;
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

void Dialog::paint() {
    const std::vector<std::uint32_t> px = paintBackground(layout, view);
    for (int y = 0; y < layout.height; ++y)
        for (int x = 0; x < layout.width; ++x)
            XPutPixel(image, x, y, visualPixel(visual, px[static_cast<size_t>(y) * layout.width + x]));
    XPutImage(dpy, window, DefaultGC(dpy, screen), image, 0, 0, 0, 0, layout.width, layout.height);
    drawCentred(dpy, draw, &accentTextColour, iconFont, "?", layout.icon.x + layout.icon.w / 2,
                layout.icon.y + layout.icon.h / 2);
    XftDrawStringUtf8(draw, &textColour, font, layout.textX, layout.textCentreY + (font->ascent - font->descent) / 2,
                      reinterpret_cast<const FcChar8*>(text), static_cast<int>(std::strlen(text)));
    for (int i = 0; i < kButtonCount; ++i) {
        const Box& b = layout.buttons[i];
        drawCentred(dpy, draw, view.focus == i ? &accentTextColour : &textColour, font, labels[i], b.x + b.w / 2,
                    b.y + b.h / 2);
    }
}

// Everything but the connection.
void Dialog::destroy() {
    if (image) XDestroyImage(image);  // frees the pixel buffer too
    if (lost) return;
    if (draw) XftDrawDestroy(draw);
    if (window && !windowGone) XDestroyWindow(dpy, window);
    // Fonts still held when the display closes are never freed; closed
    // ones go with the display's font cache.
    if (font) XftFontClose(dpy, font);
    if (iconFont) XftFontClose(dpy, iconFont);
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
    const XErrorHandler oldError = XSetErrorHandler(ignoreXError);
    const XIOErrorHandler oldIoError = XSetIOErrorHandler(quietIoError);
    XSetIOErrorExitHandler(d.dpy, connectionLost, &d.lost);

    d.text = text;
    d.font = openFont(d.dpy, d.screen, "DejaVu Sans:size=11", "sans:size=11");
    d.iconFont = openFont(d.dpy, d.screen, "DejaVu Sans:bold:size=19", "sans:bold:size=19");
    std::optional<FullscreenAnswer> answer;
    // With no font at all there is nothing readable to show: no answer.
    if (d.font && d.iconFont) {
        d.layout = dialogLayout(textWidth(d.dpy, d.font, text));
        d.createWindow(title);
        d.prepareDrawing();
        XMapRaised(d.dpy, d.window);
        answer = d.waitForAnswer();
        // A lost display is the box gone: nobody said yes.
        if (d.lost) answer = FullscreenAnswer::Cancel;
    }
    d.destroy();
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
