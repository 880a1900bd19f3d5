// Item rules that a whole match seldom shows: a full stack, SPEED UP at the top speed, WARP
// on a full field, CHANGE with nobody to change with.
#include "items/item_box.h"
#include "items/item_effects.h"
#include "tests/support/test_game.h"

// A full stack refuses the item but the box is taken; SPEED UP at level 0 is spent, with its
// flash, and leaves the level at 0.
TEST(ItemBox, AFullStackRefusesTheItemAndSpeedUpStopsAtTheTop) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.players.itemCount[0] = 200;  // a full stack
    game.itemBox = {ItemBomb, 300, 300};
    pickUpItem(game, 0);
    EXPECT_EQ(game.players.itemCount[0], 200);
    EXPECT_EQ(game.itemBox.itemKind, ItemNone);
    game.players.speedLevel[1] = 0;
    game.itemBox = {ItemSpeedUp, 100, 100};
    const uint64_t presents = test.machine.presentCount();
    pickUpItem(game, 1);
    EXPECT_EQ(game.players.speedLevel[1], 0);
    EXPECT_EQ(game.players.itemCount[1], 0);
    EXPECT_GE(test.machine.presentCount(), presents + 2) << "the flash and the field again";
}

// WARP on a field with no free pixel leaves the head on the last of a thousand tried points
// and the field as it was; CHANGE with no other player in play draws 2000 times, shows no
// animation and moves nobody.
TEST(ItemEffects, WarpGivesUpAfterAThousandTriesAndChangeNeedsSomeoneToChangeWith) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});
    for (int y = kFieldTop; y <= kFieldBottom; ++y) {
        std::memset(&fieldAt(game, kFieldLeft, y), 200, kFieldWidth);  // nothing free
    }
    const std::vector<uint8_t> before = surface(game);
    Random draws = game.random;
    int x = 0, y = 0;
    for (int i = 0; i < 1000; ++i) x = draws.randomRange(1, 638), y = draws.randomRange(33, 414);
    warpPlayer(game, 0);
    EXPECT_EQ(game.players.x[0], x);
    EXPECT_EQ(game.players.y[0], y);
    EXPECT_TRUE(surface(game) == before);

    game.players.alive[1] = game.players.alive[2] = 0;
    const Players players = game.players;
    for (int i = 0; i < 2000; ++i) draws.randomRange(0, 3);
    changePlaces(game, 0);
    EXPECT_EQ(game.random.state, draws.state);
    EXPECT_TRUE(surface(game) == before && test.machine.lastPage().pixels == before);
    EXPECT_TRUE(game.players.x == players.x && game.players.y == players.y);
}
