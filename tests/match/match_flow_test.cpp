// The score table, and whole matches of computer players on the scripted platform.
#include <cmath>
#include <vector>

#include "tests/round/round_checks.h"

using namespace roundtest;

namespace {

int32_t paid(int32_t time, double rate) { return static_cast<int32_t>(std::trunc(time * rate)); }

// Two computer players; Enter on the score table (no field frame) and at the end pause, Esc
// after `rounds` rounds. Each table checks the round before: the first crash got time x 2.0,
// the other time x 2.5, + 100 if it survived.
void playPaidMatch(TestGame& test, int rounds) {
    Game& game = *test;
    const Players& p = game.players;
    game.players.type = {C, C, N, N};
    std::array<int32_t, kSlots> before{};
    int checked = 0;
    uint64_t quietUntil = 0;
    test.machine.quitWhenIdleAfter(600'000);  // a script that ran out ends in a Quit
    test.machine.onPresent = [&](const platform::ScriptedPlatform::PresentedPage& page) {
        const bool table = page.pixels[32 * kScreenWidth] != ColourFrame;
        if (table && game.match.round > checked) {
            const int first = p.alive[0] == 0 ? 0 : 1;  // the lower slot when both crashed
            const int32_t time = game.match.time, bonus = p.alive[1 - first] != 0 ? 100 : 0;
            EXPECT_EQ(p.score[first] - before[first], paid(time, 2.0)) << "round " << checked;
            EXPECT_EQ(p.score[1 - first] - before[1 - first], paid(time, 2.5) + bonus);
            before = p.score;
            ++checked;
        }
        const uint64_t now = test.machine.nowMicros();
        if ((!table && p.inPlay(0) && p.inPlay(1)) || now < quietUntil) return;
        const bool last = table && game.match.round >= rounds;
        test.machine.keyPress(static_cast<uint32_t>(now / 1000) + 40, last ? key::Esc : key::Enter);
        quietUntil = now + 300'000;
    };
    EXPECT_NO_THROW(runMatch(game)) << "the match did not end within the script";
    test.machine.onPresent = nullptr;
    EXPECT_EQ(checked, rounds);
}

}  // namespace

// Four rounds paid by the rules; the same seed and script give the same last page and scores.
TEST(MatchScenario, ComputerPlayersArePaidByTheRulesAndTheSameScriptReplays) {
    std::vector<uint8_t> lastPage[2];
    std::array<int32_t, kSlots> scores[2];
    for (int run = 0; run < 2; ++run) {
        TestGame test;
        playPaidMatch(test, 4);
        scores[run] = test->players.score;
        EXPECT_GT(scores[run][0] + scores[run][1], 300);  // rounds of some length, mostly won
        lastPage[run] = test.machine.lastPage().pixels;
    }
    EXPECT_EQ(scores[0], scores[1]);
    EXPECT_TRUE(lastPage[0] == lastPage[1]);
}

// One line per present player with keys, score and rank: equal scores share a rank and the
// next one skips; NON slots are left out of the list and of the ranking.
TEST(ScoreTable, ShowsEachPlayersScoreAndRankWithTies) {
    TestGame test;
    Game& game = *test;
    game.players.type = {M, N, C, M};
    game.players.score = {500, 9999, 200, 500};
    game.match.round = 4;
    drawScoreTable(game);
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "ROUND 5", -1, 100, 32, -1));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "PLAYER KEY SCORE   RANK", -1, 184, 16, 7));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "1P     QAZ 0000500 1   ", -1, 216, 16, 1));
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, 0, 248, 639, 263), 0);  // 2P's line: NON
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "3P     \"#$ 0000200 3   ", -1, 280, 16, 3));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "4P     369 0000500 1   ", -1, 312, 16, 4));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "PUSH ENTER KEY TO START", -1, 368, 16, 7));
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "PUSH ESC KEY TO END", -1, 400, 16, 7));
}
