// The key table that every screen reads, and the key codes the game uses (Windows
// virtual-key codes, as the platform delivers them).
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"

namespace key {
inline constexpr int Enter = 13;
inline constexpr int Ctrl = 17;
inline constexpr int Pause = 19;
inline constexpr int Esc = 27;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Numpad0 = 0x60;
constexpr int letter(char c) { return c; }  // 'A'..'Z' are their own codes
}  // namespace key

inline constexpr int kKeyTableSize = 200;

struct Keyboard {
    // 1 from a key-down (auto-repeat included) until its key-up or until a consumer takes
    // the press by writing 0. Codes of 200 and above are not recorded.
    std::array<uint8_t, kKeyTableSize> keyDown{};
    // The last change each key went through since the live match input last read it: the
    // pump's presses and releases, never a consumer's take.
    std::array<KeyChange, kKeyTableSize> lastChange{};
    // 1 normally, 0 while Ctrl is held: then every wait ends at once.
    int32_t pacingOn = 1;

    // The pump's key-down (auto-repeat included) and key-up.
    void press(int code) {
        keyDown[code] = 1;
        lastChange[code] = KeyChange::Down;
    }
    void release(int code) {
        keyDown[code] = 0;
        lastChange[code] = KeyChange::Up;
    }

    // Takes a press: true (and the entry cleared) when the key was down.
    bool take(int code) {
        if (keyDown[code] == 0) return false;
        keyDown[code] = 0;
        return true;
    }
};
