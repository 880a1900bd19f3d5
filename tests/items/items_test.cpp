// Item rules that a whole match seldom shows: a full stack, SPEED UP at the top speed, a box
// drawn over a head, WARP on a full field, CHANGE with nobody to change with.
#include "items/item_box.h"
#include "items/item_effects.h"
#include "tests/support/test_game.h"

// A full stack refuses the item but the box is taken; SPEED UP at level 0 is spent, with its
// flash, and leaves the level at 0.
TEST(ItemBox, AFullStackRefusesTheItemAndSpeedUpStopsAtTheTop) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.play.players.itemCount[0] = 200;  // a full stack
    game.play.itemBox = {ItemBomb, 300, 300};
    pickUpItem(game.play, test.display, 0);
    EXPECT_EQ(game.play.players.itemCount[0], 200);
    EXPECT_EQ(game.play.itemBox.itemKind, ItemNone);
    game.play.players.speedLevel[1] = 0;
    game.play.itemBox = {ItemSpeedUp, 100, 100};
    const uint64_t presents = test.machine.presentCount();
    pickUpItem(game.play, test.display, 1);
    EXPECT_EQ(game.play.players.speedLevel[1], 0);
    EXPECT_EQ(game.play.players.itemCount[1], 0);
    EXPECT_GE(test.machine.presentCount(), presents + 2) << "the flash and the field again";
}

// A box never lands with a head in its square, whatever the slot's type or state: its place
// (x, then y) is drawn again until no head is in it, and its glyph shows there.
TEST(ItemBox, IsNeverPlacedOverAHead) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, N, M, M});
    game.play.players.alive[3] = false;
    Random draws = game.play.random;
    while (draws.randomRange(0, 100) != 1) {
    }
    const int kind = draws.randomRange(1, 6);
    int x[3], y[3];
    for (int i = 0; i < 3; ++i) x[i] = draws.randomRange(1, 622), y[i] = draws.randomRange(33, 398);
    placeHead(game, 1, x[0] + 15.5f, y[0] + 0.5f, 0);  // an empty slot in the first place
    placeHead(game, 3, x[1] + 0.5f, y[1] + 15.5f, 0);  // a crashed one in the second
    game.play.settings.itemsOn = 1;
    while (game.play.itemBox.itemKind == ItemNone) {
        trySpawnItemBox(game.play, test.display);
    }
    EXPECT_EQ(game.play.itemBox.x * 1000 + game.play.itemBox.y, x[2] * 1000 + y[2]);
    EXPECT_TRUE(shows(game, game.devices.screen.Pixels(SurfacePrimary),
                      std::string(1, itemNames[kind][0]), x[2], y[2]));
}

// WARP on a field with no free pixel leaves the head on the last of a thousand tried points
// and the field as it was; CHANGE with no other player in play draws 2000 times, shows no
// animation and moves nobody.
TEST(ItemEffects, WarpGivesUpAfterAThousandTriesAndChangeNeedsSomeoneToChangeWith) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, N});
    for (int y = kField.top; y < kField.bottom; ++y) {
        std::memset(&fieldAt(game, kField.left, y), 200, kField.width());  // nothing free
    }
    const std::vector<uint8_t> before = surface(game);
    Random draws = game.play.random;
    int x = 0, y = 0;
    for (int i = 0; i < 1000; ++i) x = draws.randomRange(1, 638), y = draws.randomRange(33, 414);
    warpPlayer(game.play, test.display, 0);
    EXPECT_EQ(game.play.players.x[0], x);
    EXPECT_EQ(game.play.players.y[0], y);
    EXPECT_TRUE(surface(game) == before);

    game.play.players.alive[1] = game.play.players.alive[2] = false;
    const Players players = game.play.players;
    for (int i = 0; i < 2000; ++i) draws.randomRange(0, 3);
    changePlaces(game.play, test.display, 0);
    EXPECT_EQ(game.play.random.state, draws.state);
    EXPECT_TRUE(surface(game) == before && test.machine.lastPage().pixels == before);
    EXPECT_TRUE(game.play.players.x == players.x && game.play.players.y == players.y);
}
