// Where a match's input comes from, and who watches it. The match reads everything its players
// do through a MatchInput: the keyboard and game controllers (LiveInput), a replay file, or the
// machines of a network game. A MatchObserver (a replay recorder) sees the same stream.
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"
#include "input/player_keys.h"

// Every slot's score, 1P..4P, as a round ends with them.
using Scores = std::array<int32_t, kSlots>;

class MatchInput {
public:
    virtual ~MatchInput() = default;

    // The score table's decision; called with the table shown, it may wait for it.
    virtual Decision nextDecision() = 0;
    // A round's frames start (after the countdown): the round clock at that moment.
    virtual uint32_t beginRound() = 0;
    // The input of the round's next frame: every round frame and every pass of the pause on
    // "PUSH ENTER KEY TO NEXT ROUND" reads exactly one, at its start.
    virtual FrameInput nextFrame() = 0;
    // The round is over: its checksum (matchChecksum) and the scores. Called once the next
    // score table is shown, before its decision.
    virtual void endRound(uint64_t checksum, const Scores& scores) = 0;
};

class MatchObserver {
public:
    virtual ~MatchObserver() = default;

    // Enter on the score table started a round.
    virtual void beginRound() = 0;
    // Every frame of the round as MatchInput::nextFrame gave it, in order; secondAdvanced:
    // the round's time counted a second in this frame. Must not allocate.
    virtual void frame(const FrameInput& input, bool secondAdvanced) = 0;
    // As MatchInput::endRound, right after it.
    virtual void endRound(uint64_t checksum, const Scores& scores) = 0;
    // Esc on the score table ended the match.
    virtual void endMatch() = 0;
};
