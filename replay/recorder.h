// Records a match as it is played, for a replay file: it is shown the match's stream as the
// match reads it (the MatchObserver calls, in that order) and keeps it in a Replay. writeFile
// writes everything recorded so far; the moments for it are between a round's frames and its
// pause, and the match's end.
//
// Nothing is allocated while frames come in: they go into a buffer of fixed size reserved
// when the recorder is made, and become part of the Replay when the round's frames or its
// pause are over. A round or pause that does not fit (the default size holds over an hour of
// four players each tapping ten keys a second; one without keys fits up to kMaxRoundFrames),
// or a match that would cost a playback more than kMaxReplayWork (too many rounds or frames for
// its settings), stops the recording: that round and every later one are left out, and the
// file holds the rounds before it, as if the program had been closed then. The match itself
// goes on unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "input/frame_input.h"
#include "replay/replay.h"
#include "replay/replay_work.h"

inline constexpr std::size_t kRoundBufferBytes = std::size_t{1} << 20;

class ReplayRecorder {
public:
    explicit ReplayRecorder(ReplayStart start, std::size_t roundBufferBytes = kRoundBufferBytes);

    // The score table's decision: NextRound starts a round, EndMatch ends the match.
    void decided(Decision decision);
    // One frame of the round or of its pause. O(1), allocates nothing.
    void frame(const FrameInput& input);
    // The round's frames are over: it is kept, with how it ended.
    void roundEnded(const RoundResult& result);
    // The match left the round: the frames of its pause are kept.
    void roundLeft();
    // The program ends during the match: a round in progress is kept as far as it was played,
    // marked cut short (a pause, as far as it went). Nothing is recorded after it.
    void cutShort();

    // True once a limit stopped the recording (see above).
    bool stopped() const { return stopped_; }
    const Replay& replay() const { return replay_; }
    // Replaces the file at `path` with the replay so far; false, with the reason in `error`,
    // when it could not be written.
    bool writeFile(const std::string& path, std::string& error) const;

private:
    enum class Phase { Table, Round, Pause, Stopped };

    void startFrames(Phase phase);
    ReplayFrames takeFrames() const;
    void stop();

    Replay replay_;
    ReplayWork work_;  // what a playback of the recording so far may cost
    std::unique_ptr<uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    uint32_t frames_ = 0;
    uint32_t emptyFrames_ = 0;  // since the last frame written to the buffer
    Phase phase_ = Phase::Table;
    bool stopped_ = false;
};
