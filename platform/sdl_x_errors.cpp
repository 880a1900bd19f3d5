#include "platform/sdl_x_errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <utility>

namespace platform {
namespace {

std::function<void()>& onLoss() {
    static std::function<void()> lost;
    return lost;
}

// Xlib's I/O error handler: the connection to the server is broken for good. When this
// returns, Xlib ends the process (status 1).
int displayLost(Display*) {
    if (onLoss()) onLoss()();
    return 0;
}

using ErrorHandler = int (*)(Display*, XErrorEvent*);
ErrorHandler handlerBefore = nullptr;

int skipWakeUpToAClosedWindow(Display* display, XErrorEvent* error) {
    if (error->request_code == X_SendEvent && error->error_code == BadWindow) return 0;
    return handlerBefore ? handlerBefore(display, error) : 0;
}

}  // namespace

void whenDisplayLost(std::function<void()> lost) {
    onLoss() = std::move(lost);
    XSetIOErrorHandler(displayLost);
}

void ignoreWakeUpsToAClosedWindow() {
    static const bool installed = [] {
        handlerBefore = XSetErrorHandler(skipWakeUpToAClosedWindow);
        return true;
    }();
    (void)installed;
}

}  // namespace platform
