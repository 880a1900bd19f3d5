// Plays a replay back: hands the match its decisions and its frames in the order they were
// recorded, and checks at the end of every round that the round ended as recorded.
//
// The round clock is synthetic: it reads kReplayRoundStartClock when a round starts, the same
// value as before in a frame where the round's second did not advance, and one second more
// in a frame where it did, so the round's time advances in exactly the recorded frames.
#pragma once

#include <cstdint>
#include <string>

#include "input/frame_input.h"
#include "replay/frame_codec.h"
#include "replay/replay.h"

inline constexpr uint32_t kReplayRoundStartClock = 0;
inline constexpr uint32_t kReplayMsPerSecond = 1000;

class ReplayCursor {
public:
    // Keeps a reference: `replay` must outlive the cursor.
    explicit ReplayCursor(const Replay& replay) : replay_(replay) {}

    // The score table's next decision: NextRound while recorded rounds remain (that round's
    // frames follow), then how the recording ended: EndMatch, or Closed.
    Decision nextDecision();
    // The current round's next frame. Once its recorded frames are used up: frames without
    // changes at the same clock, and the round counts as differing.
    FrameInput nextFrame();
    // True when the current round asked for more frames than were recorded: the game no
    // longer plays as it did, and playback may end the round.
    bool pastRoundEnd() const { return pastEnd_; }
    // At the end of the current round (after checking its page and scores as the recorder's
    // caller did): true when it used exactly its recorded frames and ended with the recorded
    // checksum and scores. The first round that did not is remembered.
    bool checkRound(uint64_t checksum, const Scores& scores);

    // The first round that differed, 1-based as shown on screen; 0 while none has.
    int firstDifferingRound() const { return firstDiffering_; }
    // One line for the end of a playback: every round matched, or the first that differed.
    std::string verdict() const;

private:
    void readAhead();

    const Replay& replay_;
    std::size_t nextRound_ = 0;  // rounds handed out so far
    const ReplayRound* round_ = nullptr;
    FrameTokenReader tokens_{{}};
    FrameToken ahead_;  // the round's next frame that is not empty
    bool haveAhead_ = false;
    uint32_t served_ = 0;  // frames of the round handed out
    uint32_t clock_ = kReplayRoundStartClock;
    bool pastEnd_ = false;
    int checked_ = 0;  // rounds checked
    int firstDiffering_ = 0;
};
