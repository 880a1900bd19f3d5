// A match played on a pad alone: the south button starts the round from the score table, the
// pad steers 1P in the round, Back abandons the round and then ends the match.
#include <gtest/gtest.h>

#include "match/match.h"
#include "shell/game.h"
#include "shell/pacing.h"
#include "tests/support/test_game.h"

using platform::PadButton;

TEST(PadMatch, APadAloneStartsSteersAndEndsAMatch) {
    TestGame test;
    Game& game = *test;
    auto& machine = test.machine;
    installScreenWaitHook(game);
    game.players.type = {PlayerMan, PlayerCom, PlayerNon, PlayerNon};
    game.settings.itemsOn = 0;
    const uint32_t t = game.platform->ticks();
    machine.padPress(t + 100, 0, PadButton::Fire);       // Enter on the score table
    machine.padPress(t + 100 + 3600 + 300, 0, PadButton::Left);   // in the round: Q
    machine.padPress(t + 100 + 3600 + 600, 0, PadButton::Back);   // Esc: abandon the round
    machine.padPress(t + 100 + 3600 + 1000, 0, PadButton::Back);  // Esc: end the match
    machine.quitWhenIdleAfter(t + 60000);
    runMatch(game);
    EXPECT_EQ(game.match.round, 1);
    EXPECT_EQ(game.players.direction[0], 30);
    EXPECT_FALSE(game.roundRunning);
}
