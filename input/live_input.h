// The match's input from the people at this machine: the keyboard and game controllers, as
// the pump records them in the key table (Keyboard::keyDown and lastChange), and the round's
// second marks by the platform's tick count. This is the only source of input that reads the
// clock; every other source passes marks on as they were made here.
#pragma once

#include <cstdint>

#include "input/match_input.h"

struct Devices;

// The round's time counts a second once this much has passed since it last counted one.
inline constexpr uint32_t kRoundSecondMs = 1000;

class LiveInput final : public MatchInput {
public:
    explicit LiveInput(Devices& devices) : devices_(devices) {}

    // Enter or Esc pressed on the score table (a press made before the table is ignored); on
    // Enter, roundComing.
    Decision nextDecision() override;
    // The round's first frame sees every match key that is down at this moment as pressed (a
    // key pressed during the countdown, a Page Down pressed on the score table), except Esc: it
    // does not abandon a round that has not begun. The round's first second starts now.
    void beginRound() override;
    // Each match key's last change since the previous frame; a second mark once
    // kRoundSecondMs have passed since the last one (at most one a frame; the tick count's
    // wrap past 2^32 changes nothing). A press a frame hands on is the round's: it is taken
    // from the key table, so that no screen after the round sees it again.
    FrameInput nextFrame() override;
    // No more marks: the round's clock stands still in its pause.
    void roundEnded(const RoundResult& result) override;
    void roundLeft() override {}

    // The score table started a round (whatever source decided it): the slots' keys pressed
    // until now do not act in it; those pressed during its countdown do.
    void roundComing();

private:
    Devices& devices_;
    uint32_t secondStamp_ = 0;  // the tick count when the round's time last counted a second
    bool marking_ = false;      // from the round's start to its end
    bool firstFrame_ = false;   // the next frame is the round's first
};
