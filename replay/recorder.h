// Records a match as it is played, for a replay file. The match calls beginRound when Enter
// on the score table starts a round, frame once for every frame of the round (round frames
// and the passes of the pause on "PUSH ENTER KEY TO NEXT ROUND"), endRound when the round
// returns, and endMatch on Esc on the score table. writeFile writes everything recorded so
// far; between rounds is the time for it.
//
// Nothing is allocated from beginRound to endRound: the round's frames go into a buffer of
// fixed size reserved when the recorder is made. A round that does not fit (the default size
// holds over an hour of four players each tapping ten keys a second; a round without keys
// fits for days, up to kMaxRoundFrames frames), or a match of more than kMaxReplayRounds
// rounds, stops the recording: that round and every later one are left out, and the file
// holds the rounds before it, as if the program had been closed then. The match itself goes
// on unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "input/frame_input.h"
#include "replay/replay.h"

inline constexpr std::size_t kRoundBufferBytes = std::size_t{1} << 20;

class ReplayRecorder {
public:
    explicit ReplayRecorder(ReplayStart start, std::size_t roundBufferBytes = kRoundBufferBytes);

    void beginRound();
    // One frame: its key changes (its clock is not kept) and whether the round's second
    // advanced in it. O(1), allocates nothing.
    void frame(const FrameInput& input, bool secondAdvanced);
    void endRound(uint64_t checksum, const Scores& scores);
    void endMatch();

    // True once a round was too long to record (see above).
    bool stopped() const { return stopped_; }
    const Replay& replay() const { return replay_; }
    // Replaces the file at `path` with the replay so far; false, with the reason in `error`,
    // when it could not be written.
    bool writeFile(const std::string& path, std::string& error) const;

private:
    void stop();

    Replay replay_;
    std::unique_ptr<uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    uint32_t frames_ = 0;
    uint32_t emptyFrames_ = 0;  // since the last frame written to the buffer
    bool inRound_ = false;
    bool stopped_ = false;
};
