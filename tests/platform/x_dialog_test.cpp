#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <dirent.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "platform/x_dialog.h"

using namespace xdialog;

namespace {
const char* kTitle = "Mijotine!";
const char* kText = "Run in fullscreen mode? (Cancel means no run)";

std::uint32_t pixelAt(const std::vector<std::uint32_t>& px, const Layout& l, int x, int y) {
    return px[static_cast<size_t>(y) * l.width + x];
}
// A point inside a button's fill, clear of its border and its label.
int fillX(const Box& b) { return b.x + 4; }
int fillY(const Box& b) { return b.y + b.h / 2; }
}  // namespace

TEST(DialogLayout, FixedSizeButtonsInOrderAndHitTest) {
    const Layout l = dialogLayout(330);
    EXPECT_EQ(l.width, 480);
    EXPECT_EQ(l.height, 150);
    // The text fits between the icon and the right edge.
    EXPECT_GE(l.textX, l.icon.x + l.icon.w);
    EXPECT_LE(l.textX + 330, l.width);
    for (int i = 0; i < kButtonCount; ++i) {
        const Box& b = l.buttons[i];
        EXPECT_GE(b.y, l.footerY);
        EXPECT_LE(b.y + b.h, l.height);
        EXPECT_LE(b.x + b.w, l.width);
        if (i > 0) {
            EXPECT_GT(b.x, l.buttons[i - 1].x + l.buttons[i - 1].w) << "buttons overlap";
        }
        EXPECT_EQ(buttonAt(l, b.x + b.w / 2, b.y + b.h / 2), i);
        EXPECT_EQ(buttonAt(l, b.x, b.y), i);
        EXPECT_EQ(buttonAt(l, b.x + b.w - 1, b.y + b.h - 1), i);
        EXPECT_EQ(buttonAt(l, b.x + b.w, b.y), i + 1 < kButtonCount && l.buttons[i + 1].x == b.x + b.w ? i + 1 : -1);
        EXPECT_EQ(buttonAt(l, b.x - 1, b.y + 5), -1);
        EXPECT_EQ(buttonAt(l, b.x + 5, b.y - 1), -1);
        EXPECT_EQ(buttonAt(l, b.x + 5, b.y + b.h), -1);
    }
    EXPECT_EQ(buttonAt(l, l.icon.x + 5, l.icon.y + 5), -1);
    EXPECT_EQ(answerOfButton(kYesButton), FullscreenAnswer::Yes);
    EXPECT_EQ(answerOfButton(kNoButton), FullscreenAnswer::No);
    EXPECT_EQ(answerOfButton(kCancelButton), FullscreenAnswer::Cancel);

    // A long text widens the window; the buttons stay at the right edge.
    const Layout wide = dialogLayout(700);
    EXPECT_GE(wide.width, wide.textX + 700);
    EXPECT_EQ(wide.width - (wide.buttons[2].x + wide.buttons[2].w), l.width - (l.buttons[2].x + l.buttons[2].w));
}

