// The match's input from the people at this machine: the keyboard and game controllers, as
// the pump records them in the key table (Keyboard::keyDown and lastChange), and the round's
// second marks by the platform's tick count. This is the only source of input that reads the
// clock; every other source passes marks on as they were made here.
#pragma once

#include <cstdint>

#include "input/match_input.h"
#include "input/round_keys.h"

struct Devices;

// The round's time counts a second once this much has passed since it last counted one.
inline constexpr uint32_t kRoundSecondMs = 1000;

class LiveInput final : public MatchInput {
public:
    // roundKeys: the round's key table (Match::roundKeys), read when a round is left.
    LiveInput(Devices& devices, const RoundKeys& roundKeys)
        : devices_(devices), roundKeys_(roundKeys) {}

    // Enter or Esc pressed on the score table (a press made before the table is ignored).
    Decision nextDecision() override;
    // Every match key down at this moment counts as pressed in the first frame (a key pressed
    // during the countdown, a Page Down pressed on the score table); the round's first second
    // starts now.
    void beginRound() override;
    // Each match key's last change since the previous frame; a second mark once
    // kRoundSecondMs have passed since the last one (at most one a frame; the tick count's
    // wrap past 2^32 changes nothing).
    FrameInput nextFrame() override;
    // No more marks: the round's clock stands still in its pause.
    void roundEnded(const RoundResult& result) override;
    // A press the round took stays taken for the screens after it, as if the round had taken
    // it from the key table itself: the round's key table goes back into keyDown for every
    // match key that did not change since the round's last frame.
    void roundLeft() override;

private:
    Devices& devices_;
    const RoundKeys& roundKeys_;
    uint32_t secondStamp_ = 0;  // the tick count when the round's time last counted a second
    bool marking_ = false;      // from the round's start to its end
};

// The key code (platform/keys.h) of a MatchKey when the players' keys are `keys`.
int matchKeyCode(const PlayerKeyTable& keys, int matchKey);
