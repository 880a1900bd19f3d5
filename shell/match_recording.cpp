#include "shell/match_recording.h"

#include <cstdio>
#include <filesystem>

#include "game/game.h"
#include "match/match.h"
#include "platform/regular_file.h"
#include "shell/version.h"

namespace {

ReplayStart matchStart(const Game& game) {
    ReplayStart start;
    start.gameVersion = kGameVersion;
    start.randomState = game.random.state;
    start.frameCounters = game.match.frameCounters;
    start.settings = game.settings;
    start.playerTypes = game.players.type;
    return start;
}

}  // namespace

MatchRecording::MatchRecording(const Game& game)
    : recorder_(matchStart(game)),
      path_(platform::absolutePath(game.recordPath)),
      platform_(*game.platform) {}

void MatchRecording::endRound(uint64_t checksum, const Scores& scores) {
    recorder_.endRound(checksum, scores);
    write();
}

void MatchRecording::endMatch() {
    recorder_.endMatch();
    write();
}

void MatchRecording::write() {
    std::string error;
    if (recorder_.writeFile(path_, error) && platform_.keepFiles(error)) return;
    std::fprintf(stderr, "diraviru: cannot save the replay to %s: %s\n", path_.c_str(),
                 error.c_str());
}

void runRecordedMatch(Game& game) {
    MatchRecording recording(game);
    const HookInPlace watching(game.matchObserver, recording);
    runMatch(game);
}