TEST(DialogKeys, KeysMapLikeTheWindowsBoxAndFocusWraps) {
    struct Case {
        unsigned long sym;
        bool shift;
        KeyCommand::Kind kind;
        FullscreenAnswer answer;
        int step;
    } cases[] = {
        {XK_y, false, KeyCommand::Answer, FullscreenAnswer::Yes, 0},
        {XK_Y, true, KeyCommand::Answer, FullscreenAnswer::Yes, 0},
        {XK_n, false, KeyCommand::Answer, FullscreenAnswer::No, 0},
        {XK_N, true, KeyCommand::Answer, FullscreenAnswer::No, 0},
        {XK_Escape, false, KeyCommand::Answer, FullscreenAnswer::Cancel, 0},
        {XK_Return, false, KeyCommand::PressFocused, FullscreenAnswer::Cancel, 0},
        {XK_KP_Enter, false, KeyCommand::PressFocused, FullscreenAnswer::Cancel, 0},
        {XK_space, false, KeyCommand::PressFocused, FullscreenAnswer::Cancel, 0},
        {XK_Tab, false, KeyCommand::MoveFocus, FullscreenAnswer::Cancel, 1},
        {XK_Tab, true, KeyCommand::MoveFocus, FullscreenAnswer::Cancel, -1},
        {XK_ISO_Left_Tab, true, KeyCommand::MoveFocus, FullscreenAnswer::Cancel, -1},
        {XK_Right, false, KeyCommand::MoveFocus, FullscreenAnswer::Cancel, 1},
        {XK_Left, false, KeyCommand::MoveFocus, FullscreenAnswer::Cancel, -1},
        {XK_c, false, KeyCommand::Ignore, FullscreenAnswer::Cancel, 0},
        {XK_a, false, KeyCommand::Ignore, FullscreenAnswer::Cancel, 0},
        {XK_Shift_L, true, KeyCommand::Ignore, FullscreenAnswer::Cancel, 0},
    };
    for (const Case& c : cases) {
        const KeyCommand k = keyCommand(c.sym, c.shift);
        EXPECT_EQ(k.kind, c.kind) << XKeysymToString(c.sym);
        if (c.kind == KeyCommand::Answer) {
            EXPECT_EQ(k.answer, c.answer) << XKeysymToString(c.sym);
        }
        if (c.kind == KeyCommand::MoveFocus) {
            EXPECT_EQ(k.step, c.step) << XKeysymToString(c.sym);
        }
    }
    EXPECT_EQ(moveFocus(kYesButton, 1), kNoButton);
    EXPECT_EQ(moveFocus(kNoButton, 1), kCancelButton);
    EXPECT_EQ(moveFocus(kCancelButton, 1), kYesButton);
    EXPECT_EQ(moveFocus(kYesButton, -1), kCancelButton);
    EXPECT_EQ(moveFocus(kCancelButton, -1), kNoButton);
}

TEST(DialogPicture, FocusHoverAndPressShowOnTheRightButton) {
    const Layout l = dialogLayout(330);
    ViewState v;
    std::vector<std::uint32_t> px = paintBackground(l, v);
    ASSERT_EQ(px.size(), static_cast<size_t>(l.width) * l.height);
    const Box& yes = l.buttons[kYesButton];
    const Box& no = l.buttons[kNoButton];
    // Yes starts as the default, drawn in the accent colour; the others are plain.
    EXPECT_EQ(pixelAt(px, l, fillX(yes), fillY(yes)), palette::accent);
    EXPECT_EQ(pixelAt(px, l, fillX(no), fillY(no)), palette::buttonFill);
    EXPECT_EQ(pixelAt(px, l, no.x + no.w / 2, no.y), palette::buttonBorder);
    // Rounded, soft corners: the corner pixel stays footer, the next one in
    // is a blend of footer and border.
    EXPECT_EQ(pixelAt(px, l, no.x, no.y), palette::footer);
    const std::uint32_t soft = pixelAt(px, l, no.x + 1, no.y + 1);
    EXPECT_NE(soft, palette::buttonBorder);
    EXPECT_NE(soft, palette::footer);
    // The icon is a disc: full at its centre, background in its box's corner.
    EXPECT_EQ(pixelAt(px, l, l.icon.x + l.icon.w / 2, l.icon.y + l.icon.h / 2), palette::accent);
    EXPECT_EQ(pixelAt(px, l, l.icon.x, l.icon.y), palette::background);
    EXPECT_EQ(pixelAt(px, l, 5, 5), palette::background);
    EXPECT_EQ(pixelAt(px, l, 5, l.height - 3), palette::footer);

    v.focus = kNoButton;
    v.hover = kYesButton;
    px = paintBackground(l, v);
    EXPECT_EQ(pixelAt(px, l, fillX(no), fillY(no)), palette::accent);
    EXPECT_EQ(pixelAt(px, l, fillX(yes), fillY(yes)), palette::buttonHover);

    // Held on Yes: pressed look while the pointer stays, plain hover colour of
    // nothing once it has left.
    v.pressed = kYesButton;
    EXPECT_EQ(buttonFillColour(v, kYesButton), palette::buttonPressed);
    v.hover = -1;
    EXPECT_EQ(buttonFillColour(v, kYesButton), palette::buttonFill);
    v.focus = kYesButton;
    v.hover = kYesButton;
    EXPECT_EQ(buttonFillColour(v, kYesButton), palette::accentPressed);
    v.pressed = -1;
    EXPECT_EQ(buttonFillColour(v, kYesButton), palette::accentHover);
}

