// Playback names the first round that ends otherwise than recorded, and plays a round cut
// short to its end without checking it; the recorder stops within what a file may hold.
#include <gtest/gtest.h>

#include "replay/playback.h"
#include "tests/replay/played_match.h"

namespace {

// Plays round r of `rounds` on the cursor as a match would, its frames running `extraFrames`
// past the recorded ones (or stopping short), ending with `result`; the pause's first frame.
FrameInput playRound(ReplayCursor& cursor, const PlayedRound& round, int extraFrames,
                     const RoundResult& result) {
    EXPECT_EQ(cursor.nextDecision(), Decision::NextRound);
    for (int f = 0; f < int(round.frames.size()) + extraFrames; ++f) cursor.nextFrame();
    cursor.roundEnded(result);
    const FrameInput first = cursor.nextFrame();
    for (std::size_t f = 1; f < round.pause.size(); ++f) cursor.nextFrame();
    return first;
}

// Another checksum, other scores, fewer or more frames than recorded: that round differs, its
// pause ends at once (Enter in its first frame, however long it was recorded), and the match
// ends at the next score table.
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
        for (int r = 0; r < 3 && cursor.firstDifferingRound() == 0; ++r) {
            const bool other = r + 1 == c.round;
            RoundResult result = playedResult(r);
            result.checksum ^= other * c.checksumXor;
            result.scores[3] += other * c.scoreOffBy;
            const FrameInput pause = playRound(cursor, rounds[r], other * c.extraFrames, result);
            EXPECT_EQ(pause.change(MatchKeyEnter), other ? KeyChange::Down : KeyChange::None);
        }
        EXPECT_EQ(cursor.nextDecision(), c.round ? Decision::Closed : Decision::EndMatch);
        EXPECT_EQ(cursor.firstDifferingRound(), c.round);
        EXPECT_EQ(cursor.verdict(), c.round ? "round " + std::to_string(c.round) + " differs"
                                            : "every round matched (3 rounds)");
    }
}

// The program ended in the third round: its frames play to where it was cut, then Esc and
// Enter end it (and any pause); it is not checked, whatever it ends with.
TEST(ReplayPlayback, ARoundCutShortPlaysToItsEndUnchecked) {
    const PlayedRound played = playedRound(900, 2, 4);
    for (const int finished : {0, 2}) {
        ReplayRecorder recorder(playedStart());
        for (int r = 0; r < finished; ++r) recordRound(recorder, played, r);
        recorder.decided(Decision::NextRound);
        for (int f = 0; f < 600; ++f) recorder.frame(played.frames[f]);
        recorder.cutShort();
        recorder.frame(played.frames[600]);  // nothing after the cut is kept
        const Replay& replay = recorder.replay();
        ASSERT_EQ(replay.rounds.size(), std::size_t(finished + 1));
        EXPECT_EQ(replay.end, Decision::Closed);

        ReplayCursor cursor(replay);
        for (int r = 0; r < finished; ++r) playRound(cursor, played, 0, playedResult(r));
        ASSERT_EQ(cursor.nextDecision(), Decision::NextRound);
        for (int f = 0; f < 600; ++f) ASSERT_EQ(cursor.nextFrame(), played.frames[f]) << f;
        EXPECT_EQ(cursor.nextFrame().change(MatchKeyEsc), KeyChange::Down);
        cursor.roundEnded({});
        EXPECT_EQ(cursor.nextFrame().change(MatchKeyEnter), KeyChange::Down);  // its pause
        EXPECT_EQ(cursor.nextDecision(), Decision::Closed);
        EXPECT_EQ(cursor.cutShortRound(), finished + 1);
        EXPECT_EQ(cursor.verdict(), finished ? "every round matched (2 rounds); round 3 cut short "
                                               "(not checked)"
                                             : "round 1 cut short (not checked)");
    }
}

