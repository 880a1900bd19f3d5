// Nothing is allocated while a round runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "round/round.h"
#include "shell/game.h"
#include "tests/alloc/counting_new.h"
#include "tests/support/test_game.h"

namespace {

constexpr int32_t kLargest = 9050;         // the menu's largest particle and meteorite counts
constexpr uint32_t kScriptMs = 60 * 1000;  // keys queued for each round

// Rounds allocate nothing from their first frame to the Enter that ends them, with COSMO2
// explosions and meteorite showers of the largest size, boxes taken and 1P firing items.
TEST(RoundAllocations, NoneFromTheFirstFrameToTheEnd) {
    TestGame test;
    Game& game = *test;
    game.players.type = {PlayerMan, PlayerCom, PlayerCom, PlayerCom};
    game.settings = {.wait = 1, .itemsOn = 1, .explosionType = ExplosionCosmo2,
                     .explosionValue = {16, 150, kLargest}, .meteoritesOn = 1,
                     .meteoriteTime = 1, .meteoriteValue = kLargest};
    // The counter is the operator new in use (a sanitizer's own would make this test vacuous).
    allocations = 0;
    counting = true;
    ::operator delete(::operator new(16));
    ::operator delete[](::operator new[](16, std::align_val_t{64}), std::align_val_t{64});
    ::operator delete(::operator new(16, std::nothrow));
    counting = false;
    ASSERT_EQ(allocations, 3);

    int32_t particles = 0, meteorites = 0, held = 0;  // the peaks while counting; 1P's items
    bool boxTaken = false, itemFired = false;
    test.machine.onPresent = [&](const platform::ScriptedPlatform::PresentedPage&) {
        if (!counting) return;
        for (const auto& t : game.explosions.tables) particles = std::max(particles, t.flying);
        meteorites = std::max(meteorites, game.meteorites.flying);
        boxTaken |= game.players.itemCount[0] > held;  // only a pickup adds to 1P's items
        itemFired |= game.players.itemCount[0] < held;
        // A box under 1P's head, so that one is taken (those that come by chance seldom are).
        if (!boxTaken && game.itemBox.itemKind == ItemNone && game.players.inPlay(0)) {
            game.itemBox = {ItemRandom, game.players.pixelX[0] - 8, game.players.pixelY[0] - 8};
        }
        held = game.players.itemCount[0];
    };
    for (int round = 1; round <= 2; ++round) {
        startRound(game);
        runCountdown(game);
        // 1P holds every kind of item twice. All keys are queued beforehand (queueing allocates).
        for (int i = 0; i < 10; ++i) game.players.items[0][i] = ItemSpeedUp + i % 5;
        game.players.itemCount[0] = held = 10;
        const PlayerKeys k = playerKeys[0];
        const uint32_t now = game.platform->ticks();
        for (uint32_t t = 0; t < kScriptMs; t += 170) {
            test.machine.keyPress(now + t, key::Enter);
            test.machine.keyPress(now + t + 3, t % 340 ? k.turnLeftKey : k.turnRightKey);
            if (t % 510 == 0) test.machine.keyPress(now + t + 5, k.itemKey);
        }
        test.machine.quitWhenIdleAfter(now + kScriptMs + 1000);
        allocations = 0;
        counting = true;
        try { runRound(game); } catch (const ProgramExit&) { FAIL() << "the round never ended"; }
        counting = false;
        ASSERT_EQ(allocations, 0) << "during round " << round;
    }
    EXPECT_EQ(particles, kLargest) << "a COSMO2 explosion of the largest size";
    EXPECT_EQ(meteorites, kLargest) << "a shower of the largest size";
    EXPECT_TRUE(boxTaken) << "an item box taken";
    EXPECT_TRUE(itemFired) << "1P fired items";
}

}  // namespace
