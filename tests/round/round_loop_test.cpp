// The round frame on the real field: stepping, trails, the crash test and ties.
#include "tests/round/round_checks.h"

using namespace roundtest;

// Level k steps in one frame of every k + 1, a unit along the heading (1P right, 2P down,
// 3P up), leaving a trail.
TEST(RoundLoop, HeadsStepAtTheirSpeedLevelsAndLeaveTrails) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "ROUND 01  WAIT 000  TIME 00000", 16, 16, 16, 8));
    game.players.speedLevel = {0, 1, 2, 2};
    const SurfaceId shown = SurfacePrimary;
    for (int frame = 1; frame <= 30; ++frame) {
        ASSERT_FALSE(playRoundFrame(game));
        if (frame % 6 != 0) continue;
        EXPECT_EQ(countPixels(game.screen, shown, 51, 82, 638, 82, playerColour[0]), frame);
        EXPECT_EQ(countPixels(game.screen, shown, 589, 83, 589, 414, playerColour[1]), frame / 2);
        EXPECT_EQ(countPixels(game.screen, shown, 50, 33, 50, 364, playerColour[2]), frame / 3);
    }
    EXPECT_EQ(countSolid(game.screen, shown, 81, 33, 588, 414), 0);
}

// A step in the same pixel runs no test and redraws; a trail kills; two heads entering one
// empty pixel both live (higher slot's colour shows); a frame's crashes are paid in slot order.
TEST(RoundLoop, TrailsKillAndTiesGoInSlotOrder) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, M});
    game.match.time = 7;  // rate 1.0, and 0.5 more after each crash
    game.players.speedLevel = {0, 0, 0, 0};
    placeHead(game, 0, 100.1f, 200.9f, 30);  // the step (0.866, -0.5) stays in (100, 200)
    placeHead(game, 1, 200.5f, 150.5f, 0);   // into a trail of 3P
    placeHead(game, 2, 300.5f, 300.5f, 0);   // 3P and 4P both into the empty (301, 300)
    placeHead(game, 3, 302.5f, 300.5f, 180);
    drawHeads(game);  // as the frame before left them
    fieldAt(game, 100, 200) = meteorColour;
    fieldAt(game, 201, 150) = playerColour[2];
    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive, (std::array<int32_t, 4>{1, 0, 1, 1}));
    EXPECT_EQ(fieldAt(game, 100, 200), playerColour[0]);
    EXPECT_EQ(fieldAt(game, 201, 150), playerColour[2]);  // a crashed head is not drawn
    EXPECT_EQ(fieldAt(game, 301, 300), playerColour[3]);
    // 3P and 4P each enter the pixel where the other stood a frame ago; 1P is left.
    test.machine.keyPress(game.platform->ticks() + 50, key::Enter);
    ASSERT_TRUE(playRoundFrame(game));
    EXPECT_EQ(game.players.score, (std::array<int32_t, 4>{117, 7, 10, 14}));
}
