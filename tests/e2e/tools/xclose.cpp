// xclose: asks an X window to close the way a window manager's close button
// does, by sending it a WM_DELETE_WINDOW client message. Unlike destroying the
// window, this lets the program decide what a close request means.
//
// Usage: xclose <window-id>   (decimal or 0x-prefixed hexadecimal)
// Exit status: 0 sent, 1 no display or the window does not take the request,
// 2 bad usage.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

bool takesDeleteRequests(Display* display, Window window, Atom deleteWindow) {
    Atom* protocols = nullptr;
    int count = 0;
    if (!XGetWMProtocols(display, window, &protocols, &count)) return false;
    bool found = false;
    for (int i = 0; i < count; ++i) found = found || protocols[i] == deleteWindow;
    XFree(protocols);
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xclose <window-id>\n");
        return 2;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (errno != 0 || end == argv[1] || *end != '\0' || id == 0) {
        std::fprintf(stderr, "xclose: not a window id: '%s'\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xclose: cannot open display\n");
        return 1;
    }
    const Window window = static_cast<Window>(id);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!takesDeleteRequests(display, window, deleteWindow)) {
        std::fprintf(stderr, "xclose: window 0x%lx does not take WM_DELETE_WINDOW\n", id);
        XCloseDisplay(display);
        return 1;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        std::fprintf(stderr, "xclose: could not send the request to 0x%lx\n", id);
        return 1;
    }
    return 0;
}