// A round too long for the recorder's buffer, one past the most rounds a file holds, or frames
// that would ask more of a playback than a file may, stop the recording: the file keeps the
// rounds before and reads as closed during the match.
TEST(ReplayRecorder, RecordingStopsWithinWhatAFileHolds) {
    ReplayRecorder tooLong(playedStart(), 64);
    for (const int seconds : {1, 60, 1}) {
        recordRound(tooLong, playedRound(seconds * kFramesPerSecond, 1, 1), 0);
    }
    tooLong.decided(Decision::EndMatch);
    EXPECT_TRUE(tooLong.stopped());
    EXPECT_EQ(tooLong.replay(), recordedMatch({playedRound(kFramesPerSecond, 1, 1)}, false));

    // Rounds cost a playback too (a score table, a countdown, a checksum): 18,000 of them are
    // all a file may ask for.
    ReplayRecorder tooMany(playedStart());
    for (int r = 0; r <= 18'000; ++r) {
        tooMany.decided(Decision::NextRound);
        tooMany.roundEnded({});
        tooMany.roundLeft();
    }
    EXPECT_TRUE(tooMany.stopped());
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(encodeReplay(tooMany.replay()), read, error)) << error;
    EXPECT_EQ(read.rounds.size(), 18'000u);
    EXPECT_EQ(read.end, Decision::Closed);
    read.rounds.emplace_back();
    EXPECT_FALSE(decodeReplay(encodeReplay(read), read, error));
    EXPECT_EQ(error, "damaged: the match is longer than a replay can hold");

    // The largest meteorite showers: a frame costs a playback over ten times the usual; the
    // fourth round of 500,000 frames each goes past what a file may ask. The file the recorder
    // keeps is read; with the fourth round in it, it would not be.
    ReplayStart heavy = playedStart();
    heavy.settings.meteoriteValue = kMeteoriteValueMax;
    ReplayRecorder tooMuch(heavy);
    for (int r = 0; r < 4; ++r) {
        tooMuch.decided(Decision::NextRound);
        for (int f = 0; f < 500'000; ++f) tooMuch.frame({});
        tooMuch.roundEnded(playedResult(r));
        tooMuch.roundLeft();
    }
    EXPECT_TRUE(tooMuch.stopped());
    Replay kept;
    ASSERT_TRUE(decodeReplay(encodeReplay(tooMuch.replay()), kept, error)) << error;
    ASSERT_EQ(kept.rounds.size(), 3u);
    kept.rounds.push_back(kept.rounds[2]);
    EXPECT_FALSE(decodeReplay(encodeReplay(kept), kept, error));
    EXPECT_EQ(error, "damaged: the match is longer than a replay can hold");
}

// What a playback may cost depends on the settings and on the item keys: rounds of the
// largest COSMO2 explosions cost far more than plain ones, and a person pressing the item key
// all the time (who may fire an item whenever a box came) costs far more than one who never
// does. Each stops a recording the others keep whole.
TEST(ReplayRecorder, WhatAPlaybackMayCostDependsOnSettingsAndItemKeys) {
    const auto roundsKept = [](const ReplayStart& start, int rounds) {
        ReplayRecorder recorder(start);
        for (int r = 0; r < rounds; ++r) {
            recorder.decided(Decision::NextRound);
            recorder.roundEnded({});
            recorder.roundLeft();
        }
        return recorder.replay().rounds.size();
    };
    ReplayStart cosmo2 = playedStart();
    cosmo2.settings.explosionType = ExplosionCosmo2;
    cosmo2.settings.explosionValue[ExplosionCosmo2] = kCosmoValueMax;
    EXPECT_EQ(roundsKept(playedStart(), 400), 400u);
    EXPECT_EQ(roundsKept(cosmo2, 400), 305u);

    const auto stoppedBy = [](bool itemKeys) {
        ReplayRecorder recorder(playedStart());  // items on
        recorder.decided(Decision::NextRound);
        FrameInput press;
        press.setChange(slotKey(0, SlotKeyItem), KeyChange::Down);
        for (int f = 0; f < 2'000'000; ++f)
            recorder.frame(itemKeys && f % 10 == 0 ? press : FrameInput{});
        return recorder.stopped();
    };
    EXPECT_FALSE(stoppedBy(false));
    EXPECT_TRUE(stoppedBy(true));
}

}  // namespace
