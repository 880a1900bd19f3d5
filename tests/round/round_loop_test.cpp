// The round frame on the real field: stepping at the speed levels, trails, the crash test,
// ties in slot order, the item box square, and Esc.
#include <gtest/gtest.h>

#include <vector>

#include "items/item_box.h"
#include "shell/pacing.h"
#include "tests/round/round_checks.h"

using namespace roundtest;

TEST(FrameCounters, RunThroughTheirLevelsAndAreNeverResetByARound) {
    TestGame test;
    Game& game = *test;
    std::vector<int32_t> counter1;
    std::vector<int32_t> counter2;
    for (int frame = 0; frame < 6; ++frame) {
        advanceFrameCounters(game.match);
        EXPECT_EQ(game.match.frameCounters[0], 0);
        counter1.push_back(game.match.frameCounters[1]);
        counter2.push_back(game.match.frameCounters[2]);
    }
    EXPECT_EQ(counter1, (std::vector<int32_t>{1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(counter2, (std::vector<int32_t>{1, 2, 0, 1, 2, 0}));
    for (int frame = 0; frame < 4; ++frame) advanceFrameCounters(game.match);
    EXPECT_EQ(game.match.frameCounters[4], 0);  // 10 advances: 10 mod 5
    EXPECT_EQ(game.match.frameCounters[3], 2);  // 10 mod 4

    game.match.frameCounters = {0, 1, 2, 3, 4};
    game.players.type = {C, C, N, N};
    startRound(game);
    EXPECT_EQ(game.match.frameCounters, (std::array<int32_t, 5>{0, 1, 2, 3, 4}));
}

TEST(RoundLoop, HeadsStepAtTheirSpeedLevelsAndLeaveTrails) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.players.speedLevel[0] = 0;  // 1P every frame; 2P keeps the start level 2
    std::vector<int> framesWith2PStep;
    for (int frame = 0; frame < 30; ++frame) {
        const float before = game.players.y[1];
        ASSERT_FALSE(playRoundFrame(game));
        EXPECT_EQ(game.players.x[0], 50.0f + frame + 1) << "frame " << frame;
        if (game.players.y[1] != before) framesWith2PStep.push_back(frame);
    }
    ASSERT_EQ(framesWith2PStep.size(), 10u);
    for (size_t i = 1; i < framesWith2PStep.size(); ++i) {
        EXPECT_EQ(framesWith2PStep[i] - framesWith2PStep[i - 1], 3);
    }
    EXPECT_EQ(game.players.y[1], 92.0f);
    EXPECT_EQ(game.players.x[1], 589.0f);
    // The trails are the heads of successive frames, on the shown page itself.
    EXPECT_EQ(game.screen.FieldPixels, game.screen.Pixels(SurfacePrimary));
    // 1P stepped off its start pixel in the first frame, before any head was drawn on
    // the round's page.
    EXPECT_EQ(countPixels(game.screen, SurfacePrimary, 51, 82, 80, 82, playerColour[0]), 30);
    EXPECT_EQ(countPixels(game.screen, SurfacePrimary, 589, 82, 589, 92, playerColour[1]), 11);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, 81, 33, 588, 414), 0);
    EXPECT_TRUE(game.players.alive[0] && game.players.alive[1]);
}

TEST(RoundLoop, AStepInsideTheSamePixelRunsNoTestAndRedrawsTheHead) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});
    nextFrameStepsAll(game);
    // At 30 degrees a step of (0.866, -0.5) from (100.1, 200.9) stays in pixel (100, 200).
    placeHead(game, 0, 100.1f, 200.9f, 30);
    fieldAt(game, 100, 200) = meteorColour;  // solid: a test would crash the head
    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.pixelX[0], 100);
    EXPECT_EQ(game.players.pixelY[0], 200);
    EXPECT_EQ(game.players.alive[0], 1);
    EXPECT_EQ(fieldAt(game, 100, 200), playerColour[0]);

    // The same solid pixel entered from its neighbour kills.
    nextFrameStepsAll(game);
    placeHead(game, 0, 99.5f, 200.5f, 0);
    fieldAt(game, 100, 200) = meteorColour;
    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[0], 0);
    EXPECT_EQ(fieldAt(game, 100, 200), meteorColour);  // a crashed head is not drawn
}

