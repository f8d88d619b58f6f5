// Start-up of SDL and the window, each run in a child process of its own so
// that exits and fresh windows don't disturb the other tests.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <SDL/SDL.h>
#include <SDL/SDL_opengl.h>
#include <sys/stat.h>
#include <unistd.h>

// Xlib names a type Window, as the tests here are named.
#define Window XlibWindow
#include <X11/Xlib.h>
#undef Window

#include "gfx/window.h"
#include "pictures.h"

namespace {

// Runs in the child: diagnostics go to stderr, where the death test looks.
void startIn(const std::string& dir, const char* videoDriver, bool fullscreen = false) {
    if (chdir(dir.c_str()) != 0) std::exit(3);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (videoDriver) setenv("SDL_VIDEODRIVER", videoDriver, 1);
    std::fflush(stdout);
    dup2(2, 1);
    initWindow("Mijotine - Issue 1 - In the kitchen with Stovecraft", 800, 600, fullscreen);
    SDL_Surface* screen = SDL_GetVideoSurface();
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    GLint framebuffer = -1;
    if (screen) glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
    std::fprintf(stderr, "window %dx%d gl=%d caption=%s/%s drawn into %s\n", screen ? screen->w : 0,
                 screen ? screen->h : 0, screen && (screen->flags & SDL_OPENGL) ? 1 : 0, title ? title : "",
                 icon ? icon : "", framebuffer == 0 ? "directly" : "through a framebuffer");
    std::exit(0);
}

class Window : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        dir_ = makeTempDir();
    }
    void TearDown() override { removeTree(dir_); }
    std::string dir_;
};

}  // namespace

TEST_F(Window, MissingIconPrintsOneLineAndTheWindowOpens) {
    EXPECT_EXIT(startIn(dir_, nullptr), testing::ExitedWithCode(0),
                "^  Failed to load icon\\.jpg\nwindow 800x600 gl=1 "
                "caption=Mijotine - Issue 1 - In the kitchen with Stovecraft/icon drawn into directly\n$");
}

TEST_F(Window, PresentIconPrintsNothing) {
    ASSERT_EQ(mkdir((dir_ + "/data").c_str(), 0755), 0);
    writePng(dir_ + "/data/icon.jpg", 32, 32, kPngRgba, std::vector<uint8_t>(32 * 32 * 4, 128));
    EXPECT_EXIT(startIn(dir_, nullptr), testing::ExitedWithCode(0), "^window 800x600 gl=1 [^\n]*\n$");
}

TEST_F(Window, AShowInAWindowDrawsIntoItDirectlyUnlessTheUserAsksForScaling) {
    // Scaled, every frame would be drawn into SDL's own framebuffer and copied
    // to the window: a full-screen picture's cost per frame for nothing.
    EXPECT_EXIT(startIn(dir_, nullptr), testing::ExitedWithCode(0), "\nwindow 800x600 gl=1 [^\n]* directly\n$");
    EXPECT_EXIT(
        {
            setenv("SDL12COMPAT_OPENGL_SCALING", "1", 1);
            startIn(dir_, nullptr);
        },
        testing::ExitedWithCode(0), "\nwindow 800x600 gl=1 [^\n]* through a framebuffer\n$");
}

TEST_F(Window, FullScreenDrawsAtTheScreensOwnSizeUnlessTheUserAsksForScaling) {
    // No change of video mode and no stretched 800 x 600 picture: the window
    // is the desktop's size and the frames are drawn into it at that size.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const std::string size = std::to_string(DisplayWidth(display, DefaultScreen(display))) + "x" +
                             std::to_string(DisplayHeight(display, DefaultScreen(display)));
    XCloseDisplay(display);
    ASSERT_NE(size, "800x600") << "run under a screen of another size";
    EXPECT_EXIT(
        {
            // As a user starts it: the GL tests' window sets a switch of its own.
            unsetenv("SDL12COMPAT_OPENGL_SCALING");
            unsetenv("SDL12COMPAT_WINDOW_SCALING");
            startIn(dir_, nullptr, true);
        },
        testing::ExitedWithCode(0), "\nwindow " + size + " gl=1 [^\n]* directly\n$");
    // The library's own switch keeps the library's scaling of an 800 x 600 show.
    EXPECT_EXIT(
        {
            setenv("SDL12COMPAT_OPENGL_SCALING", "1", 1);
            startIn(dir_, nullptr, true);
        },
        testing::ExitedWithCode(0), "\nwindow 800x600 gl=1 [^\n]* through a framebuffer\n$");
}

TEST_F(Window, NoVideoModeEndsTheProgramWithItsLine) {
    // The dummy video driver has no OpenGL, so the mode can't be set.
    EXPECT_EXIT(startIn(dir_, "dummy"), testing::ExitedWithCode(1),
                "  Failed to load icon\\.jpg\nCouldn't set video mode: [^\n]*\n$");
}

TEST_F(Window, OversizedIconIsRefusedWithItsLineAndTheWindowOpens) {
    // Sent as it is, a picture this large overflows the X property and the
    // X server's error ends (or hangs) the program.
    ASSERT_EQ(mkdir((dir_ + "/data").c_str(), 0755), 0);
    writePng(dir_ + "/data/icon.jpg", 2048, 2048, kPngRgba, std::vector<uint8_t>(2048 * 2048 * 4, 128));
    EXPECT_EXIT(startIn(dir_, nullptr), testing::ExitedWithCode(0),
                "^  Failed to load icon\\.jpg\nwindow 800x600 gl=1 [^\n]*\n$");
    EXPECT_TRUE(iconFits(256, 256));
    EXPECT_FALSE(iconFits(257, 32));
    EXPECT_FALSE(iconFits(0, 0));
}

TEST_F(Window, WithoutADisplayTheProgramEndsAtOnceWithItsLine) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("SDL_VIDEODRIVER");
            startIn(dir_, nullptr);
        },
        testing::ExitedWithCode(1), "(^|\n)Couldn't find a display: [^\n]*xvfb-run[^\n]*\n$");
    // Asked for by name, the same drivers are the user's choice.
    EXPECT_TRUE(videoDriverShowsNothing("offscreen", nullptr));
    EXPECT_TRUE(videoDriverShowsNothing("dummy", ""));
    EXPECT_FALSE(videoDriverShowsNothing("offscreen", "offscreen"));
    EXPECT_FALSE(videoDriverShowsNothing("x11", nullptr));
}
