// What is kept of a match when the program ends during it: every round whose frames are over,
// written before its round-end message, and the round in progress as far as it was played,
// marked cut short; playback checks the first and plays the second without checking it.

#include "platform/regular_file.h"
#include "replay/replay.h"
#include "shell/match_recording.h"
#include "tests/support/test_game.h"

namespace {

using Page = platform::ScriptedPlatform::PresentedPage;

// What a playback says on standard output; watched, whether it showed the verdict's two lines
// ("every round matched (1 round)", "round 2 cut short") under the last score table.
std::string playedBack(TestGame& ref, const std::string& path, bool watching, bool& twoLines) {
    platform::ScriptedPlatform viewer;
    viewer.onPresent = [&](const Page& page) {
        twoLines = twoLines || (shows(*ref, page.pixels.data(), "EVERY ROUND MATCHED (1 ROUND)",
                                      kCentred, 432, kTextTile) &&
                                shows(*ref, page.pixels.data(), "ROUND 2 CUT SHORT (NOT CHECKED)",
                                      kCentred, 456, kTextTile));
    };
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(checkReplay(path, watching, viewer), 0);
    return ::testing::internal::GetCapturedStdout();
}

struct Kept {
    Replay replay;
    std::vector<int> atMessage;  // rounds on disk as each round-end message showed
    std::string checked;         // what --check said
    bool watchedLines = false;
};

// The program on the scripted platform, four people who never press a key (their heads run
// into the walls within seconds), reacting to what it shows: Enter on the title, on every
// score table and on every round-end message; Pause ends it `pauseAfterMs` after the countdown
// of round `closeIn` began, or (pauseAfterMs 0) on the round-end message of round
// `closeIn - 1`.
Kept closeMatch(int closeIn, uint32_t pauseAfterMs) {
    TestGame ref;
    platform::ScriptedPlatform machine;
    const auto game = makeGame(machine);
    game->settingsPath = ref->settingsPath;
    game->recordPath = ref.dir + "/last_match.dvr";
    game->charBitmapName = ref->charBitmapName;
    enum class Sight { Other, Title, Table, Round, RoundEnd };
    Sight last = Sight::Other;
    int rounds = 0;
    Kept kept;
    machine.onPresent = [&](const Page& page) {
        const uint32_t now = uint32_t(page.atMicros / 1000);
        const auto sees = [&](const char* text, int x, int y) {
            return bool(shows(*ref, page.pixels.data(), text, x, y, kTextTile));
        };
        const Sight sight = sees("PUSH ENTER KEY TO NEXT ROUND", 96, 232)    ? Sight::RoundEnd
                            : sees("PUSH ESC KEY TO END", kCentred, 464)     ? Sight::Round
                            : sees("PUSH ENTER KEY TO START", kCentred, 368) ? Sight::Table
                            : sees("START", 250, 206)                        ? Sight::Title
                                                                             : Sight::Other;
        if (sight == last || sight == Sight::Other) return;
        last = sight;
        if (sight == Sight::Round) {
            if (++rounds == closeIn && pauseAfterMs > 0) {
                machine.keyPress(now + pauseAfterMs, key::Pause);
            }
            return;
        }
        if (sight == Sight::RoundEnd) {
            Replay onDisk;
            std::string error;
            const bool read = readReplayFile(game->recordPath, onDisk, error);
            kept.atMessage.push_back(read ? int(onDisk.rounds.size()) : -1);
        }
        const bool closeNow =
            sight == Sight::RoundEnd && rounds + 1 == closeIn && pauseAfterMs == 0;
        machine.keyPress(now + 100, closeNow ? key::Pause : key::Enter);
    };
    machine.quitWhenIdleAfter(600'000);
    EXPECT_EQ(runGame(*game, ""), 0);
    std::string error;
    EXPECT_TRUE(readReplayFile(game->recordPath, kept.replay, error)) << error;
    bool unused = false;
    kept.checked = playedBack(ref, game->recordPath, false, unused);
    playedBack(ref, game->recordPath, true, kept.watchedLines);
    return kept;
}

// Pause on "PUSH ENTER KEY TO NEXT ROUND" after round 1: the round was on disk as the message
// showed; its pause is kept as far as it went.
TEST(KeptMatch, ClosedOnTheRoundEndMessageTheRoundIsKept) {
    const Kept match = closeMatch(2, 0);
    const Replay& replay = match.replay;
    EXPECT_EQ(match.atMessage, std::vector<int>{1});
    ASSERT_EQ(replay.rounds.size(), 1u);
    EXPECT_FALSE(replay.rounds[0].cutShort);
    EXPECT_TRUE(replay.rounds[0].paused);
    EXPECT_EQ(replay.end, Decision::Closed);
    EXPECT_TRUE(match.checked.ends_with(": every round matched (1 round)\n")) << match.checked;
}

// Pause two seconds into round 2 (after its 3.6 s countdown): round 1 whole, round 2 kept as
// far as it was played; a playback checks round 1 and says round 2 was cut short, on standard
// output and on screen.
TEST(KeptMatch, ClosedInsideARoundEveryFinishedRoundAndTheCutOneAreKept) {
    const Kept match = closeMatch(2, 5600);
    const Replay& replay = match.replay;
    ASSERT_EQ(replay.rounds.size(), 2u);
    EXPECT_FALSE(replay.rounds[0].cutShort);
    EXPECT_TRUE(replay.rounds[1].cutShort);
    EXPECT_GT(replay.rounds[1].frames.count, 400u);  // two seconds of 4 ms frames, about
    EXPECT_LT(replay.rounds[1].frames.count, 600u);
    EXPECT_EQ(replay.end, Decision::Closed);
    EXPECT_TRUE(match.checked.ends_with(
        ": every round matched (1 round); round 2 cut short (not checked)\n"))
        << match.checked;
    EXPECT_TRUE(match.watchedLines);
}

}  // namespace

namespace {

// A match longer than a replay can hold (here rounds of the largest meteorite showers): the
// file keeps the rounds before the one that went past, and standard error says so once.
TEST(KeptMatch, AMatchLongerThanAReplayHoldsIsKeptUpToItsLastWholeRound) {
    TestGame test;
    Game& game = *test;
    game.play.settings.meteoritesOn = 1;
    game.play.settings.meteoriteValue = kMeteoriteValueMax;
    MatchRecording recording(game);
    ::testing::internal::CaptureStderr();
    for (int r = 0; r < 3; ++r) {
        recording.decided(Decision::NextRound);
        for (int f = 0; f < 1'000'000; ++f) recording.frame({});
        recording.roundEnded({});
        recording.roundLeft();
    }
    recording.decided(Decision::EndMatch);
    const std::string path = platform::absolutePath(game.recordPath);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "diraviru: the replay " + path +
                  " stops after round 1: the match is longer than a replay can hold\n");
    Replay replay;
    std::string error;
    ASSERT_TRUE(readReplayFile(game.recordPath, replay, error)) << error;
    EXPECT_EQ(replay.rounds.size(), 1u);
    EXPECT_EQ(replay.end, Decision::Closed);
}

}  // namespace
