// Human keys and the computer's look-ahead steering, on the real field.
#include <gtest/gtest.h>

#include "tests/round/round_checks.h"

using namespace roundtest;

TEST(Turning, IsThirtyDegreesKeptWithinAFullCircle) {
    EXPECT_EQ(turnedLeft(0), 30);
    EXPECT_EQ(turnedLeft(330), 0);
    EXPECT_EQ(turnedLeft(350), 20);
    EXPECT_EQ(turnedRight(0), 330);
    EXPECT_EQ(turnedRight(20), 350);
    EXPECT_EQ(turnedRight(30), 0);
}

TEST(LookAhead, CountsUnitStepsToTheFirstSolidPixel) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {C, C, N, N});
    placeHead(game, 0, 100.0f, 200.0f, 0);
    EXPECT_EQ(lookAhead(game, 0, 0, 16), kLookClear);
    fieldAt(game, 110, 200) = ColourFrame;
    EXPECT_EQ(lookAhead(game, 0, 0, 16), 10);
    fieldAt(game, 110, 200) = 0;
    fieldAt(game, 115, 200) = ColourFrame;
    EXPECT_EQ(lookAhead(game, 0, 0, 16), 15);
    EXPECT_EQ(lookAhead(game, 0, 0, 15), kLookClear);  // a side look stops at 14
    fieldAt(game, 115, 200) = 0;
    fieldAt(game, 116, 200) = ColourFrame;
    EXPECT_EQ(lookAhead(game, 0, 0, 16), kLookClear);
    // The head's own pixel never counts.
    fieldAt(game, 100, 200) = ColourFrame;
    EXPECT_EQ(lookAhead(game, 0, 0, 16), kLookClear);

    // Side looks: along 30 degrees to the left the fifth step is (104.33, 197.5).
    fieldAt(game, 104, 197) = meteorColour;
    EXPECT_EQ(lookAhead(game, 0, 30, 15), 5);
    EXPECT_EQ(lookAhead(game, 0, -30, 15), kLookClear);
    // From heading 340 the offset +30 wraps to 10 degrees, -30 from 10 to 340.
    game.players.direction[0] = 340;
    EXPECT_EQ(lookAhead(game, 0, 30, 15), kLookClear);
    game.players.direction[0] = 10;
    fieldAt(game, 109, 203) = meteorColour;  // 10 steps along 340: (109.40, 203.42)
    EXPECT_EQ(lookAhead(game, 0, -30, 15), 10);
}

TEST(ComputerSteering, TurnsTowardTheFreerSideAndByTurnSideWhenEqual) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {C, C, N, N});
    // A wall 10 steps ahead; a block on one side decides the turn.
    for (int y = 150; y <= 250; ++y) fieldAt(game, 310, y) = ColourFrame;
    const auto sideBlock = [&](int offset) {
        const int a = offset < 0 ? 330 : 30;
        return std::pair<int, int>{static_cast<int>(300.5f + game.directions.dirX[a] * 5),
                                   static_cast<int>(200.5f + game.directions.dirY[a] * 5)};
    };
    const auto steerWithBlock = [&](int offset, int32_t turnSide) {
        const auto [bx, by] = sideBlock(offset);
        fieldAt(game, bx, by) = meteorColour;
        placeHead(game, 0, 300.5f, 200.5f, 0);
        game.players.comTurnSide[0] = turnSide;
        game.players.comStraightCount[0] = 7;
        steerComputer(game, 0);
        fieldAt(game, bx, by) = 0;
        return game.players.direction[0];
    };
    EXPECT_EQ(steerWithBlock(-30, 0), 30);   // right side blocked sooner: turn left
    EXPECT_EQ(game.players.comStraightCount[0], 0);
    EXPECT_EQ(steerWithBlock(+30, 1), 330);  // left side blocked sooner: turn right

    // Equal sides: comTurnSide decides, 1 left and 0 right.
    for (int y = 150; y <= 250; ++y) fieldAt(game, 310, y) = 0;
    fieldAt(game, 305, 200) = ColourFrame;  // blocked ahead, both sides clear
    const Random before = game.random;
    placeHead(game, 0, 300.5f, 200.5f, 0);
    game.players.comTurnSide[0] = 1;
    steerComputer(game, 0);
    EXPECT_EQ(game.players.direction[0], 30);
    placeHead(game, 0, 300.5f, 200.5f, 0);
    game.players.comTurnSide[0] = 0;
    steerComputer(game, 0);
    EXPECT_EQ(game.players.direction[0], 330);
    EXPECT_EQ(game.random.state, before.state);  // a blocked way draws no random number
}

TEST(ComputerSteering, GetsOutOfACornerTurningAtEveryStep) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {C, C, N, N});
    game.players.speedLevel[0] = 0;
    placeHead(game, 0, 626.5f, 45.5f, 0);  // heading into the top right corner
    int turns = 0;
    for (int frame = 0; frame < 40; ++frame) {
        const int32_t before = game.players.direction[0];
        const bool blocked = lookAhead(game, 0, 0, 16) != kLookClear;
        ASSERT_FALSE(playRoundFrame(game));
        const int32_t after = game.players.direction[0];
        const int32_t change = (after - before + 360) % 360;
        if (change != 0) {
            EXPECT_TRUE(change == 30 || change == 330) << change;
            ++turns;
        }
        // The look that decides is made after the step; a way blocked within reach before
        // it is still blocked after one unit step toward it, so the head turns.
        if (blocked && frame < 3) {
            EXPECT_NE(change, 0) << "frame " << frame;
        }
    }
    EXPECT_GE(turns, 3);
    EXPECT_EQ(game.players.alive[0], 1);
    EXPECT_EQ(lookAhead(game, 0, 0, 16), kLookClear);
}

