// The one key table: SDL keys as the Windows virtual-key codes the game reads.
#include "platform/sdl_keys.h"

#include <gtest/gtest.h>

TEST(SdlKeys, TranslateByPlaceToWindowsVirtualKeyCodes) {
    struct Case {
        int scancode;
        int keycode;  // what the key types on the current layout
        int expected;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, 0x41},
        {SDL_SCANCODE_Z, SDLK_z, 0x5A},
        {SDL_SCANCODE_0, SDLK_0, 0x30},
        {SDL_SCANCODE_9, SDLK_9, 0x39},
        {SDL_SCANCODE_Q, SDLK_a, 0x51},  // by place: Q on a US keyboard is Q everywhere
        {SDL_SCANCODE_KP_0, SDLK_KP_0, 0x60},
        {SDL_SCANCODE_KP_3, SDLK_PAGEDOWN, 0x63},
        {SDL_SCANCODE_KP_9, SDLK_PAGEUP, 0x69},  // whatever Num Lock makes them type
        {SDL_SCANCODE_RETURN, SDLK_RETURN, 13},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, 13},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 27},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, 17},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, 17},
        {SDL_SCANCODE_PAUSE, SDLK_PAUSE, 19},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, 33},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, 34},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, 37},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, 40},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, 32},
        {SDL_SCANCODE_F11, SDLK_F11, 0},
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, 0},
        {-1, 0, 0},
        {SDL_NUM_SCANCODES, 0, 0},
        // A key without a known place goes by the letter or digit it types.
        {SDL_SCANCODE_UNKNOWN, SDLK_q, 0x51},
        {SDL_SCANCODE_UNKNOWN, SDLK_7, 0x37},
        {SDL_SCANCODE_UNKNOWN, SDLK_F1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::virtualKeyFor(c.scancode, c.keycode), c.expected)
            << "scancode " << c.scancode << ", keycode " << c.keycode;
    }
}
