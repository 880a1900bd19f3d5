// The match's input from the people at this machine: the keyboard and game controllers, as
// the pump records them in the key table (Keyboard::keyDown and lastChange).
#pragma once

#include "input/match_input.h"
#include "input/round_keys.h"

struct Devices;

class LiveInput final : public MatchInput {
public:
    // roundKeys: the round's key table (Match::roundKeys), read when a round ends.
    LiveInput(Devices& devices, const RoundKeys& roundKeys)
        : devices_(devices), roundKeys_(roundKeys) {}

    // Enter or Esc pressed on the score table (a press made before the table is ignored).
    Decision nextDecision() override;
    // The tick count; every match key down at this moment counts as pressed in the first
    // frame (a key pressed during the countdown, a Page Down pressed on the score table).
    uint32_t beginRound() override;
    // Each match key's last change since the previous frame, and the tick count.
    FrameInput nextFrame() override;
    // A press the round took stays taken for the screens after it, as if the round had taken
    // it from the key table itself: the round's key table goes back into keyDown for every
    // match key that did not change since the round's last frame.
    void endRound(uint64_t checksum, const Scores& scores) override;

private:
    Devices& devices_;
    const RoundKeys& roundKeys_;
};

// The key code (platform/keys.h) of a MatchKey when the players' keys are `keys`.
int matchKeyCode(const PlayerKeyTable& keys, int matchKey);
