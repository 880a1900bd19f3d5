// Every match played here is kept as a replay: recorded as it is played and written to
// Game::recordPath (last_match.dvr in the working folder, or --record FILE) as soon as each
// round's frames are over (before its round-end message), when the match ends, and when the
// program ends during it (the round in progress kept as far as it was played, cut short). The
// file is replaced only once the new one is complete, and kept by the platform (a browser
// copies it into its storage).
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

    void decided(Decision decision) override;
    void frame(const FrameInput& input) override { recorder_.frame(input); }
    void roundEnded(const RoundResult& result) override;
    void roundLeft() override { recorder_.roundLeft(); }
    // The program ends during the match: what was played is kept (ReplayRecorder::cutShort).
    void cutShort();

private:
    // A failed write is told on standard error with the file and the reason; play goes on.
    void write();

    ReplayRecorder recorder_;
    std::string path_;
    bool toldStopped_ = false;      // that the recording stopped, on standard error
    platform::Platform& platform_;  // keeps the file written
};

// Runs one match on `input`, recorded.
void runRecordedMatch(Game& game, MatchInput& input);
// Runs one match of the people at this machine, recorded.
void runLocalMatch(Game& game);
