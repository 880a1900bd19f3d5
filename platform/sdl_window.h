// The game's window: full screen on the desktop's own resolution (the display mode is never
// changed), or a window showing the page at twice its size; Alt+Enter and F11 switch. A
// window manager makes the window full-screen; without one the window covers the display by
// itself, without a border.
#pragma once

#include <SDL.h>

#include "platform/sdl_display_probe.h"

namespace platform {

inline constexpr int kUnknownRefreshRate = 60;  // Hz

class SdlWindow {
public:
    // Makes the window, full-screen and with the game's icon; made for OpenGL ES 2 where the
    // GPU may draw. False when SDL cannot make one (SDL_GetError says why).
    bool open(const char* title, const DisplayTraits& traits);
    void close();
    SDL_Window* handle() const { return window_; }

    void toggleFullScreen();
    bool fullScreen() const { return fullScreen_; }
    // The refresh rate of the display the window is on, in Hz.
    int refreshRate() const;

private:
    void setWindowedSize();
    void coverDisplay();

    SDL_Window* window_ = nullptr;
    bool windowManager_ = true;
    bool fullScreen_ = false;
};

}  // namespace platform
