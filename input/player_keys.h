// The four player slots' keys: what each slot's three keys are, and how the score table
// names them.
#pragma once

#include <array>

#include "input/frame_input.h"
#include "platform/keys.h"

inline constexpr int kSlots = 4;

// The three keys of each slot: Q A Z for 1P, B N M for 2P,
// the Left, Down and Right arrows for 3P, numeric keypad 3, 6 and 9 for 4P.
struct PlayerKeys {
    int turnLeftKey;
    int itemKey;
    int turnRightKey;

    // The key of one of the three, by SlotKey.
    int at(int which) const {
        return which == SlotKeyTurnLeft ? turnLeftKey
               : which == SlotKeyItem   ? itemKey
                                        : turnRightKey;
    }
};
inline constexpr std::array<PlayerKeys, kSlots> playerKeys = {{
    {key::letter('Q'), key::letter('A'), key::letter('Z')},
    {key::letter('B'), key::letter('N'), key::letter('M')},
    {key::Left, key::Down, key::Right},
    {key::numpad(3), key::numpad(6), key::numpad(9)},
}};

// The KEY column of the score table: turn-left, item and turn-right key of each slot. For
// 3P the characters '"', '#' and '$' stand for the Left, Down and Right arrow keys.
inline constexpr std::array<const char*, kSlots> keyLabels = {"QAZ", "BNM", "\"#$", "369"};

// The key code (platform/keys.h) of a MatchKey: a slot's keys as above, then Esc, Page Up,
// Page Down and Enter.
int matchKeyCode(int matchKey);
