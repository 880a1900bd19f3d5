// Every match played here is kept as a replay: recorded as it is played and written to
// Game::recordPath (last_match.dvr in the working folder, or --record FILE) after every round
// and at the match's end, replacing the previous file only once the new one is complete, and
// kept by the platform (a browser copies it into its storage).
#pragma once

#include <string>

#include "input/match_input.h"
#include "replay/recorder.h"

namespace platform {
class Platform;
}

struct Game;

class MatchRecording final : public MatchObserver {
public:
    // Starts a recording from the match's start state as the Game holds it now.
    explicit MatchRecording(const Game& game);

    void beginRound() override { recorder_.beginRound(); }
    void frame(const FrameInput& input, bool secondAdvanced) override {
        recorder_.frame(input, secondAdvanced);
    }
    void endRound(uint64_t checksum, const Scores& scores) override;
    void endMatch() override;

private:
    // A failed write is told on standard error with the file and the reason; play goes on.
    void write();

    ReplayRecorder recorder_;
    std::string path_;
    platform::Platform& platform_;  // keeps the file written
};

// Runs one match of the people at this machine, recorded.
void runRecordedMatch(Game& game);
