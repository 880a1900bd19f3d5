#include "platform/sdl_keys.h"

#include <array>
#include <cstdint>
#include <utility>

#include "platform/keys.h"

namespace platform {

namespace {

using KeyTable = std::array<uint8_t, SDL_NUM_SCANCODES>;

// The one translation table: scancode -> virtual-key code, 0 for keys the game ignores (the
// Windows and Print Screen keys, which belong to the desktop, and keys a US keyboard lacks).
constexpr KeyTable makeKeyTable() {
    KeyTable table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = uint8_t(key::LetterA + i);
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_1 + i - 1] = uint8_t(key::digit(i));
    table[SDL_SCANCODE_0] = key::Digit0;
    for (int i = 1; i <= 9; ++i) table[SDL_SCANCODE_KP_1 + i - 1] = uint8_t(key::numpad(i));
    table[SDL_SCANCODE_KP_0] = key::Numpad0;
    for (int i = 1; i <= 12; ++i) table[SDL_SCANCODE_F1 + i - 1] = uint8_t(key::functionKey(i));
    const std::pair<SDL_Scancode, int> others[] = {
        {SDL_SCANCODE_RETURN, key::Enter},
        {SDL_SCANCODE_KP_ENTER, key::Enter},
        {SDL_SCANCODE_ESCAPE, key::Esc},
        {SDL_SCANCODE_LCTRL, key::Ctrl},
        {SDL_SCANCODE_RCTRL, key::Ctrl},
        {SDL_SCANCODE_LALT, key::Alt},
        {SDL_SCANCODE_RALT, key::Alt},
        {SDL_SCANCODE_PAUSE, key::Pause},
        {SDL_SCANCODE_PAGEUP, key::PageUp},
        {SDL_SCANCODE_PAGEDOWN, key::PageDown},
        {SDL_SCANCODE_LEFT, key::Left},
        {SDL_SCANCODE_UP, key::Up},
        {SDL_SCANCODE_RIGHT, key::Right},
        {SDL_SCANCODE_DOWN, key::Down},
        {SDL_SCANCODE_SPACE, key::Space},
        {SDL_SCANCODE_BACKSPACE, key::Backspace},
        {SDL_SCANCODE_TAB, key::Tab},
        {SDL_SCANCODE_CAPSLOCK, key::CapsLock},
        {SDL_SCANCODE_LSHIFT, key::LeftShift},
        {SDL_SCANCODE_RSHIFT, key::RightShift},
        {SDL_SCANCODE_INSERT, key::Insert},
        {SDL_SCANCODE_DELETE, key::Delete},
        {SDL_SCANCODE_HOME, key::Home},
        {SDL_SCANCODE_END, key::End},
        {SDL_SCANCODE_APPLICATION, key::Menu},
        {SDL_SCANCODE_NUMLOCKCLEAR, key::NumLock},
        {SDL_SCANCODE_SCROLLLOCK, key::ScrollLock},
        {SDL_SCANCODE_KP_MULTIPLY, key::NumpadMultiply},
        {SDL_SCANCODE_KP_PLUS, key::NumpadPlus},
        {SDL_SCANCODE_KP_MINUS, key::NumpadMinus},
        {SDL_SCANCODE_KP_PERIOD, key::NumpadPeriod},
        {SDL_SCANCODE_KP_DIVIDE, key::NumpadDivide},
        {SDL_SCANCODE_SEMICOLON, key::Semicolon},
        {SDL_SCANCODE_EQUALS, key::Equals},
        {SDL_SCANCODE_COMMA, key::Comma},
        {SDL_SCANCODE_MINUS, key::Minus},
        {SDL_SCANCODE_PERIOD, key::Period},
        {SDL_SCANCODE_SLASH, key::Slash},
        {SDL_SCANCODE_GRAVE, key::Grave},
        {SDL_SCANCODE_LEFTBRACKET, key::LeftBracket},
        {SDL_SCANCODE_BACKSLASH, key::Backslash},
        {SDL_SCANCODE_NONUSHASH, key::Backslash},  // the same key, as some keyboards report it
        {SDL_SCANCODE_RIGHTBRACKET, key::RightBracket},
        {SDL_SCANCODE_APOSTROPHE, key::Apostrophe},
    };
    for (const auto& [scancode, code] : others) table[scancode] = uint8_t(code);
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
