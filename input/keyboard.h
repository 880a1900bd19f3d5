// The key table that every screen reads, indexed by the key codes of platform/keys.h.
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"
#include "platform/keys.h"

inline constexpr int kKeyTableSize = key::kCodeCount;

struct Keyboard {
    // 1 from a key-down (auto-repeat included) until its key-up or until a consumer takes
    // the press by writing 0.
    std::array<uint8_t, kKeyTableSize> keyDown{};
    // 1 while the keyboard holds the key: from its key-down to its key-up, whatever takes the
    // press (a game controller's press never shows here).
    std::array<uint8_t, kKeyTableSize> held{};
    // The last change each key went through since the live match input last read it: the
    // pump's presses and releases, never a consumer's take.
    std::array<KeyChange, kKeyTableSize> lastChange{};
    // True normally, false while Ctrl is held: then every wait ends at once.
    bool pacingOn = true;

    // The keyboard's key-down (auto-repeat included) and key-up.
    void keyboardDown(int code) {
        held[code] = 1;
        press(code);
    }
    void keyboardUp(int code) {
        held[code] = 0;
        release(code);
    }

    // A key-down and key-up from the keyboard or a game controller.
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
