#include "platform/sdl_display_loss.h"

#include <X11/Xlib.h>

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

}  // namespace

void whenDisplayLost(std::function<void()> lost) {
    onLoss() = std::move(lost);
    XSetIOErrorHandler(displayLost);
}

}  // namespace platform
