// Playing a replay back in the program: a file that cannot be played is refused before the
// display opens; a game that no longer plays as recorded names the first round that differs;
// the viewer's Esc stops a watched playback.
#include <fstream>

#include "replay/replay.h"
#include "tests/support/test_game.h"

namespace {

const std::string kRecorded = sourcePath("tests/replay/data/bomb_items_wait_change_abandoned.dvr");

struct Played {
    int status;
    std::string out, err;
    bool displayOpened;
};

Played play(const std::string& path, bool watching, platform::ScriptedPlatform& machine) {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const int status = checkReplay(path, watching, machine);
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    return {status, out, err, machine.presentCount() > 0};
}

// The bytes as a file in a fresh folder.
struct ReplayFile {
    explicit ReplayFile(const std::string& bytes) : path(test.dir + "/match.dvr") {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    TestGame test;
    std::string path;
};

// A match of a thousand rounds, each pause claiming a day of empty frames: a few kilobytes.
std::string endlessPauses() {
    Replay replay;
    std::string error;
    EXPECT_TRUE(readReplayFile(kRecorded, replay, error)) << error;
    for (ReplayRound& round : replay.rounds) round.paused = false;
    replay.rounds.resize(1000, replay.rounds[0]);
    for (ReplayRound& round : replay.rounds) {
        round.paused = true;
        round.pause.count = kMaxRoundFrames;
    }
    return encodeReplay(replay);
}

TEST(PlayingAReplay, AFileThatCannotBePlayedIsOneLineAndStatusOne) {
    const std::string bytes = readFile(kRecorded);
    std::string newer = bytes;
    newer[8] = 9;  // the format
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {{bytes.substr(0, bytes.size() / 2), "truncated: ends in round 1"},
                 {"#!/bin/sh\n", "not a DIRAVIRU replay"},
                 {newer, "made by a newer version of the game (format 9)"},
                 {bytes.substr(0, bytes.size() - 1) + "?", "damaged: the integrity check fails"},
                 {endlessPauses(), "damaged: the match is longer than a replay can hold"}};
    for (const auto& c : cases) {
        ReplayFile file(c.bytes);
        platform::ScriptedPlatform machine;
        const Played played = play(file.path, false, machine);
        EXPECT_EQ(played.status, 1);
        EXPECT_EQ(played.err, "diraviru: cannot play " + file.path + ": " + c.reason + "\n");
        EXPECT_FALSE(machine.displayOpen() || played.displayOpened);
    }
}

// The same inputs from another generator state: the computer players steer differently, so
// the first round ends unlike its recording (sooner or later than recorded) and the check
// stops there.
TEST(PlayingAReplay, AGameThatPlaysDifferentlyNamesTheFirstRoundThatDiffers) {
    Replay replay;
    std::string error;
    ASSERT_TRUE(readReplayFile(kRecorded, replay, error)) << error;
    for (const uint32_t state : {replay.start.randomState + 1, replay.start.randomState}) {
        Replay changed = replay;
        changed.start.randomState = state;
        ReplayFile file(encodeReplay(changed));
        platform::ScriptedPlatform machine;
        const Played played = play(file.path, false, machine);
        const bool same = state == replay.start.randomState;
        EXPECT_EQ(played.status, same ? 0 : 1);
        EXPECT_EQ(same ? played.out : played.err,
                  "diraviru: " + file.path + ": " +
                      (same ? "every round matched (3 rounds)" : "round 1 differs") + "\n");
    }
}

// Watched, the match runs at its own pace on the screen; Esc in the second round stops it
// with the rounds so far matched.
TEST(PlayingAReplay, EscStopsAWatchedPlayback) {
    platform::ScriptedPlatform machine;
    machine.keyPress(60'000, key::Esc);
    machine.quitWhenIdleAfter(120'000);
    const Played played = play(kRecorded, true, machine);
    EXPECT_EQ(played.status, 0);
    EXPECT_EQ(played.out, "diraviru: " + kRecorded +
                              ": stopped by the viewer; every round matched (1 round)\n");
    EXPECT_TRUE(played.displayOpened);
}

}  // namespace
