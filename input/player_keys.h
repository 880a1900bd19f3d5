// The four player slots' keys: the usual ones, the rules every choice of keys keeps, and how
// the score table names them.
#pragma once

#include <array>
#include <cstddef>

#include "input/frame_input.h"
#include "platform/keys.h"

inline constexpr int kSlots = 4;

// The three keys of one slot, as key codes; at() takes them by SlotKey, the order in which
// they are named, chosen and written.
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
    int& at(int which) {
        return which == SlotKeyTurnLeft ? turnLeftKey
               : which == SlotKeyItem   ? itemKey
                                        : turnRightKey;
    }
    bool operator==(const PlayerKeys&) const = default;
};

// Every slot's keys, 1P..4P: what the people at this machine press (Devices::playerKeys).
using PlayerKeyTable = std::array<PlayerKeys, kSlots>;

// The usual keys: Q A Z for 1P, B N M for 2P, the Left, Down and Right arrows for 3P, numeric
// keypad 3, 6 and 9 for 4P.
inline constexpr PlayerKeyTable kUsualPlayerKeys = {{
    {key::letter('Q'), key::letter('A'), key::letter('Z')},
    {key::letter('B'), key::letter('N'), key::letter('M')},
    {key::Left, key::Down, key::Right},
    {key::numpad(3), key::numpad(6), key::numpad(9)},
}};

inline constexpr int kNoSlot = -1;

// The slot whose keys hold `code`, kNoSlot for none.
int slotOfKey(const PlayerKeyTable& keys, int code);

// Whether a player may have the key: it has a name and the game does not keep it.
bool isPlayerKey(int code);

// Whether the table can be played: every key is a player's key and no two are the same.
bool keysPlayable(const PlayerKeyTable& keys);

// The KEY column of the score table and the lobby for one slot: the three labels in a row
// ("QAZ"; '"', '#' and '$' stand for the Left, Down and Right arrows) when each is one
// character, else with a blank between them ("SPC K. F1"). At most kKeyColumnMax characters.
inline constexpr int kKeyColumnMax = 3 * key::kLongestLabel + 2;
void formatKeyColumn(const PlayerKeys& keys, char* text, std::size_t size);

// The KEY column's heading, and the column's width for the slots listed (bit 1 << slot):
// their longest key text, at least the heading's.
inline constexpr const char* kKeyHeading = "KEY";
int keyColumnWidth(const PlayerKeyTable& keys, unsigned listedSlots);

// The key code (platform/keys.h) of a MatchKey when the players' keys are `keys`: a slot's
// three keys, then Esc, Page Up, Page Down and Enter.
int matchKeyCode(const PlayerKeyTable& keys, int matchKey);
