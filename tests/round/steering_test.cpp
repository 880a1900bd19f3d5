// Human keys and the computer's look-ahead steering, on the real field.
#include "tests/round/round_checks.h"

using namespace roundtest;

// Steps to the first solid pixel; blocked ahead, turn 30 to the freer side, equal: comTurnSide.
TEST(ComputerSteering, LooksAheadAndTurnsTowardTheFreerSide) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {C, C, N, N});
    placeHead(game, 0, 100.0f, 200.0f, 0);
    // Column, limit, result: a side look (limit 15) stops at step 14; the own pixel is no obstacle.
    const int cases[][3] = {{110, 16, 10}, {115, 16, 15}, {115, 15, kLookClear},
                            {116, 16, kLookClear}, {100, 16, kLookClear}};
    for (const auto& [column, limit, expected] : cases) {
        fieldAt(game, column, 200) = ColourFrame;
        EXPECT_EQ(lookAhead(game, 0, 0, limit), expected) << column << " " << limit;
        fieldAt(game, column, 200) = 0;
    }
    fieldAt(game, 105, 200) = ColourFrame;
    for (const int32_t side : {1, 0}) {
        placeHead(game, 0, 100.5f, 200.5f, 0);
        game.players.comTurnSide[0] = side;
        steerComputer(game, 0);
        EXPECT_EQ(game.players.direction[0], side == 1 ? 30 : 330);
    }
    // Out of the top right corner: right at every step, though comTurnSide says left.
    game.players.speedLevel[0] = 0;
    game.players.comTurnSide[0] = 1;
    placeHead(game, 0, 626.5f, 36.5f, 0);
    for (const int32_t heading : {330, 300, 300, 300}) {
        ASSERT_FALSE(playRoundFrame(game));
        EXPECT_EQ(game.players.direction[0], heading);
    }
}

// Scripted keys: each slot's own turn keys turn it 30 degrees at its next step (both cancel), a
// press before the countdown or a tap between steps does nothing, a held key turns only once.
TEST(HumanSteering, ScriptedKeysTurnEachHeadAtItsNextStep) {
    TestGame test;
    Game& game = *test;
    game.keyboard.keyDown['Z'] = 1;
    setUpRound(test, {M, M, M, M});
    game.settings.wait = 1;  // 4 ms frames; all heads step in every third frame
    const auto untilStep = [&] {
        const float x = game.players.x[0], y = game.players.y[0];
        while (game.players.x[0] == x && game.players.y[0] == y) playRoundFrame(game);
    };
    untilStep();
    test.machine.keyPress(game.platform->ticks() + 1, 'Z', 1);
    untilStep();
    EXPECT_EQ(game.players.direction, (std::array<int32_t, kSlots>{0, 270, 90, 180}));
    const uint32_t at = game.platform->ticks() + 1;
    // Held: 1P Z (right); 2P M (right); 3P Left, Right and Down (item); 4P keypad 3 (left).
    for (const int key : {0x5A, 0x4D, 0x25, 0x27, 0x28, 0x63}) test.machine.keyDown(at, key);
    const float y = game.players.y[0];
    untilStep();
    EXPECT_EQ(game.players.direction, (std::array<int32_t, kSlots>{330, 240, 90, 210}));
    EXPECT_EQ(game.players.y[0], y);  // the step that read the key still went right
    EXPECT_EQ(game.keyboard.keyDown[0x28], 0);  // 3P's item key, nothing held: used up
    untilStep();
    EXPECT_EQ(game.players.y[0], y + 0.5f);  // the turn shows from this step
    EXPECT_EQ(game.players.direction[0], 330);  // held, no auto-repeat: one turn
}
