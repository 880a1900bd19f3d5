// The one key table: SDL keys as the key codes the game reads.
#include "platform/sdl_keys.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/keys.h"

TEST(SdlKeys, TranslateByPlaceToWindowsVirtualKeyCodes) {
    struct Case {
        int scancode;
        int keycode;  // what the key types on the current layout
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, key::letter('A')}, {SDL_SCANCODE_Z, SDLK_z, key::letter('Z')},
        {SDL_SCANCODE_0, SDLK_0, key::digit(0)}, {SDL_SCANCODE_9, SDLK_9, key::digit(9)},
        {SDL_SCANCODE_Q, SDLK_a, key::letter('Q')},  // by place: Q on a US keyboard is Q everywhere
        {SDL_SCANCODE_KP_0, SDLK_KP_0, key::numpad(0)},
        {SDL_SCANCODE_KP_3, SDLK_PAGEDOWN, key::numpad(3)},
        {SDL_SCANCODE_KP_9, SDLK_PAGEUP, key::numpad(9)},  // whatever Num Lock makes them type
        {SDL_SCANCODE_RETURN, SDLK_RETURN, key::Enter},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, key::Enter},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, key::Esc}, {SDL_SCANCODE_RCTRL, SDLK_RCTRL, key::Ctrl},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, key::Ctrl}, {SDL_SCANCODE_PAUSE, SDLK_PAUSE, key::Pause},
        {SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, key::PageUp},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, key::PageDown},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, key::Left}, {SDL_SCANCODE_DOWN, SDLK_DOWN, key::Down},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, key::Space}, {SDL_SCANCODE_RALT, SDLK_MODE, key::Alt},
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, key::RightShift},
        {SDL_SCANCODE_F12, SDLK_F12, key::functionKey(12)},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, key::NumpadPeriod},
        // Punctuation by place too: the key right of L is ';' on a US keyboard, whatever it types.
        {SDL_SCANCODE_SEMICOLON, SDLK_m, key::Semicolon},
        {SDL_SCANCODE_NONUSHASH, SDLK_HASH, key::Backslash},
        // The desktop's keys and a key a US keyboard lacks are not the game's.
        {SDL_SCANCODE_LGUI, SDLK_LGUI, 0}, {SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, 0},
        {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, 0}, {-1, 0, 0}, {SDL_NUM_SCANCODES, 0, 0},
        // A key without a known place goes by the letter or digit it types.
        {SDL_SCANCODE_UNKNOWN, SDLK_q, key::letter('Q')},
        {SDL_SCANCODE_UNKNOWN, SDLK_7, key::digit(7)},
        {SDL_SCANCODE_UNKNOWN, SDLK_F1, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(platform::virtualKeyFor(c.scancode, c.keycode), c.expected)
            << "scancode " << c.scancode << ", keycode " << c.keycode;
    }
}

// Every key the game can be given has a name (so the key screen can show it and the keys file
// can hold it), and every named key but F11 (the window's, taken before the game sees it)
// comes from some key.
TEST(SdlKeys, EveryTranslatedKeyHasANameAndEveryNameAKey) {
    std::set<int> reached;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const int code = platform::virtualKeyFor(scancode, 0);
        if (code == 0) continue;
        EXPECT_NE(key::nameOf(code), nullptr) << "scancode " << scancode;
        reached.insert(code);
    }
    for (const key::KeyName& entry : key::kKeyNames) {
        if (entry.code == key::functionKey(11)) continue;
        EXPECT_TRUE(reached.count(entry.code)) << entry.name;
    }
}