TEST(ComputerSteering, TurnsAtRandomOnceInFiftyOneAndRedrawsTheSideAfterFiftyClearSteps) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {C, C, N, N});
    int randomTurns = 0;
    int redraws = 0;
    for (int call = 0; call < 3000; ++call) {
        placeHead(game, 0, 300.5f, 200.5f, 0);  // clear field all round
        Random probe = game.random;
        int32_t count = game.players.comStraightCount[0];
        int32_t side = game.players.comTurnSide[0];
        int32_t expected = 0;
        if (probe.randomRange(0, 50) == 0) {
            side = probe.randomRange(0, 1);
            expected = side == 1 ? 30 : 330;  // both sides clear: comTurnSide decides
            count = 0;
            ++randomTurns;
        } else if (++count == 50) {
            count = 0;
            side = probe.randomRange(0, 1);
            ++redraws;
        }
        steerComputer(game, 0);
        ASSERT_EQ(game.players.direction[0], expected) << "call " << call;
        ASSERT_EQ(game.players.comStraightCount[0], count) << "call " << call;
        ASSERT_EQ(game.players.comTurnSide[0], side) << "call " << call;
        ASSERT_EQ(game.random.state, probe.state) << "call " << call;
    }
    EXPECT_GT(randomTurns, 30);  // about 59 expected
    EXPECT_LT(randomTurns, 95);
    EXPECT_GT(redraws, 0);
}

TEST(HumanSteering, KeysTurnAndAreUsedUp) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, M});
    auto& keys = game.keyboard.keyDown;
    keys['Q'] = 1;
    steerHuman(game, 0);
    EXPECT_EQ(game.players.direction[0], 30);
    EXPECT_EQ(keys['Q'], 0);
    keys['Z'] = 1;
    steerHuman(game, 0);
    keys['Z'] = 1;
    steerHuman(game, 0);
    EXPECT_EQ(game.players.direction[0], 330);
    keys['Q'] = 1;
    keys['Z'] = 1;
    steerHuman(game, 0);  // both: left then right, no net turn
    EXPECT_EQ(game.players.direction[0], 330);
    EXPECT_EQ(keys['Q'] + keys['Z'], 0);

    // Each slot reads its own keys only.
    keys[key::Left] = 1;
    keys[0x69] = 1;  // numeric keypad 9: 4P's right turn
    steerHuman(game, 1);
    EXPECT_EQ(game.players.direction[1], 270);
    steerHuman(game, 2);
    steerHuman(game, 3);
    EXPECT_EQ(game.players.direction[2], 120);
    EXPECT_EQ(game.players.direction[3], 150);

    // The item key with nothing held is used up and does nothing: no flash.
    const uint64_t presents = test.machine.presentCount();
    keys['A'] = 1;
    steerHuman(game, 0);
    EXPECT_EQ(keys['A'], 0);
    EXPECT_EQ(game.players.itemCount[0], 0);
    EXPECT_EQ(test.machine.presentCount(), presents);
    // With an item held it fires the top one: SPEED UP lowers the speed level.
    game.players.items[0][0] = ItemSpeedUp;
    game.players.itemCount[0] = 1;
    keys['A'] = 1;
    steerHuman(game, 0);
    EXPECT_EQ(game.players.itemCount[0], 0);
    EXPECT_EQ(game.players.speedLevel[0], 1);
}

TEST(HumanSteering, AScriptedKeyTurnsTheHeadAtItsNextStep) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, C, N, N});
    game.settings.wait = 1;  // 4 ms frames
    // Run to a frame in which 1P has just stepped.
    while (true) {
        const float before = game.players.x[0];
        ASSERT_FALSE(playRoundFrame(game));
        if (game.players.x[0] != before) break;
    }
    // A tap that goes down and up before 1P's next step changes nothing.
    const uint32_t now = game.platform->ticks();
    test.machine.keyPress(now + 1, 'Z', 1);
    for (int frame = 0; frame < 3; ++frame) ASSERT_FALSE(playRoundFrame(game));
    EXPECT_EQ(game.players.direction[0], 0);

    // Q held down: turns left at the next step, once (no auto-repeat in the script).
    test.machine.keyDown(game.platform->ticks() + 1, 'Q');
    float lastX = game.players.x[0];
    float lastY = game.players.y[0];
    int steps = 0;
    while (steps < 3) {
        ASSERT_FALSE(playRoundFrame(game));
        if (game.players.x[0] == lastX && game.players.y[0] == lastY) continue;
        ++steps;
        if (steps == 1) {
            // The turning step itself still went right; the turn shows at the next.
            EXPECT_EQ(game.players.y[0], lastY);
            EXPECT_EQ(game.players.direction[0], 30);
        } else {
            EXPECT_EQ(game.players.y[0], lastY - 0.5f);
            EXPECT_EQ(game.players.direction[0], 30);
        }
        lastX = game.players.x[0];
        lastY = game.players.y[0];
    }
    EXPECT_EQ(game.keyboard.keyDown['Q'], 0);
    EXPECT_EQ(game.players.alive[0], 1);
}
