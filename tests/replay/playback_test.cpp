// Playback: the synthetic round clock, the check of every round's end, and a recording that
// stops on a round too long for its buffer.
#include <gtest/gtest.h>

#include "replay/playback.h"
#include "replay/recorder.h"
#include "tests/replay/played_match.h"

namespace {

PlayedFrame frame(bool secondAdvanced, int key = -1) {
    PlayedFrame played{{}, secondAdvanced};
    if (key >= 0) played.input.setChange(key, KeyChange::Down);
    return played;
}

// The clock reads 0 when a round starts, stays in unmarked frames, gains 1000 ms in marked
// ones, and starts again at 0 in the next round. Past the recorded frames it holds still.
TEST(ReplayPlayback, TheRoundClockAdvancesOneSecondInEveryMarkedFrame) {
    const std::vector<std::vector<PlayedFrame>> rounds = {
        {frame(false), frame(true), frame(false, 4), frame(true, MatchKeyEsc), frame(false),
         frame(false)},
        {frame(true), frame(false)}};
    const std::vector<std::vector<uint32_t>> clocks = {{0, 1000, 1000, 2000, 2000, 2000, 2000},
                                                       {1000, 1000, 1000}};
    const Replay replay = recordedMatch(rounds, true);
    ReplayCursor cursor(replay);
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
        for (std::size_t f = 0; f < clocks[r].size(); ++f) {
            const FrameInput input = cursor.nextFrame();
            EXPECT_EQ(input.clock, clocks[r][f]) << "round " << r + 1 << " frame " << f + 1;
            EXPECT_EQ(cursor.pastRoundEnd(), f >= rounds[r].size());
            EXPECT_TRUE(f < rounds[r].size() || input.changes == 0) << "nothing past the end";
        }
    }
    EXPECT_EQ(cursor.nextDecision(), Decision::EndMatch);
}

// A round that ends with another checksum, other scores, fewer or more frames than recorded
// differs; the first one is named as on screen.
TEST(ReplayPlayback, TheFirstRoundThatEndsOtherwiseIsNamed) {
    struct Case {
        int round;          // 0-based round played otherwise, -1 for none
        int framesOffBy;    // frames used beyond (or short of) the recorded ones
        uint64_t checksumXor;
        int32_t scoreOffBy;
        std::string verdict;
    };
    const Case cases[] = {
        {-1, 0, 0, 0, "every round matched (3 rounds)"},
        {1, 0, 1, 0, "round 2 differs"},
        {0, 0, 0, 5, "round 1 differs"},
        {2, -1, 0, 0, "round 3 differs"},
        {1, 1, 0, 0, "round 2 differs"},
    };
    const std::vector<std::vector<PlayedFrame>> rounds(3, playedRound(600, 1, 5));
    const Replay replay = recordedMatch(rounds, true);
    for (const Case& c : cases) {
        ReplayCursor cursor(replay);
        for (int r = 0; r < 3; ++r) {
            cursor.nextDecision();
            const bool other = r == c.round;
            const int frames = static_cast<int>(rounds[r].size()) + (other ? c.framesOffBy : 0);
            for (int f = 0; f < frames; ++f) cursor.nextFrame();
            Scores scores = playedScores(r);
            scores[3] += other ? c.scoreOffBy : 0;
            cursor.checkRound(playedChecksum(r) ^ (other ? c.checksumXor : 0), scores);
        }
        EXPECT_EQ(cursor.verdict(), c.verdict);
        EXPECT_EQ(cursor.firstDifferingRound(), c.round + 1);
    }
}

// A round too long for the buffer stops the recording: the file keeps the rounds before it
// and ends as if the program had been closed.
TEST(ReplayRecorder, ARoundTooLongForItsBufferStopsTheRecording) {
    const auto shortRound = playedRound(kFramesPerSecond, 1, 1);
    ReplayRecorder recorder(playedStart(), 64);
    for (const int frames : {kFramesPerSecond, 60 * kFramesPerSecond, kFramesPerSecond}) {
        recorder.beginRound();
        for (const PlayedFrame& f : playedRound(frames, 1, 1)) recorder.frame(f.input, f.secondAdvanced);
        recorder.endRound(playedChecksum(0), playedScores(0));
    }
    recorder.endMatch();
    EXPECT_TRUE(recorder.stopped());
    EXPECT_EQ(recorder.replay(), recordedMatch({shortRound}, false));
}

// Rounds past the most a file may hold are left out, and the file is still read.
TEST(ReplayRecorder, AMatchOfMoreRoundsThanAFileHoldsStopsTheRecording) {
    ReplayRecorder recorder(playedStart());
    for (std::size_t r = 0; r <= kMaxReplayRounds; ++r) {
        recorder.beginRound();
        recorder.frame({}, false);
        recorder.endRound(playedChecksum(0), playedScores(0));
    }
    EXPECT_TRUE(recorder.stopped());
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(encodeReplay(recorder.replay()), read, error)) << error;
    EXPECT_EQ(read.rounds.size(), kMaxReplayRounds);
}

}  // namespace
