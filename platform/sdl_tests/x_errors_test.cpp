// The X server's complaints as the game handles them, on a real X server: the ctest entry
// runs these under xvfb-run; without a display they are skipped. Each case runs in a child
// process, since Xlib's usual answer to an error is to end the program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sdl_x_errors.h"

// Xlib's macros (None, Bool, Status...) would clash with GoogleTest's names: included last.
#include <X11/Xlib.h>

namespace {

bool haveDisplay() {
    const char* name = std::getenv("DISPLAY");
    return name && *name;
}

// What SDL's wake-up does when the main thread has just closed the window: a window made and
// destroyed on one connection, then sent an event over another. Ends the child with status 0
// if the program lives through it.
[[noreturn]] void sendToAClosedWindow() {
    platform::ignoreWakeUpsToAClosedWindow();
    Display* main = XOpenDisplay(nullptr);
    Display* waker = XOpenDisplay(nullptr);
    if (!main || !waker) std::exit(3);
    const Window window =
        XCreateSimpleWindow(main, DefaultRootWindow(main), 0, 0, 8, 8, 0, 0, 0);
    XDestroyWindow(main, window);
    XSync(main, False);
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = window;
    wake.xclient.format = 32;
    XSendEvent(waker, window, False, NoEventMask, &wake);
    XSync(waker, False);
    std::exit(0);
}

[[noreturn]] void mapAWindowThatIsNot() {
    platform::ignoreWakeUpsToAClosedWindow();
    Display* display = XOpenDisplay(nullptr);
    if (!display) std::exit(3);
    XMapWindow(display, Window(0x7fffffe));
    XSync(display, False);
    std::exit(0);
}

TEST(XErrors, AWakeUpSentToTheClosedWindowDoesNotEndTheProgram) {
    if (!haveDisplay()) GTEST_SKIP() << "no X display";
    EXPECT_EXIT(sendToAClosedWindow(), testing::ExitedWithCode(0), "");
}

TEST(XErrors, AnyOtherErrorStillEndsTheProgramAsXlibDoes) {
    if (!haveDisplay()) GTEST_SKIP() << "no X display";
    EXPECT_EXIT(mapAWindowThatIsNot(), testing::ExitedWithCode(1), "BadWindow");
}

}  // namespace