TEST(RoundLoop, TheFrameAndTrailsKill) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, M});
    game.players.speedLevel = {0, 0, 0, 0};
    placeHead(game, 3, 400.5f, 250.5f, 180);  // keeps the round going
    placeHead(game, 0, 637.5f, 100.5f, 0);    // two steps from the right frame
    placeHead(game, 1, 300.5f, 413.5f, 270);  // two steps from the bottom frame
    placeHead(game, 2, 200.5f, 150.5f, 0);    // toward 2P's colour at (203, 150)
    fieldAt(game, 203, 150) = playerColour[1];

    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_TRUE(game.players.alive[0] && game.players.alive[1] && game.players.alive[2]);
    EXPECT_EQ(fieldAt(game, 638, 100), playerColour[0]);
    EXPECT_EQ(fieldAt(game, 300, 414), playerColour[1]);

    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[0], 0);
    EXPECT_EQ(game.players.alive[1], 0);
    EXPECT_EQ(game.players.alive[2], 1);
    EXPECT_EQ(fieldAt(game, 639, 100), ColourFrame);
    EXPECT_EQ(fieldAt(game, 300, 415), ColourFrame);

    test.machine.keyPress(game.platform->ticks() + 50, key::Enter);  // past the round's end
    ASSERT_TRUE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[2], 0);
    EXPECT_EQ(fieldAt(game, 203, 150), playerColour[1]);
}

TEST(RoundLoop, TiesGoInSlotOrder) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.players.speedLevel = {0, 0, 0, 0};
    // Both heads step into the empty pixel (201, 300) in the same frame: both live, and
    // the pixel holds the colour of the higher slot, drawn last.
    placeHead(game, 0, 200.5f, 300.5f, 0);
    placeHead(game, 1, 202.5f, 300.5f, 180);
    drawHeads(game);  // as the frame before would have left them
    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[0], 1);
    EXPECT_EQ(game.players.alive[1], 1);
    EXPECT_EQ(fieldAt(game, 201, 300), playerColour[1]);
    // A head entering the pixel where another head stood a frame ago crashes there.
    test.machine.keyPress(game.platform->ticks() + 50, key::Enter);  // past the round's end
    ASSERT_TRUE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[0], 0);
    EXPECT_EQ(game.players.alive[1], 0);
}

TEST(RoundLoop, TheItemBoxSquareIsTakenNotCrashedInAndOnlyByTheLowerSlot) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.players.speedLevel = {0, 0, 0, 0};
    game.itemBox = ItemBox{ItemWarp, 300, 200};
    game.screen.PutGlyph(SurfacePrimary, 'W', 300, 200);
    // 1P enters the square on a solid glyph pixel; 2P enters it in the same frame.
    int glyphX = -1;
    for (int x = 300; x < 316 && glyphX < 0; ++x) {
        if (fieldAt(game, x, 208) != 0) glyphX = x;
    }
    ASSERT_GE(glyphX, 300);
    placeHead(game, 0, glyphX - 0.5f, 208.5f, 0);
    placeHead(game, 1, 310.5f, 199.5f, 270);
    ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.alive[0], 1);
    EXPECT_EQ(game.players.itemCount[0], 1);
    EXPECT_EQ(game.players.items[0][0], ItemWarp);
    EXPECT_EQ(game.itemBox.itemKind, ItemNone);
    // The box was gone for 2P, which got the normal test on the blanked square and lives.
    EXPECT_EQ(game.players.alive[1], 1);
    EXPECT_EQ(game.players.itemCount[1], 0);
}

TEST(RoundLoop, EscAbandonsTheRoundWithoutTheSurvivorBonus) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});  // scoreRate 1.5
    game.match.time = 5;
    nextFrameStepsAll(game);
    placeHead(game, 0, 638.5f, 100.5f, 0);
    game.keyboard.keyDown[key::Esc] = 1;
    EXPECT_TRUE(playRoundFrame(game));
    EXPECT_EQ(game.keyboard.keyDown[key::Esc], 0);
    EXPECT_EQ(game.players.score, (std::array<int32_t, 4>{7, 0, 0, 0}));  // trunc(5 * 1.5)

    // The whole loop: a scripted Esc half a second in ends it, nobody paid.
    TestGame second;
    Game& other = *second;
    setUpRound(second, {M, M, N, N});
    const uint32_t escAt = other.platform->ticks() + 500;
    second.machine.keyPress(escAt, key::Esc);
    runRound(other);
    EXPECT_GE(other.platform->ticks(), escAt);
    EXPECT_EQ(other.players.alive[0] + other.players.alive[1], 2);
    EXPECT_EQ(other.players.score, (std::array<int32_t, 4>{0, 0, 0, 0}));
}
