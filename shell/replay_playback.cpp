#include "shell/replay_playback.h"

#include <cctype>
#include <cstdio>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "platform/regular_file.h"
#include "replay/playback.h"
#include "shell/program.h"
#include "shell/start_up.h"
#include "shell/version.h"

namespace {

// How long a watched playback shows each score table (Ctrl cuts it short), and the verdict
// at the end (Enter or Esc cut it short).
constexpr uint32_t kScoreTableShownMs = 1500;
constexpr uint32_t kVerdictShownMs = 10000;
constexpr int kVerdictY = 440;
constexpr int kVerdictTile = kTextTile;

// Esc pressed by the viewer: the playback ends where it is.
struct PlaybackStopped {};

// The match's input from a replay. Once a round has ended differently from its recording the
// rest of the match means nothing: the next score table ends it.
class ReplayInput final : public MatchInput {
public:
    ReplayInput(Game& game, const Replay& replay, bool watching)
        : game_(game), cursor_(replay), watching_(watching) {}

    Decision nextDecision() override {
        if (cursor_.firstDifferingRound() != 0) return Decision::Closed;
        if (watching_) showScoreTable();
        return cursor_.nextDecision();
    }
    uint32_t beginRound() override { return kReplayRoundStartClock; }
    FrameInput nextFrame() override {
        if (game_.keyboard.take(key::Esc)) throw PlaybackStopped{};
        FrameInput input = cursor_.nextFrame();
        // The round goes on past its recording: it no longer plays as recorded, so it is
        // abandoned (or its pause ended) at once.
        if (cursor_.pastRoundEnd()) {
            input.setChange(MatchKeyEsc, KeyChange::Down);
            input.setChange(MatchKeyEnter, KeyChange::Down);
        }
        return input;
    }
    void endRound(uint64_t checksum, const Scores& scores) override {
        cursor_.checkRound(checksum, scores);
    }

    const ReplayCursor& cursor() const { return cursor_; }

private:
    void showScoreTable() {
        markFrameStart(game_);
        waitSinceMark(game_, kScoreTableShownMs);
        if (game_.keyboard.take(key::Esc)) throw PlaybackStopped{};
    }

    Game& game_;
    ReplayCursor cursor_;
    bool watching_;
};

void setMatchStart(Game& game, const ReplayStart& start) {
    game.settings = start.settings;
    game.players.type = start.playerTypes;
    game.random.state = start.randomState;
    game.match.frameCounters = start.frameCounters;
}

std::string verdictLine(const Replay& replay, const ReplayCursor& cursor, bool stopped) {
    std::string line = cursor.verdict();
    if (stopped) line = "stopped by the viewer; " + line;
    if (cursor.firstDifferingRound() != 0 && replay.start.gameVersion != kGameVersion) {
        line +=
            " (recorded by version " + replay.start.gameVersion + ", this is " + kGameVersion + ")";
    }
    return line;
}

// The verdict under the last score table, until Enter or Esc or its time is up. The line is
// the cursor's own (at most 34 characters: it fits the page).
void showVerdict(Game& game, const std::string& line) {
    std::string text;
    for (const char c : line) {
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    game.screen.DrawColourText(SurfacePrimary, text.c_str(), kCentred, kVerdictY, kGlyphCell,
                               kGlyphCell, kVerdictTile);
    game.screen.Present();
    game.keyboard.keyDown[key::Enter] = 0;
    game.keyboard.keyDown[key::Esc] = 0;
    // Ctrl does not cut it short: a viewer fast-forwarding still sees how the match ended.
    const uint32_t start = game.platform->ticks();
    for (;;) {
        if (game.keyboard.take(key::Enter) || game.keyboard.take(key::Esc)) return;
        const uint32_t shown = game.platform->ticks() - start;
        if (shown >= kVerdictShownMs) return;
        pumpMessagesWaiting(game, kVerdictShownMs - shown);
    }
}

}  // namespace

int runPlayback(Game& game, const std::string& assetDir, const Options& options) {
    const std::string path = platform::absolutePath(options.playPath);
    Replay replay;
    std::string error;
    if (!readReplayFile(options.playPath, replay, error)) {
        std::fprintf(stderr, "diraviru: cannot play %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    const bool watching = !options.check;
    openDisplay(game, assetDir);
    buildTables(game);
    if (!watching) game.keyboard.pacingOn = false;  // no waits at all: as fast as the machine can
    setMatchStart(game, replay.start);

    ReplayInput input(game, replay, watching);
    bool stopped = false;
    {
        const HookInPlace reading(game.matchInput, input);
        try {
            runMatch(game);
        } catch (const PlaybackStopped&) {
            stopped = true;
        }
    }
    const ReplayCursor& cursor = input.cursor();
    const std::string line = verdictLine(replay, cursor, stopped);
    const bool matched = cursor.firstDifferingRound() == 0;
    std::fprintf(matched ? stdout : stderr, "diraviru: %s: %s\n", path.c_str(), line.c_str());
    std::fflush(stdout);
    if (watching) showVerdict(game, cursor.verdict());
    throw ProgramExit{matched ? 0 : 1};  // the program's handler clears and closes the display
}
