// The round's own key table: what the rules take presses from. Only the frames' input fills it
// (every frame of a round and of its pause applies the one FrameInput it reads), so the table
// is the same whatever the input's source.
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"

struct RoundKeys {
    // 1 from a Down until an Up, or until a rule takes the press; all 0 when a round starts.
    std::array<uint8_t, kMatchKeyCount> down{};

    // A frame's changes: Down sets a key, Up clears it, None leaves it.
    void apply(const FrameInput& input) {
        for (int key = 0; key < kMatchKeyCount; ++key) {
            const KeyChange change = input.change(key);
            if (change != KeyChange::None) down[key] = change == KeyChange::Down ? 1 : 0;
        }
    }
    // Takes a press: true (and the entry cleared) when the key was down.
    bool take(int key) {
        if (down[key] == 0) return false;
        down[key] = 0;
        return true;
    }
};
