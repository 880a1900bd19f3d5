// The key table that every screen reads, indexed by the key codes of platform/keys.h.
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"
#include "platform/keys.h"

inline constexpr int kKeyTableSize = 200;

struct Keyboard {
    // 1 from a key-down (auto-repeat included) until its key-up or until a consumer takes
    // the press by writing 0. Codes of 200 and above are not recorded.
    std::array<uint8_t, kKeyTableSize> keyDown{};
    // The last change each key went through since the live match input last read it: the
    // pump's presses and releases, never a consumer's take.
    std::array<KeyChange, kKeyTableSize> lastChange{};
    // True normally, false while Ctrl is held: then every wait ends at once.
    bool pacingOn = true;

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
