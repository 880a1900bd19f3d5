// The program's platform: an SDL2 window, full-screen on the desktop's own resolution,
// showing the 640 x 480 page scaled up with crisp square pixels. This header shows no SDL
// type, so the program's entry point can include it without seeing SDL.
//
// Two threads share the work. The thread that calls run() (the program's main thread, as
// SDL wants) owns SDL: the window, the system's events and showing the pictures. The game
// runs on a thread of its own and reaches the display only through the Platform calls:
// present() hands over a copy of the page and returns at once, events arrive through a
// queue, and opening and closing the display are carried out by the main thread while the
// game waits. So showing a picture, however slow the display, never delays a game frame.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace platform {

struct Picture;

class SdlPlatform : public Platform {
public:
    explicit SdlPlatform(std::string title);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    // Runs `game` on its own thread and serves it from the calling thread until it returns;
    // the display is closed by then. Returns what `game` returns, or throws what it throws.
    // Every Platform call below is made by `game`, on its thread.
    int run(const std::function<int()>& game);

    bool openDisplay(std::string& error) override;
    void closeDisplay() override;
    bool pollEvent(Event& event) override;
    bool waitEvent(Event& event, uint32_t timeoutMs) override;
    uint32_t ticks() override;
    int64_t calendarTime() override;
    uint32_t refreshIntervalMs() override;
    void present(const uint8_t* pixels, int pitch, const PaletteEntry* palette) override;

    // Full screen (true) or a window; Alt+Enter and F11 switch between them.
    bool fullScreen() const;

    // Called on the main thread after every picture shown, with the time showing it took
    // (measurements and tests watch the display with it). Set it before run().
    using ShowWatcher = std::function<void(const Picture&, std::chrono::steady_clock::duration)>;
    void watchShows(ShowWatcher watcher);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
