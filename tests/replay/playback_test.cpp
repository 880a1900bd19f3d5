// Playback names the first round that ends otherwise than recorded; the recorder stops within
// what a file may hold.
#include <gtest/gtest.h>

#include "replay/playback.h"
#include "tests/replay/played_match.h"

namespace {

// Another checksum, other scores, fewer or more frames than recorded: that round differs.
TEST(ReplayPlayback, TheFirstRoundThatEndsOtherwiseIsNamed) {
    struct Case {
        int round, extraFrames;
        uint64_t checksumXor;
        int32_t scoreOffBy;
    };
    const Case cases[] = {{0, 0, 0, 0}, {2, 0, 1, 0}, {1, 0, 0, 5}, {3, -1, 0, 0}, {2, 1, 0, 0}};
    const std::vector<PlayedRound> rounds(3, playedRound(600, 1, 5));
    const Replay replay = recordedMatch(rounds, true);
    for (const Case& c : cases) {
        ReplayCursor cursor(replay);
        for (int r = 0; r < 3; ++r) {
            const bool other = r + 1 == c.round;
            cursor.nextDecision();
            for (int f = 0; f < 600 + other * c.extraFrames; ++f) cursor.nextFrame();
            Scores scores = playedScores(r);
            scores[3] += other * c.scoreOffBy;
            cursor.checkRound(playedChecksum(r) ^ (other * c.checksumXor), scores);
        }
        EXPECT_EQ(cursor.firstDifferingRound(), c.round);
        EXPECT_EQ(cursor.verdict(), c.round ? "round " + std::to_string(c.round) + " differs"
                                            : "every round matched (3 rounds)");
    }
}

// A round too long for the recorder's buffer, or one past the most rounds a file holds,
// stops the recording: the file keeps the rounds before and reads as closed during the match.
TEST(ReplayRecorder, RecordingStopsWithinWhatAFileHolds) {
    ReplayRecorder tooLong(playedStart(), 64);
    for (const int seconds : {1, 60, 1}) {
        tooLong.beginRound();
        for (const PlayedFrame& f : playedRound(seconds * kFramesPerSecond, 1, 1)) {
            tooLong.frame(f.input, f.secondAdvanced);
        }
        tooLong.endRound(playedChecksum(0), playedScores(0));
    }
    tooLong.endMatch();
    EXPECT_TRUE(tooLong.stopped());
    EXPECT_EQ(tooLong.replay(), recordedMatch({playedRound(kFramesPerSecond, 1, 1)}, false));

    ReplayRecorder tooMany(playedStart());
    for (std::size_t r = 0; r <= kMaxReplayRounds; ++r) {
        tooMany.beginRound();
        tooMany.endRound(0, {});
    }
    EXPECT_TRUE(tooMany.stopped());
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(encodeReplay(tooMany.replay()), read, error)) << error;
    EXPECT_EQ(read.rounds.size(), kMaxReplayRounds);
    EXPECT_EQ(read.end, Decision::Closed);
    read.rounds.emplace_back();
    EXPECT_FALSE(decodeReplay(encodeReplay(read), read, error));
    EXPECT_EQ(error, "damaged: more than 65535 rounds");
}

}  // namespace
