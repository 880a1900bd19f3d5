// The SDL backend on SDL's dummy (or offscreen) video driver: no window appears. Under any
// other driver the display tests are skipped, so they never open a real window.
#include "platform/sdl_platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using platform::Event;
using platform::EventKind;
using platform::PaletteEntry;
using platform::SdlPlatform;
using platform::virtualKeyFor;

namespace {

bool headlessDriver() {
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);  // dummy unless the caller chose a driver
    const std::string driver = std::getenv("SDL_VIDEODRIVER");
    return driver == "dummy" || driver == "offscreen";
}

void pushKey(Uint32 type, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    event.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushMouseButton(Uint8 button) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushWindowEvent(Uint8 windowEvent) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.type = SDL_WINDOWEVENT;
    event.window.event = windowEvent;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

}  // namespace

TEST(SdlKeys, TranslateToWindowsVirtualKeyCodes) {
    // Letters and digits of the main block.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_A, SDLK_a), 0x41);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_Q, SDLK_q), 0x51);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_Z, SDLK_z), 0x5A);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_M, SDLK_m), 0x4D);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_0, SDLK_0), 0x30);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_1, SDLK_1), 0x31);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_9, SDLK_9), 0x39);
    // Keys go by their place: the key where Q is on a US keyboard is Q on every layout.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_Q, SDLK_a), 0x51);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_1, SDLK_AMPERSAND), 0x31);

    // Keypad digits, whatever Num Lock makes them type.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_0, SDLK_KP_0), 0x60);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_3, SDLK_KP_3), 0x63);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_3, SDLK_PAGEDOWN), 0x63);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_6, SDLK_RIGHT), 0x66);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_9, SDLK_PAGEUP), 0x69);

    // The named keys.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_LCTRL, SDLK_LCTRL), 17);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 17);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_PAUSE, SDLK_PAUSE), 19);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), 33);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), 34);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_UP, SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);

    // Keys the game does not use.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_F11, SDLK_F11), 0);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_LALT, SDLK_LALT), 0);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), 0);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_TAB, SDLK_TAB), 0);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS), 0);
    EXPECT_EQ(virtualKeyFor(-1, 0), 0);
    EXPECT_EQ(virtualKeyFor(SDL_NUM_SCANCODES, 0), 0);
    // A key without a known place goes by the letter or digit it types.
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_UNKNOWN, SDLK_q), 0x51);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_UNKNOWN, SDLK_7), 0x37);
    EXPECT_EQ(virtualKeyFor(SDL_SCANCODE_UNKNOWN, SDLK_F1), 0);
}

TEST(SdlPlatform, OpensPresentsTranslatesEventsAndCloses) {
    if (!headlessDriver()) GTEST_SKIP() << "runs only on the dummy or offscreen video driver";
    SdlPlatform machine("DIRAVIRU");
    std::string error;
    ASSERT_TRUE(machine.openDisplay(error)) << error;
    EXPECT_TRUE(machine.fullScreen());
    EXPECT_GE(machine.refreshIntervalMs(), 1u);
    EXPECT_LE(machine.refreshIntervalMs(), 100u);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    std::vector<uint8_t> page(640 * 480);
    for (size_t i = 0; i < page.size(); ++i) page[i] = uint8_t(i % 7);
    std::vector<PaletteEntry> palette(256, PaletteEntry{10, 20, 30, 0});
    machine.present(page.data(), 640, palette.data());
    palette[3] = PaletteEntry{255, 0, 0, 0};
    machine.present(page.data(), 640, palette.data());

    Event event;
    while (machine.pollEvent(event)) {
    }  // whatever opening the window queued

    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_3, KMOD_NONE, true);
    pushKey(SDL_KEYUP, SDL_SCANCODE_KP_3);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_F1);  // not the game's: skipped
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT);  // toggles the window mode
    pushKey(SDL_KEYUP, SDL_SCANCODE_RETURN, KMOD_LALT);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    pushMouseButton(SDL_BUTTON_LEFT);
    pushWindowEvent(SDL_WINDOWEVENT_EXPOSED);  // shows the last page again
    pushMouseButton(SDL_BUTTON_RIGHT);
    pushWindowEvent(SDL_WINDOWEVENT_CLOSE);

    ASSERT_TRUE(machine.pollEvent(event));
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 0x63);
    EXPECT_TRUE(event.repeat);
    ASSERT_TRUE(machine.pollEvent(event));
    EXPECT_EQ(event.kind, EventKind::KeyUp);
    EXPECT_EQ(event.key, 0x63);
    EXPECT_FALSE(event.repeat);
    // Alt+Enter went to the window, press and release; plain Enter is the game's.
    ASSERT_TRUE(machine.pollEvent(event));
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 13);
    EXPECT_FALSE(event.repeat);
    EXPECT_FALSE(machine.fullScreen());
    ASSERT_TRUE(machine.pollEvent(event));
    EXPECT_EQ(event.kind, EventKind::RightButton);
    ASSERT_TRUE(machine.pollEvent(event));
    EXPECT_EQ(event.kind, EventKind::Close);
    EXPECT_FALSE(machine.pollEvent(event));

    // F11 toggles back and is not the game's either: a wait skips it, press and release,
    // and returns the next key of the game's.
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_F11);
    pushKey(SDL_KEYUP, SDL_SCANCODE_F11);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_PAUSE);
    ASSERT_TRUE(machine.waitEvent(event, 2000));
    EXPECT_EQ(event.kind, EventKind::KeyDown);
    EXPECT_EQ(event.key, 19);
    EXPECT_TRUE(machine.fullScreen());

    // Events the game does not see make a wait time out, not return.
    pushMouseButton(SDL_BUTTON_MIDDLE);
    EXPECT_FALSE(machine.waitEvent(event, 20));

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    ASSERT_TRUE(machine.waitEvent(event, 2000));
    EXPECT_EQ(event.kind, EventKind::Quit);

    const uint32_t before = machine.ticks();
    SDL_Delay(3);
    EXPECT_GE(machine.ticks() - before, 3u);

    machine.closeDisplay();
    EXPECT_FALSE(machine.pollEvent(event));
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    // It opens again after closing.
    ASSERT_TRUE(machine.openDisplay(error)) << error;
    machine.closeDisplay();
}

TEST(SdlPlatform, FailsToOpenWithAReason) {
    if (!headlessDriver()) GTEST_SKIP() << "runs only on the dummy or offscreen video driver";
    const std::string chosen = std::getenv("SDL_VIDEODRIVER");
    ::setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    SdlPlatform machine("DIRAVIRU");
    std::string error;
    EXPECT_FALSE(machine.openDisplay(error));
    ::setenv("SDL_VIDEODRIVER", chosen.c_str(), 1);
    EXPECT_EQ(error.rfind("cannot open the display: ", 0), 0u) << error;
    EXPECT_GT(error.size(), std::string("cannot open the display: ").size());
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}
