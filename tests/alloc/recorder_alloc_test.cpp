// Recording a round and playing it back allocate nothing per frame.
#include <gtest/gtest.h>

#include "replay/playback.h"
#include "replay/recorder.h"
#include "tests/alloc/counting_new.h"
#include "tests/replay/played_match.h"

TEST(ReplayAllocations, NoneWhileFramesAreRecordedOrPlayedBack) {
    const PlayedRound round = playedRound(60 * kFramesPerSecond, 4, 11);
    ReplayRecorder recorder(playedStart());
    recorder.beginRound();
    allocations = 0;
    counting = true;
    for (const PlayedFrame& frame : round) recorder.frame(frame.input, frame.secondAdvanced);
    counting = false;
    EXPECT_EQ(allocations, 0) << "recording";
    recorder.endRound(0, {});

    ReplayCursor cursor(recorder.replay());
    cursor.nextDecision();
    uint32_t changes = 0;  // used, so that playback is not optimised away
    counting = true;
    for (std::size_t f = 0; f < round.size(); ++f) changes |= cursor.nextFrame().changes;
    counting = false;
    EXPECT_EQ(allocations, 0) << "playing back";
    EXPECT_NE(changes, 0u);
}
