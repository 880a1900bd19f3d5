#include "platform/sdl_keys.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {

// Windows virtual-key codes of the keys the game reads.
enum VirtualKey : int {
    VkEnter = 13,
    VkCtrl = 17,
    VkPause = 19,
    VkEsc = 27,
    VkSpace = 32,
    VkPageUp = 33,
    VkPageDown = 34,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkDigit0 = 0x30,
    VkLetterA = 0x41,
    VkNumpad0 = 0x60,
};

using KeyTable = std::array<uint8_t, SDL_NUM_SCANCODES>;

// The one translation table: scancode -> virtual-key code, 0 for keys the game ignores.
constexpr KeyTable makeKeyTable() {
    KeyTable table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = uint8_t(VkLetterA + i);
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_1 + i - 1] = uint8_t(VkDigit0 + i);
    table[SDL_SCANCODE_0] = VkDigit0;
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_KP_1 + i - 1] = uint8_t(VkNumpad0 + i);
    table[SDL_SCANCODE_KP_0] = VkNumpad0;
    table[SDL_SCANCODE_RETURN] = VkEnter;
    table[SDL_SCANCODE_KP_ENTER] = VkEnter;
    table[SDL_SCANCODE_ESCAPE] = VkEsc;
    table[SDL_SCANCODE_LCTRL] = VkCtrl;
    table[SDL_SCANCODE_RCTRL] = VkCtrl;
    table[SDL_SCANCODE_PAUSE] = VkPause;
    table[SDL_SCANCODE_PAGEUP] = VkPageUp;
    table[SDL_SCANCODE_PAGEDOWN] = VkPageDown;
    table[SDL_SCANCODE_LEFT] = VkLeft;
    table[SDL_SCANCODE_UP] = VkUp;
    table[SDL_SCANCODE_RIGHT] = VkRight;
    table[SDL_SCANCODE_DOWN] = VkDown;
    table[SDL_SCANCODE_SPACE] = VkSpace;
    return table;
}

constexpr KeyTable kKeyTable = makeKeyTable();

}  // namespace

int virtualKeyFor(int sdlScancode, int sdlKeycode) {
    if (sdlScancode > SDL_SCANCODE_UNKNOWN && sdlScancode < SDL_NUM_SCANCODES) {
        return kKeyTable[sdlScancode];
    }
    // A key without a known place: go by the letter or digit it types.
    if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return VkLetterA + (sdlKeycode - SDLK_a);
    if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return VkDigit0 + (sdlKeycode - SDLK_0);
    return 0;
}

bool isWindowToggle(const SDL_Keysym& key) {
    const bool enter = key.scancode == SDL_SCANCODE_RETURN || key.scancode == SDL_SCANCODE_KP_ENTER;
    return key.scancode == SDL_SCANCODE_F11 || (enter && (key.mod & KMOD_ALT) != 0);
}

}  // namespace platform