TEST(DialogWithoutDisplay, NoDisplayMeansNoAnswerAtOnce) {
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(askWithXDialog(kTitle, kText, ":4093").has_value());
    const char* saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    unsetenv("DISPLAY");
    EXPECT_FALSE(askWithXDialog(kTitle, kText).has_value());
    if (saved) setenv("DISPLAY", display.c_str(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
}

// ---------------------------------------------------------------------------
// The real dialog on the test's X server (run under xvfb-run), answered by
// real input from xdotool and by requests from a connection of the test.

namespace {

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

int openFdCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

// The dialog runs in a child process, which reports its answer and whether
// it left any descriptor (the display connection) open, then waits to be
// ended so the test can see that the window is gone before it returns.
class LiveDialog {
public:
    explicit LiveDialog(Display* dpy) : dpy_(dpy) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int before = openFdCount();
            const std::optional<FullscreenAnswer> a = askWithXDialog(kTitle, kText);
            const char report[2] = {!a ? '-' : *a == FullscreenAnswer::Yes ? 'Y' : *a == FullscreenAnswer::No ? 'N' : 'C',
                                    openFdCount() == before ? 'F' : 'L'};
            if (write(fds[1], report, 2) != 2) _exit(3);
            sleep(20);
            _exit(0);
        }
        close(fds[1]);
        fd_ = fds[0];
        window_ = findWindow();
    }
    ~LiveDialog() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) close(fd_);
    }
    Window window() const { return window_; }

    // The answer as Y, N, C (or - for none), or 0 when none came within the time.
    char answer(int timeoutMs = 10000) {
        pollfd p{fd_, POLLIN, 0};
        char report[2] = {0, 0};
        if (poll(&p, 1, timeoutMs) != 1 || read(fd_, report, 2) != 2) return 0;
        fdsClosed_ = report[1] == 'F';
        return report[0];
    }
    bool fdsClosed() const { return fdsClosed_; }
    bool windowExists() {
        XSync(dpy_, False);
        XWindowAttributes a;
        return XGetWindowAttributes(dpy_, window_, &a) != 0;
    }
    // The window's top-left corner on the screen.
    void origin(int& x, int& y) {
        Window child;
        XTranslateCoordinates(dpy_, window_, DefaultRootWindow(dpy_), 0, 0, &x, &y, &child);
    }
    std::uint32_t rgbAt(int x, int y) {
        XImage* img = XGetImage(dpy_, window_, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!img) return 0xdeadbeef;
        const unsigned long p = XGetPixel(img, 0, 0);
        const Visual* v = DefaultVisual(dpy_, DefaultScreen(dpy_));
        auto channel = [p](unsigned long mask) {
            unsigned long m = mask, value = p & mask;
            while (!(m & 1)) m >>= 1, value >>= 1;
            return static_cast<std::uint32_t>(value * 255 / m);
        };
        const std::uint32_t rgb = channel(v->red_mask) << 16 | channel(v->green_mask) << 8 | channel(v->blue_mask);
        XDestroyImage(img);
        return rgb;
    }
    // Waits until a pixel of the window takes a colour.
    bool waitColour(int x, int y, std::uint32_t rgb) {
        for (int i = 0; i < 300; ++i) {
            if (rgbAt(x, y) == rgb) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    // The viewable top-level window of the child process.
    Window findWindow() {
        const Atom pidAtom = XInternAtom(dpy_, "_NET_WM_PID", False);
        for (int attempt = 0; attempt < 1000; ++attempt) {
            Window root, parent, *children = nullptr;
            unsigned int n = 0;
            Window found = 0;
            if (XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &n)) {
                for (unsigned int i = 0; i < n && !found; ++i) {
                    Atom type;
                    int format;
                    unsigned long count, after;
                    unsigned char* data = nullptr;
                    if (XGetWindowProperty(dpy_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                                           &count, &after, &data) == Success &&
                        data && count == 1 && *reinterpret_cast<long*>(data) == pid_) {
                        XWindowAttributes a;
                        if (XGetWindowAttributes(dpy_, children[i], &a) && a.map_state == IsViewable)
                            found = children[i];
                    }
                    if (data) XFree(data);
                }
                if (children) XFree(children);
            }
            if (found) return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    Display* dpy_;
    pid_t pid_ = -1;
    int fd_ = -1;
    Window window_ = 0;
    bool fdsClosed_ = false;
};

class LiveDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dpy_ = XOpenDisplay(nullptr);
        if (!dpy_) GTEST_SKIP() << "no X display; run under xvfb-run";
        XSetErrorHandler(ignoreErrors);
        ASSERT_EQ(std::system("xdotool version >/dev/null 2>&1"), 0) << "xdotool is needed";
    }
    void TearDown() override {
        if (dpy_) XCloseDisplay(dpy_);
    }
    static int run(const std::string& command) { return std::system(command.c_str()); }
    Display* dpy_ = nullptr;
};

}  // namespace

