// The round clock, WAIT changes, crash pay, the survivor bonus and Esc.
#include <utility>

#include "tests/round/round_checks.h"

using namespace roundtest;

// Time counts whole seconds (unsigned across 2^32, at most one a frame); PgDn/PgUp within 0..999.
TEST(RoundHeader, ClockCountsAcrossTheTickWrapAndWaitChangesWithinItsLimits) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    test.machine.setTicks(UINT32_MAX - 400);
    game.match.secondStamp = game.platform->ticks();
    game.match.time = 41;
    const std::pair<uint32_t, int32_t> ticks[] = {{999, 41}, {1, 42}, {5000, 43}, {0, 43}};
    for (const auto& [advance, time] : ticks) {
        test.machine.advance(advance);
        updateRoundTime(game);
        EXPECT_EQ(game.match.time, time) << advance;
    }
    EXPECT_TRUE(textShownAt(game, SurfacePrimary, "00043", 416, 16, 16, 8));

    struct Case { int32_t before; int key; int32_t after; const char* shown; };
    const Case cases[] = {{5, key::PageDown, 6, "006"}, {5, key::PageUp, 4, "004"},
                          {999, key::PageDown, 999, "999"}, {0, key::PageUp, 0, "000"}};
    for (const Case& c : cases) {
        game.settings.wait = c.before;
        game.screen.FillBox(SurfacePrimary, 256, 16, 48, 16, game.screen.PaletteRgb(0));
        game.keyboard.keyDown[c.key] = 1;
        adjustWait(game);
        EXPECT_EQ(game.settings.wait, c.after);
        EXPECT_EQ(game.keyboard.keyDown[c.key], 0);
        EXPECT_TRUE(textShownAt(game, SurfacePrimary, c.shown, 256, 16, 16, 8));  // even at a limit
    }
}

// Crash pays time x rate (1.0 + 0.5 per empty slot), the last one left that + 100; Esc pays none.
TEST(RoundEnd, CrashPayAndSurvivorBonusFollowTheRate) {
    struct Case { std::array<int8_t, kSlots> types; int32_t time; bool esc, over;
                  std::array<int32_t, kSlots> scores; };
    const Case cases[] = {
        {{M, M, N, N}, 7, false, true, {14, 117, 0, 0}},  // 7 x 2.0; 7 x 2.5 + 100
        {{M, M, M, N}, 3, false, false, {4, 0, 0, 0}},    // 3 x 1.5
        {{M, M, M, N}, 5, true, true, {7, 0, 0, 0}},      // 5 x 1.5, then Esc
    };
    for (const Case& c : cases) {
        TestGame test;
        Game& game = *test;
        setUpRound(test, c.types);
        game.match.time = c.time;
        game.match.frameCounters = {0, 1, 2, 3, 4};  // everyone steps in the next frame
        placeHead(game, 0, 638.5f, 100.5f, 0);      // 1P into the right frame
        game.keyboard.keyDown[key::Esc] = c.esc;
        game.keyboard.keyDown[key::Enter] = 1;       // still down: does not end the pause
        const uint32_t enterAt = game.platform->ticks() + 1500;
        test.machine.keyPress(enterAt, key::Enter);
        EXPECT_EQ(playRoundFrame(game), c.over);
        EXPECT_EQ(game.players.score, c.scores);
        EXPECT_EQ(game.platform->ticks() >= enterAt, c.over && !c.esc);
        EXPECT_EQ(textShownAt(game, SurfacePrimary, "PUSH ENTER KEY TO NEXT ROUND", 96, 232, 16, 7),
                  c.over && !c.esc);
    }
}
