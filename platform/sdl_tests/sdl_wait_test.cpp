// The SDL backend's event wait against its own tick count, on SDL's dummy video driver: a
// wait that times out never ends before the tick count has gone up by the timeout (the
// waits of the game are counted in those ticks), and a key that arrives is returned at once
// rather than after the timeout.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sdl_platform.h"

using platform::Event;
using platform::EventKind;
using platform::SdlPlatform;

TEST(SdlPlatformWait, TimeoutsEndOnTheTickCountAndKeysEndThemAtOnce) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    const std::string driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != "dummy" && driver != "offscreen") GTEST_SKIP() << "needs a headless driver";
    SdlPlatform machine("wait test");
    std::string error;
    ASSERT_TRUE(machine.openDisplay(error)) << error;
    Event event;
    while (machine.pollEvent(event)) {
    }

    for (uint32_t timeout = 1; timeout <= 6; ++timeout) {
        for (int repeat = 0; repeat < 5; ++repeat) {
            const uint32_t before = machine.ticks();
            EXPECT_FALSE(machine.waitEvent(event, timeout));
            EXPECT_GE(machine.ticks() - before, timeout) << "timeout " << timeout;
        }
    }

    // A key already queued ends a long wait with that key.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.type = SDL_KEYDOWN;
    key.key.state = SDL_PRESSED;
    key.key.keysym.scancode = SDL_SCANCODE_Q;
    key.key.keysym.sym = SDLK_q;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    ASSERT_TRUE(machine.waitEvent(event, 60000));
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 'Q');
    machine.closeDisplay();
}
