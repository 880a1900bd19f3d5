#include "shell/replay_playback.h"

#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

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
constexpr int kVerdictY = 444;  // of its line, or the middle of its lines
constexpr int kVerdictLineSpacing = 24;
constexpr int kVerdictTile = kTextTile;

// Esc pressed by the viewer: the playback ends where it is.
struct PlaybackStopped {};

// The match's input from a replay, as the viewer sees it: watched, every score table stays
// up a while; Esc stops the playback.
class ReplayInput final : public MatchInput {
public:
    ReplayInput(Game& game, const Replay& replay, bool watching)
        : game_(game), cursor_(replay), watching_(watching) {}

    Decision nextDecision() override {
        if (watching_) showScoreTable();
        return cursor_.nextDecision();
    }
    void beginRound() override {}
    FrameInput nextFrame() override {
        if (game_.devices.keyboard.take(key::Esc)) throw PlaybackStopped{};
        return cursor_.nextFrame();
    }
    void roundEnded(const RoundResult& result) override { cursor_.roundEnded(result); }
    void roundLeft() override {
        // Only the first format needs the checksum here (it reads the whole page).
        if (cursor_.checksOnLeaving()) cursor_.roundLeft(roundResult(game_));
    }

    const ReplayCursor& cursor() const { return cursor_; }

private:
    void showScoreTable() {
        markFrameStart(game_.devices);
        waitSinceMark(game_.devices, kScoreTableShownMs);
        if (game_.devices.keyboard.take(key::Esc)) throw PlaybackStopped{};
    }

    Game& game_;
    ReplayCursor cursor_;
    bool watching_;
};

std::string verdictLine(const Replay& replay, const ReplayCursor& cursor, bool stopped) {
    std::string line = cursor.verdict();
    if (stopped) line = "stopped by the viewer" + std::string(kVerdictPartBreak) + line;
    if (cursor.firstDifferingRound() != 0 && replay.start.gameVersion != kGameVersion) {
        line +=
            " (recorded by version " + replay.start.gameVersion + ", this is " + kGameVersion + ")";
    }
    return line;
}

// The verdict under the last score table, until Enter or Esc or its time is up: each of its
// parts (at most 35 characters: they fit the page) on a line of its own.
void showVerdict(Game& game, const std::string& verdict) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < verdict.size(); ++i) {
        if (verdict.compare(i, kVerdictPartBreak.size(), kVerdictPartBreak) == 0) {
            lines.emplace_back();
            i += kVerdictPartBreak.size() - 1;
        } else {
            lines.back() += static_cast<char>(std::toupper(static_cast<unsigned char>(verdict[i])));
        }
    }
    int y = kVerdictY - static_cast<int>(lines.size() - 1) * kVerdictLineSpacing / 2;
    for (const std::string& line : lines) {
        game.devices.screen.DrawColourText(SurfacePrimary, line.c_str(), kCentred, y, kGlyphCell,
                                           kGlyphCell, kVerdictTile);
        y += kVerdictLineSpacing;
    }
    game.devices.screen.Present();
    game.devices.keyboard.keyDown[key::Enter] = 0;
    game.devices.keyboard.keyDown[key::Esc] = 0;
    // Ctrl does not cut it short: a viewer fast-forwarding still sees how the match ended.
    const uint32_t start = game.devices.platform->ticks();
    for (;;) {
        if (game.devices.keyboard.take(key::Enter) || game.devices.keyboard.take(key::Esc)) return;
        const uint32_t shown = game.devices.platform->ticks() - start;
        if (shown >= kVerdictShownMs) return;
        pumpMessagesWaiting(game.devices, kVerdictShownMs - shown);
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
    if (!watching)
        game.devices.keyboard.pacingOn = false;  // no waits at all: as fast as the machine can
    startFrom(game.play, replay.start);

    ReplayInput input(game, replay, watching);
    bool stopped = false;
    try {
        runMatch(game, input, nullptr);
    } catch (const PlaybackStopped&) {
        stopped = true;
    }
    const ReplayCursor& cursor = input.cursor();
    const std::string line = verdictLine(replay, cursor, stopped);
    const bool matched = cursor.firstDifferingRound() == 0;
    std::fprintf(matched ? stdout : stderr, "diraviru: %s: %s\n", path.c_str(), line.c_str());
    std::fflush(stdout);
    if (watching) showVerdict(game, cursor.verdict());
    throw ProgramExit{matched ? 0 : 1};  // the program's handler clears and closes the display
}
