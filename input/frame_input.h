// What one frame of a match reads from its source of input, in one form for every source: the
// keyboard and game controllers, a replay file, or the other machines of a network game. With
// the score table's decisions (Decision) it is the whole stream a match depends on besides its
// start: the game is a deterministic function of its seed, its settings and this stream.
#pragma once

#include <cstdint>

// The keys a match reads, numbered once for the round, replays and the network. Slot s
// (0..3) owns keys 3s (turn left), 3s + 1 (item) and 3s + 2 (turn right); the last four are
// the match's own keys.
enum MatchKey : uint8_t {
    MatchKeyEsc = 12,       // abandons a round
    MatchKeyPageUp = 13,    // WAIT one lower (faster)
    MatchKeyPageDown = 14,  // WAIT one higher (slower)
    MatchKeyEnter = 15,     // ends the pause on "PUSH ENTER KEY TO NEXT ROUND"
};
inline constexpr int kMatchKeyCount = 16;
inline constexpr int kKeysPerSlot = 3;

// Which of a slot's three keys.
enum SlotKey : uint8_t { SlotKeyTurnLeft = 0, SlotKeyItem = 1, SlotKeyTurnRight = 2 };

constexpr int slotKey(int slot, int which) { return kKeysPerSlot * slot + which; }

// What happened to one key since the previous frame read its input: nothing, or the last
// change it went through (Down includes a keyboard's auto-repeat, which presses again).
enum class KeyChange : uint8_t { None = 0, Down = 1, Up = 2 };

struct FrameInput {
    uint32_t changes = 0;  // the KeyChange of MatchKey k in bits 2k and 2k + 1
    // A second of the round has passed: the round's time counts one more in this frame. Only
    // the round's own frames count it; the pause on "PUSH ENTER KEY TO NEXT ROUND" does not.
    bool secondMark = false;
    // Bit s: slot s is handed to the computer from this frame on (its machine left a network
    // game). The match makes a present slot COM for the rest of the match; NON stays NON.
    uint8_t toComputer = 0;

    KeyChange change(int key) const { return static_cast<KeyChange>((changes >> (2 * key)) & 3u); }
    void setChange(int key, KeyChange change) {
        changes = (changes & ~(3u << (2 * key))) | (uint32_t(change) << (2 * key));
    }
    // Nothing changed, no mark, no hand-over: what most frames are.
    bool empty() const { return changes == 0 && !secondMark && toComputer == 0; }
    bool operator==(const FrameInput&) const = default;
};

// What the score table decided, as the match reads it from its source of input. Closed ends
// the input of a match that was closed before its end (a replay of it, a network game whose
// host left).
enum class Decision : uint8_t { Closed = 0, NextRound = 1, EndMatch = 2 };