TEST_F(LiveDialogTest, AWindowManagerSeesANamedFixedCentredDialog) {
    LiveDialog d(dpy_);
    ASSERT_NE(d.window(), 0u) << "no dialog window appeared";
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(dpy_, d.window(), &name));
    EXPECT_STREQ(name, "Mijotine!");
    XFree(name);
    auto property = [&](const char* prop, const char* type) {
        Atom actual;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::string value;
        if (XGetWindowProperty(dpy_, d.window(), XInternAtom(dpy_, prop, False), 0, 64, False,
                               XInternAtom(dpy_, type, False), &actual, &format, &count, &after, &data) == Success &&
            data) {
            value.assign(reinterpret_cast<char*>(data), format == 32 ? count * sizeof(long) : count);
            XFree(data);
        }
        return value;
    };
    EXPECT_EQ(property("_NET_WM_NAME", "UTF8_STRING"), "Mijotine!");
    const std::string type = property("_NET_WM_WINDOW_TYPE", "ATOM");
    ASSERT_EQ(type.size(), sizeof(long));
    EXPECT_EQ(*reinterpret_cast<const long*>(type.data()),
              static_cast<long>(XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DIALOG", False)));
    XClassHint hint;
    ASSERT_TRUE(XGetClassHint(dpy_, d.window(), &hint));
    EXPECT_STREQ(hint.res_name, "mijotine");
    EXPECT_STREQ(hint.res_class, "Mijotine");
    XFree(hint.res_name);
    XFree(hint.res_class);
    const std::string protocols = property("WM_PROTOCOLS", "ATOM");
    ASSERT_EQ(protocols.size(), sizeof(long));
    EXPECT_EQ(*reinterpret_cast<const long*>(protocols.data()),
              static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False)));

    XSizeHints size;
    long supplied;
    ASSERT_TRUE(XGetWMNormalHints(dpy_, d.window(), &size, &supplied));
    ASSERT_TRUE((size.flags & PMinSize) && (size.flags & PMaxSize));
    EXPECT_EQ(size.min_width, size.max_width);
    EXPECT_EQ(size.min_height, size.max_height);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(dpy_, d.window(), &a));
    EXPECT_EQ(a.width, size.min_width);
    EXPECT_EQ(a.height, size.min_height);
    EXPECT_GE(a.width, 400);
    EXPECT_LE(a.width, 640);
    EXPECT_GE(a.height, 120);
    EXPECT_LE(a.height, 200);
    int x, y;
    d.origin(x, y);
    EXPECT_NEAR(x + a.width / 2, DisplayWidth(dpy_, DefaultScreen(dpy_)) / 2, 1);
    EXPECT_NEAR(y + a.height / 2, DisplayHeight(dpy_, DefaultScreen(dpy_)) / 2, 1);

    // It takes the keyboard by itself, wherever the pointer is.
    run("xdotool mousemove 0 0");
    Window focus = 0;
    int revert;
    for (int i = 0; i < 300 && focus != d.window(); ++i) {
        XGetInputFocus(dpy_, &focus, &revert);
        if (focus != d.window()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(focus, d.window());
    EXPECT_EQ(run("xdotool key n"), 0);
    EXPECT_EQ(d.answer(), 'N');
}

TEST_F(LiveDialogTest, KeysChooseAndMoveTheFocus) {
    const struct {
        const char* keys;
        char expected;
    } cases[] = {
        {"y", 'Y'},          {"shift+y", 'Y'},      {"n", 'N'},           {"Escape", 'C'},
        {"Return", 'Y'},     {"KP_Enter", 'Y'},     {"space", 'Y'},       {"Tab Return", 'N'},
        {"Tab Tab Return", 'C'}, {"Tab Tab Tab Return", 'Y'}, {"shift+Tab Return", 'C'},
        {"Right Right space", 'C'}, {"Left Return", 'C'}, {"Tab Left KP_Enter", 'Y'}, {"a c Tab Return", 'N'},
    };
    for (const auto& c : cases) {
        LiveDialog d(dpy_);
        ASSERT_NE(d.window(), 0u) << "no dialog window appeared";
        EXPECT_EQ(run("xdotool windowfocus --sync " + std::to_string(d.window()) + " key " + c.keys), 0);
        EXPECT_EQ(d.answer(), c.expected) << c.keys;
        EXPECT_TRUE(d.fdsClosed()) << "the display connection stayed open after " << c.keys;
        EXPECT_FALSE(d.windowExists()) << "the dialog stayed on screen after " << c.keys;
    }
}

TEST_F(LiveDialogTest, TheDrawnDefaultFollowsTheFocus) {
    LiveDialog d(dpy_);
    ASSERT_NE(d.window(), 0u);
    const Layout l = dialogLayout(330);  // the buttons sit at the right edge whatever the text width
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(dpy_, d.window(), &a));
    auto button = [&](int i) {
        Box b = l.buttons[i];
        b.x += a.width - l.width;
        return b;
    };
    const Box yes = button(kYesButton), no = button(kNoButton);
    EXPECT_TRUE(d.waitColour(fillX(yes), fillY(yes), palette::accent));
    EXPECT_TRUE(d.waitColour(fillX(no), fillY(no), palette::buttonFill));
    EXPECT_TRUE(d.waitColour(5, 5, palette::background));
    run("xdotool windowfocus --sync " + std::to_string(d.window()) + " key Tab");
    EXPECT_TRUE(d.waitColour(fillX(no), fillY(no), palette::accent));
    EXPECT_TRUE(d.waitColour(fillX(yes), fillY(yes), palette::buttonFill));
    // The pointer over Yes lights it up.
    run("xdotool mousemove --window " + std::to_string(d.window()) + " " + std::to_string(fillX(yes) + 20) + " " +
        std::to_string(fillY(yes) - 8));
    EXPECT_TRUE(d.waitColour(fillX(yes), fillY(yes), palette::buttonHover));
    // The window is drawn again when it has been covered.
    XSetWindowAttributes cover;
    cover.override_redirect = True;
    cover.background_pixel = BlackPixel(dpy_, DefaultScreen(dpy_));
    int x, y;
    d.origin(x, y);
    const Window blanket = XCreateWindow(dpy_, DefaultRootWindow(dpy_), x, y, a.width, a.height, 0, CopyFromParent,
                                         InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &cover);
    XMapRaised(dpy_, blanket);
    XSync(dpy_, False);
    XDestroyWindow(dpy_, blanket);
    XSync(dpy_, False);
    EXPECT_TRUE(d.waitColour(fillX(no), fillY(no), palette::accent));
    EXPECT_TRUE(d.waitColour(5, 5, palette::background));
    run("xdotool windowfocus --sync " + std::to_string(d.window()) + " key Return");
    EXPECT_EQ(d.answer(), 'N');
}

