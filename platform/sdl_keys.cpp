#include "platform/sdl_keys.h"

#include <array>
#include <cstdint>

#include "platform/keys.h"

namespace platform {

namespace {

using KeyTable = std::array<uint8_t, SDL_NUM_SCANCODES>;

// The one translation table: scancode -> virtual-key code, 0 for keys the game ignores.
constexpr KeyTable makeKeyTable() {
    KeyTable table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = uint8_t(key::LetterA + i);
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_1 + i - 1] = uint8_t(key::digit(i));
    table[SDL_SCANCODE_0] = key::Digit0;
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_KP_1 + i - 1] = uint8_t(key::numpad(i));
    table[SDL_SCANCODE_KP_0] = key::Numpad0;
    table[SDL_SCANCODE_RETURN] = key::Enter;
    table[SDL_SCANCODE_KP_ENTER] = key::Enter;
    table[SDL_SCANCODE_ESCAPE] = key::Esc;
    table[SDL_SCANCODE_LCTRL] = key::Ctrl;
    table[SDL_SCANCODE_RCTRL] = key::Ctrl;
    table[SDL_SCANCODE_PAUSE] = key::Pause;
    table[SDL_SCANCODE_PAGEUP] = key::PageUp;
    table[SDL_SCANCODE_PAGEDOWN] = key::PageDown;
    table[SDL_SCANCODE_LEFT] = key::Left;
    table[SDL_SCANCODE_UP] = key::Up;
    table[SDL_SCANCODE_RIGHT] = key::Right;
    table[SDL_SCANCODE_DOWN] = key::Down;
    table[SDL_SCANCODE_SPACE] = key::Space;
    return table;
}

constexpr KeyTable kKeyTable = makeKeyTable();

}  // namespace

int virtualKeyFor(int sdlScancode, int sdlKeycode) {
    if (sdlScancode > SDL_SCANCODE_UNKNOWN && sdlScancode < SDL_NUM_SCANCODES) {
        return kKeyTable[sdlScancode];
    }
    // A key without a known place: go by the letter or digit it types.
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return key::LetterA + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return key::Digit0 + (sdlKeycode - SDLK_0);
    return 0;
}

bool isWindowToggle(const SDL_Keysym& key) {
    const bool enter = key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
    return key.scancode == SDL_SCANCODE_F11 || (enter && (key.mod & KMOD_ALT) != 0);
}

}  // namespace platform
