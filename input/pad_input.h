// Game controllers as keys. The platform reports a pad's own buttons; this is the one place
// that decides which key of the key table a button presses, and it decides by whether a
// round is running: in a round a pad presses the three keys of its own player slot (and
// never another slot's), on every menu and on the score table it presses the menu keys.
// A press sets keyDown of that key and a release clears it, exactly like the keyboard, so
// every reader of keyDown works for pads unchanged. Held buttons repeat like held keys.
#pragma once

#include <array>
#include <cstdint>

#include "input/player_keys.h"
#include "platform/platform.h"

struct Devices;

// A held pad button presses its key again after this delay, then at this rate (about the
// rate of a keyboard's auto-repeat).
inline constexpr uint32_t kPadRepeatDelayMs = 400;
inline constexpr uint32_t kPadRepeatIntervalMs = 33;

// The key a button of pad slot `pad` presses when the players' keys are `keys`, 0 for none
// (or for a pad or button out of range). In a round: Left and the left shoulder are the slot's
// turn-left key, Right and the right shoulder its turn-right key, Fire its item key, Start is Enter
// (so that pads alone can go on from "PUSH ENTER KEY TO NEXT ROUND") and Back is Esc (it abandons
// the round, as the keyboard's Esc does). Elsewhere: the directions are the arrow keys, Fire and
// Start are Enter, Back is Esc.
int padKeyFor(const PlayerKeyTable& keys, int pad, platform::PadButton button, bool inRound);

// The pads' part of the Devices.
struct PadInput {
    // The key each held button pressed; 0 when the button is up, or when it let go of its
    // key because a round started or ended while it was held.
    std::array<std::array<int16_t, platform::kPadButtonCount>, platform::kMaxPads> heldKey{};
    // When each held button presses its key again (a tick count).
    std::array<std::array<uint32_t, platform::kPadButtonCount>, platform::kMaxPads> nextRepeat{};
    // The buttons each pad holds now, bit 1 << PadButton, whatever keys they press (the
    // keyboard check shows them).
    std::array<uint16_t, platform::kMaxPads> buttonsHeld{};
    // Whether the held keys were pressed in a round.
    bool mappedInRound = false;
    // The slot whose keys each pad presses in a round: its own, unless network play gives
    // this machine other slots (a joined machine's first pad plays its first slot); a value
    // out of 0..3 presses nothing.
    std::array<int8_t, platform::kMaxPads> roundSlot = {0, 1, 2, 3};
};

// The pump's reaction to PadDown, PadUp, PadAdded and PadRemoved.
void handlePadEvent(Devices& devices, const platform::Event& event);
// Presses again the keys of held buttons whose repeat is due. Called by every pump.
void repeatHeldPadKeys(Devices& devices);
// Milliseconds until the next repeat is due (0 when one is due now); UINT32_MAX when no
// button is held. A wait that blocks for events waits at most this long.
uint32_t msUntilPadRepeat(Devices& devices);

// Starts or ends round play for the pads. A button held across the change lets go of the
// key it pressed at once (so a press made on a menu never acts in the round, and the
// other way round) and does nothing more until pressed again.
void setRoundRunning(Devices& devices, bool running);

// Round play for the pads while it lives: made by the round and by its pause.
class PadsInRound {
public:
    explicit PadsInRound(Devices& devices);
    ~PadsInRound();
    PadsInRound(const PadsInRound&) = delete;
    PadsInRound& operator=(const PadsInRound&) = delete;

private:
    Devices& devices_;
};
