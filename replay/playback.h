// Plays a replay back: hands the match its decisions and its frames in the order they were
// recorded, and checks that every round ended as recorded: in format 2 as its frames end
// (before its pause), in format 1 as the match leaves it (after the pause, as that format
// recorded it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "input/match_input.h"
#include "replay/frame_codec.h"
#include "replay/replay.h"

// Between the parts of a verdict.
inline constexpr std::string_view kVerdictPartBreak = "; ";

class ReplayCursor {
public:
    // Keeps a reference: `replay` must outlive the cursor.
    explicit ReplayCursor(const Replay& replay) : replay_(replay) {}

    // NextRound while recorded rounds remain (that round's frames follow), then how the
    // recording ended: EndMatch, or Closed. Closed as soon as a round has differed: the rest
    // of the match means nothing.
    Decision nextDecision();
    // The next recorded frame of the round or of its pause. Past them, Esc and Enter are
    // pressed (the round is abandoned, the pause ended): a round that goes on past its
    // recording no longer plays as recorded, and a cut short one ends there. After a round
    // that differed its pause ends at once.
    FrameInput nextFrame();
    // The round's frames are over: in format 2 it is checked (unless cut short), and its
    // pause's frames follow.
    void roundEnded(const RoundResult& result);
    // Format 1 checks a round as the match leaves it, with the page and scores as they are
    // then: the match's source calls roundLeft when this is true.
    bool checksOnLeaving() const { return replay_.format == kFirstReplayFormat; }
    void roundLeft(const RoundResult& result);

    // The first round that differed, 1-based as shown on screen; 0 while none has. A round
    // differs when it used other than exactly its recorded frames or ended with another
    // checksum or other scores.
    int firstDifferingRound() const { return firstDiffering_; }
    // The round the recording was cut short in, once played (it is not checked); 0 if none.
    int cutShortRound() const { return cutShort_; }
    // One line for the end of a playback: every round matched (and which round was cut
    // short), or the first that differed. Its parts are separated by kVerdictPartBreak.
    std::string verdict() const;

private:
    void startFrames(const ReplayFrames& frames);
    void readAhead();
    void check(const RoundResult& result);

    const Replay& replay_;
    std::size_t nextRound_ = 0;  // rounds handed out so far
    const ReplayRound* round_ = nullptr;
    FrameTokenReader tokens_{kReplayFormat, {}};
    FrameToken ahead_;  // the next frame that is not empty
    bool haveAhead_ = false;
    uint32_t count_ = 0;   // frames recorded
    uint32_t served_ = 0;  // of those, handed out
    bool pastEnd_ = false;
    int checked_ = 0;  // rounds checked
    int firstDiffering_ = 0;
    int cutShort_ = 0;
};
