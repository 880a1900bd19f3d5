// Where a match's input comes from, and who watches it. A match reads everything it depends on
// besides its start through one MatchInput: the score table's decisions and every frame's
// FrameInput, from the keyboard and game controllers (LiveInput), a replay file, or the
// machines of a network game. A MatchObserver (a replay recorder) is shown the same stream as
// the match reads it, and how each round ended. The match is handed both (runMatch); nothing
// else chooses them.
//
// The order of a match's calls, which a replay file keeps:
//     nextDecision                  the score table: NextRound, or EndMatch / Closed (the end)
//     beginRound                    after the countdown, once
//     nextFrame ...                 one per round frame
//     roundEnded                    at most one player left, or Esc: the round's frames are over
//     nextFrame ...                 one per pass of the pause on "PUSH ENTER KEY TO NEXT ROUND"
//                                   (none after Esc)
//     roundLeft                     back to the score table, and nextDecision again
#pragma once

#include <array>
#include <cstdint>

#include "input/frame_input.h"
#include "input/player_keys.h"

// Every slot's score, 1P..4P.
using Scores = std::array<int32_t, kSlots>;

// What a round ended with: the checksum of the page shown and the scores (matchChecksum),
// and the scores themselves.
struct RoundResult {
    uint64_t checksum = 0;
    Scores scores{};

    bool operator==(const RoundResult&) const = default;
};

class MatchInput {
public:
    virtual ~MatchInput() = default;

    // The score table's decision; called with the table shown, it may wait for it.
    virtual Decision nextDecision() = 0;
    // A round's frames start (after the countdown).
    virtual void beginRound() = 0;
    // The input of the next frame: every round frame and every pass of the pause on "PUSH
    // ENTER KEY TO NEXT ROUND" reads exactly one, at its start.
    virtual FrameInput nextFrame() = 0;
    // The round's frames are over: how it ended, before its pause.
    virtual void roundEnded(const RoundResult& result) = 0;
    // The match leaves the round for the next score table (after the pause, or at once for a
    // round abandoned with Esc).
    virtual void roundLeft() = 0;
};

class MatchObserver {
public:
    virtual ~MatchObserver() = default;

    // Every decision as the match read it.
    virtual void decided(Decision decision) = 0;
    // Every frame's input as the match read it, in order. Must not allocate.
    virtual void frame(const FrameInput& input) = 0;
    // As MatchInput::roundEnded and roundLeft, right after them.
    virtual void roundEnded(const RoundResult& result) = 0;
    virtual void roundLeft() = 0;
};

// The stream as the match reads it: every read from the input is shown to the observer (none
// when null) as it is made.
class MatchStream {
public:
    MatchStream(MatchInput& input, MatchObserver* observer) : input_(input), observer_(observer) {}

    Decision nextDecision() {
        const Decision decision = input_.nextDecision();
        if (observer_ != nullptr) observer_->decided(decision);
        return decision;
    }
    void beginRound() { input_.beginRound(); }
    FrameInput nextFrame() {
        const FrameInput input = input_.nextFrame();
        if (observer_ != nullptr) observer_->frame(input);
        return input;
    }
    void roundEnded(const RoundResult& result) {
        input_.roundEnded(result);
        if (observer_ != nullptr) observer_->roundEnded(result);
    }
    void roundLeft() {
        input_.roundLeft();
        if (observer_ != nullptr) observer_->roundLeft();
    }

private:
    MatchInput& input_;
    MatchObserver* observer_;
};