TEST_F(LiveDialogTest, ClickingAButtonChoosesIt) {
    const Layout l = dialogLayout(330);
    const char expected[kButtonCount] = {'Y', 'N', 'C'};
    for (int i = 0; i < kButtonCount; ++i) {
        LiveDialog d(dpy_);
        ASSERT_NE(d.window(), 0u);
        XWindowAttributes a;
        ASSERT_TRUE(XGetWindowAttributes(dpy_, d.window(), &a));
        const Box& b = l.buttons[i];
        const int cx = b.x + (a.width - l.width) + b.w / 2, cy = b.y + b.h / 2;
        EXPECT_EQ(run("xdotool mousemove --window " + std::to_string(d.window()) + " " + std::to_string(cx) + " " +
                      std::to_string(cy) + " click 1"),
                  0);
        EXPECT_EQ(d.answer(), expected[i]) << "button " << i;
    }
}

TEST_F(LiveDialogTest, PressAndReleaseOnDifferentPlacesChoosesNothing) {
    const Layout l = dialogLayout(330);
    LiveDialog d(dpy_);
    ASSERT_NE(d.window(), 0u);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(dpy_, d.window(), &a));
    const int dx = a.width - l.width;
    const std::string w = std::to_string(d.window());
    auto at = [&](int button) {
        const Box& b = l.buttons[button];
        return std::to_string(b.x + dx + b.w / 2) + " " + std::to_string(b.y + b.h / 2);
    };
    // Pressed on No, released on Yes; pressed on the text, released on Cancel.
    run("xdotool mousemove --window " + w + " " + at(kNoButton) + " mousedown 1 mousemove --window " + w + " " +
        at(kYesButton) + " mouseup 1");
    run("xdotool mousemove --window " + w + " 100 40 mousedown 1 mousemove --window " + w + " " + at(kCancelButton) +
        " mouseup 1");
    // The right button, and a wheel turn, choose nothing either.
    run("xdotool mousemove --window " + w + " " + at(kNoButton) + " click 3 click 4");
    EXPECT_EQ(d.answer(600), 0) << "a stray press chose an answer";
    // Still alive: the pressed-on No has the focus now.
    run("xdotool windowfocus --sync " + w + " key Return");
    EXPECT_EQ(d.answer(), 'N');
}

TEST_F(LiveDialogTest, ClosingTheBoxIsCancel) {
    {
        // The window manager's close button.
        LiveDialog d(dpy_);
        ASSERT_NE(d.window(), 0u);
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = d.window();
        ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(dpy_, d.window(), False, NoEventMask, &ev);
        XFlush(dpy_);
        EXPECT_EQ(d.answer(), 'C');
        EXPECT_TRUE(d.fdsClosed());
    }
    {
        // The window destroyed under it.
        LiveDialog d(dpy_);
        ASSERT_NE(d.window(), 0u);
        XDestroyWindow(dpy_, d.window());
        XFlush(dpy_);
        EXPECT_EQ(d.answer(), 'C');
        EXPECT_TRUE(d.fdsClosed());
    }
    {
        // The display connection cut: still an answer, not the end of the program.
        LiveDialog d(dpy_);
        ASSERT_NE(d.window(), 0u);
        XKillClient(dpy_, d.window());
        XFlush(dpy_);
        EXPECT_EQ(d.answer(), 'C');
        EXPECT_TRUE(d.fdsClosed());
    }
}
