#include "shell/match_recording.h"

#include <cstdio>
#include <filesystem>

#include "game/game.h"
#include "input/live_input.h"
#include "match/match.h"
#include "platform/regular_file.h"
#include "shell/version.h"

namespace {

ReplayStart matchStart(const Game& game) { return {startOf(game.play), kGameVersion}; }

}  // namespace

MatchRecording::MatchRecording(const Game& game)
    : recorder_(matchStart(game)),
      path_(platform::absolutePath(game.recordPath)),
      dataFolder_(game.dataFolder),
      platform_(*game.devices.platform) {}

void MatchRecording::decided(Decision decision) {
    recorder_.decided(decision);
    if (decision == Decision::EndMatch) write();
}

void MatchRecording::roundEnded(const RoundResult& result) {
    recorder_.roundEnded(result);
    write();
}

void MatchRecording::cutShort() {
    recorder_.cutShort();
    write();
}

void MatchRecording::write() {
    if (recorder_.stopped() && !toldStopped_) {
        toldStopped_ = true;
        const std::size_t kept = recorder_.replay().rounds.size();
        std::fprintf(stderr,
                     "diraviru: the replay %s stops %s round %zu: the match is longer than a "
                     "replay can hold\n",
                     path_.c_str(), kept > 0 ? "after" : "before", kept > 0 ? kept : 1);
    }
    std::string error;
    if (platform::makeMissingFolders(dataFolder_, error) && recorder_.writeFile(path_, error) &&
        platform_.keepFiles(error)) {
        return;
    }
    std::fprintf(stderr, "diraviru: cannot save the replay to %s: %s\n", path_.c_str(),
                 error.c_str());
}

void runRecordedMatch(Game& game, MatchInput& input) {
    MatchRecording recording(game);
    try {
        runMatch(game, input, &recording);
    } catch (...) {
        // Pause, closing the window, a network match stopped, a failure: whatever ends the
        // match from inside it, what was played is kept.
        recording.cutShort();
        throw;
    }
}

void runLocalMatch(Game& game) {
    LiveInput people(game.devices);
    runRecordedMatch(game, people);
}
