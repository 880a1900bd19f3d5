// The program's platform: an SDL2 window, full-screen on the desktop's own resolution,
// showing the 640 x 480 page scaled up with crisp square pixels. This header shows no SDL
// type, so the program's entry point can include it without seeing SDL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

// The Windows virtual-key code the game reads for an SDL key (SDL_Scancode and SDL_Keycode
// as plain ints), or 0 for a key the game does not use. Keys are taken by their place on
// the keyboard, so the players' key groups keep their shape on every layout, and the keypad
// digits are digits whatever the Num Lock state.
int virtualKeyFor(int sdlScancode, int sdlKeycode);

class SdlPlatform : public Platform {
public:
    explicit SdlPlatform(std::string title);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool openDisplay(std::string& error) override;
    void closeDisplay() override;
    bool pollEvent(Event& event) override;
    bool waitEvent(Event& event, uint32_t timeoutMs) override;
    uint32_t ticks() override;
    int64_t calendarTime() override;
    uint32_t refreshIntervalMs() override;
    void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;

    // Alt+Enter and F11 do this: full screen on the desktop <-> a resizable window.
    void toggleFullScreen();
    bool fullScreen() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
