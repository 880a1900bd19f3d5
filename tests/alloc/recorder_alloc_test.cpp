// Recording a round and playing it back allocate nothing per frame.
#include <gtest/gtest.h>

#include "replay/playback.h"
#include "replay/recorder.h"
#include "tests/alloc/counting_new.h"
#include "tests/replay/played_match.h"

TEST(ReplayAllocations, NoneWhileFramesAreRecordedOrPlayedBack) {
    const PlayedRound round = playedRound(60 * kFramesPerSecond, 4, 11);
    ReplayRecorder recorder(playedStart());
    recorder.decided(Decision::NextRound);
    allocations = 0;
    counting = true;
    for (const FrameInput& frame : round.frames) recorder.frame(frame);
    counting = false;
    EXPECT_EQ(allocations, 0) << "recording";
    recorder.roundEnded({});

    ReplayCursor cursor(recorder.replay());
    cursor.nextDecision();
    uint32_t changes = 0;  // used, so that playback is not optimised away
    counting = true;
    for (std::size_t f = 0; f < round.frames.size(); ++f) changes |= cursor.nextFrame().changes;
    counting = false;
    EXPECT_EQ(allocations, 0) << "playing back";
    EXPECT_NE(changes, 0u);
}
