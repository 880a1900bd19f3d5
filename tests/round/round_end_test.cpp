// The round clock with its wrap, WAIT changes at the limits, and the end of a round:
// crash pay, the survivor bonus, the message and the pause.
#include <gtest/gtest.h>

#include "tests/round/round_checks.h"

using namespace roundtest;

namespace {

constexpr int kHeaderY = 16;
constexpr int kWaitX = 256;
constexpr int kTimeX = 416;
constexpr int kHeaderTile = 8;

// Blanks a header field on the shown page, so that a redraw is seen.
void blankHeaderField(Game& game, int x, int cells) {
    game.screen.FillBox(SurfacePrimary, x, kHeaderY, 16 * cells, 16, game.screen.PaletteRgb(0));
}

// Sends 1P into the right frame in the next frame.
void crashNextFrame(Game& game, int slot, float y) {
    nextFrameStepsAll(game);
    placeHead(game, slot, 638.5f, y, 0);
}

}  // namespace

TEST(RoundClock, CountsWholeSecondsAcrossTheTickWrap) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    test.machine.setTicks(UINT32_MAX - 400);
    game.match.secondStamp = game.platform->ticks();
    game.match.time = 41;
    blankHeaderField(game, kTimeX, 5);

    test.machine.advance(999);
    updateRoundTime(game);
    EXPECT_EQ(game.match.time, 41);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, kTimeX, 16, kTimeX + 79, 31), 0);

    test.machine.advance(1);  // 1000 ms since the stamp, the tick count now past 2^32
    ASSERT_LT(game.platform->ticks(), 1000u);
    updateRoundTime(game);
    EXPECT_EQ(game.match.time, 42);
    EXPECT_EQ(game.match.secondStamp, game.platform->ticks());
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "00042", kTimeX, kHeaderY, 16, kHeaderTile));

    test.machine.advance(5000);  // a long frame still counts one second only
    updateRoundTime(game);
    EXPECT_EQ(game.match.time, 43);
    updateRoundTime(game);
    EXPECT_EQ(game.match.time, 43);
}

TEST(WaitChange, PageDownSlowsAndPageUpSpeedsUpRedrawingEvenAtTheLimits) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    auto& keys = game.keyboard.keyDown;
    struct Case {
        int32_t before;
        int key;
        int32_t after;
        const char* shown;
    };
    const Case cases[] = {
        {5, key::PageDown, 6, "006"},
        {5, key::PageUp, 4, "004"},
        {999, key::PageDown, 999, "999"},
        {0, key::PageUp, 0, "000"},
    };
    for (const Case& c : cases) {
        game.settings.wait = c.before;
        blankHeaderField(game, kWaitX, 3);
        keys[c.key] = 1;
        adjustWait(game);
        EXPECT_EQ(game.settings.wait, c.after);
        EXPECT_EQ(keys[c.key], 0);
        EXPECT_TRUE(textShownAt(game, SurfacePrimary, c.shown, kWaitX, kHeaderY, 16, kHeaderTile));
    }
    // Both together: no change, still redrawn. Neither: nothing drawn.
    game.settings.wait = 7;
    keys[key::PageDown] = keys[key::PageUp] = 1;
    blankHeaderField(game, kWaitX, 3);
    adjustWait(game);
    EXPECT_EQ(game.settings.wait, 7);
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "007", kWaitX, kHeaderY, 16, kHeaderTile));
    blankHeaderField(game, kWaitX, 3);
    adjustWait(game);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, kWaitX, 16, kWaitX + 47, 31), 0);
}

TEST(RoundEnd, TwoPlayersCrashAtSevenPaysFourteenAndTheSurvivorGetsOneHundredSeventeen) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    EXPECT_EQ(game.match.scoreRate, 2.0f);
    game.match.time = 7;
    crashNextFrame(game, 0, 100.5f);
    game.players.speedLevel[1] = 0;
    placeHead(game, 1, 300.5f, 200.5f, 270);
    // An Enter still down when the pause starts does not end it; the one at +1500 ms does.
    game.keyboard.keyDown[key::Enter] = 1;
    const uint32_t enterAt = game.platform->ticks() + 1500;
    test.machine.keyPress(enterAt, key::Enter);
    EXPECT_TRUE(playRoundFrame(game));
    EXPECT_GE(game.platform->ticks(), enterAt);
    EXPECT_EQ(game.players.score[0], 14);   // trunc(7 * 2.0)
    EXPECT_EQ(game.players.score[1], 117);  // trunc(7 * 2.5) + 100
    EXPECT_EQ(game.match.time, 7);          // the clock stands still in the pause
    // Nothing stepped during the pause: 2P is one step on from where it was placed.
    EXPECT_EQ(game.players.y[1], 201.5f);
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "PUSH ENTER KEY TO NEXT ROUND", 96, 232, 16, 7));
}

TEST(RoundEnd, ThreePlayersCrashAtThreePaysFourAndTheRoundGoesOn) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});
    EXPECT_EQ(game.match.scoreRate, 1.5f);
    game.match.time = 3;
    crashNextFrame(game, 0, 100.5f);
    EXPECT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.score, (std::array<int32_t, 4>{4, 0, 0, 0}));  // trunc(3 * 1.5)
    EXPECT_EQ(game.match.scoreRate, 2.0f);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, 96, 232, 543, 247), 0);  // no message
}

TEST(RoundEnd, LastTwoCrashingInOneFrameGetNoBonusAndExplosionsGoOnInThePause) {
    TestGame test;
    Game& game = *test;
    game.settings.explosionType = ExplosionCosmo;
    setUpRound(test, {M, M, N, N});
    game.match.time = 7;
    crashNextFrame(game, 0, 100.5f);
    placeHead(game, 1, 638.5f, 300.5f, 0);
    test.machine.keyPress(game.platform->ticks() + 300, key::Enter);
    EXPECT_TRUE(playRoundFrame(game));
    // The lower slot paid at the lower rate, nobody got the bonus.
    EXPECT_EQ(game.players.score[0], 14);  // trunc(7 * 2.0)
    EXPECT_EQ(game.players.score[1], 17);  // trunc(7 * 2.5)
    EXPECT_EQ(game.match.scoreRate, 3.0f);
    // The explosions were ticked through the pause, not only in the crash frame.
    EXPECT_GT(game.players.explosionAge[0], 10);
    EXPECT_GT(game.players.explosionAge[1], 10);
}
