// The one key table: SDL keys as the key codes the game reads.
#include "platform/sdl_keys.h"

#include <gtest/gtest.h>

#include "platform/keys.h"

TEST(SdlKeys, TranslateByPlaceToWindowsVirtualKeyCodes) {
    struct Case {
        int scancode;
        int keycode;  // what the key types on the current layout
        int expected;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, key::letter('A')},
        {SDL_SCANCODE_Z, SDLK_z, key::letter('Z')},
        {SDL_SCANCODE_0, SDLK_0, key::digit(0)},
        {SDL_SCANCODE_9, SDLK_9, key::digit(9)},
        {SDL_SCANCODE_Q, SDLK_a, key::letter('Q')},  // by place: Q on a US keyboard is Q everywhere
        {SDL_SCANCODE_KP_0, SDLK_KP_0, key::numpad(0)},
        {SDL_SCANCODE_KP_3, SDLK_PAGEDOWN, key::numpad(3)},
        {SDL_SCANCODE_KP_9, SDLK_PAGEUP, key::numpad(9)},  // whatever Num Lock makes them type
        {SDL_SCANCODE_RETURN, SDLK_RETURN, key::Enter},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, key::Enter},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, key::Esc},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, key::Ctrl},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, key::Ctrl},
        {SDL_SCANCODE_PAUSE, SDLK_PAUSE, key::Pause},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, key::PageUp},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, key::PageDown},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, key::Left},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, key::Down},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, key::Space},
        {SDL_SCANCODE_F11, SDLK_F11, 0},
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, 0},
        {-1, 0, 0},
        {SDL_NUM_SCANCODES, 0, 0},
        // A key without a known place goes by the letter or digit it types.
        {SDL_SCANCODE_UNKNOWN, SDLK_q, key::letter('Q')},
        {SDL_SCANCODE_UNKNOWN, SDLK_7, key::digit(7)},
        {SDL_SCANCODE_UNKNOWN, SDLK_F1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::virtualKeyFor(c.scancode, c.keycode), c.expected)
            << "scancode " << c.scancode << ", keycode " << c.keycode;
    }
}
