#include "platform/sdl_window.h"

#include "platform/platform.h"
#include "platform/sdl_icon.h"

namespace platform {

namespace {

constexpr int kWindowScale = 2;  // the window mode shows the page at 1280 x 960

}  // namespace

bool SdlWindow::open(const char* title, const DisplayTraits& traits) {
    windowManager_ = traits.windowManager;
    SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kPageWidth * kWindowScale,
                   kPageHeight * kWindowScale};
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (windowManager_) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else {
        flags |= SDL_WINDOW_BORDERLESS;
        SDL_GetDisplayBounds(0, &place);
    }
    if (traits.gpuDrawing) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        window_ =
            SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags | SDL_WINDOW_OPENGL);
    }
    if (!window_) window_ = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
    if (!window_) return false;
    SDL_SetWindowMinimumSize(window_, kPageWidth, kPageHeight);
    if (SDL_Surface* icon = makeWindowIcon()) {
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
    }
    fullScreen_ = true;
    return true;
}

void SdlWindow::close() {
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    fullScreen_ = false;
}

void SdlWindow::toggleFullScreen() {
    if (!window_) return;
    const bool full = !fullScreen_;
    if (windowManager_) {
        SDL_SetWindowFullscreen(window_, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    } else {
        SDL_SetWindowBordered(window_, full ? SDL_FALSE : SDL_TRUE);
        if (full) coverDisplay();
    }
    if (!full) setWindowedSize();
    fullScreen_ = full;
    // Some window managers (and none at all) leave the keyboard elsewhere after the change.
    SDL_RaiseWindow(window_);
}

int SdlWindow::refreshRate() const {
    SDL_DisplayMode mode;
    const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : -1;
    if (display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0) {
        return mode.refresh_rate;
    }
    return kUnknownRefreshRate;
}

// The window mode: the page at twice its size, or the largest whole multiple that fits.
void SdlWindow::setWindowedSize() {
    int scale = kWindowScale;
    SDL_Rect usable;
    const int display = SDL_GetWindowDisplayIndex(window_);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) == 0) {
        while (scale > 1 && (kPageWidth * scale > usable.w || kPageHeight * scale > usable.h)) {
            --scale;
        }
    }
    SDL_SetWindowSize(window_, kPageWidth * scale, kPageHeight * scale);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// Full screen by hand, for want of a window manager: the window over the whole display.
void SdlWindow::coverDisplay() {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &bounds) != 0) return;
    SDL_SetWindowPosition(window_, bounds.x, bounds.y);
    SDL_SetWindowSize(window_, bounds.w, bounds.h);
}

}  // namespace platform
