// Ranks, the score table, the round's set-up page and the countdown.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/round/round_checks.h"

using namespace roundtest;

namespace {

Players playersWith(std::array<int8_t, 4> types, std::array<int32_t, 4> scores) {
    Players players;
    players.type = types;
    players.score = scores;
    return players;
}

}  // namespace

TEST(Ranks, EqualScoresShareARankAndTheNextSkipsWithNonSlotsLeftOut) {
    const auto ranks = computeRanks(playersWith({C, C, C, N}, {500, 500, 200, 9999}));
    EXPECT_EQ(ranks[0], 1);
    EXPECT_EQ(ranks[1], 1);
    EXPECT_EQ(ranks[2], 3);
    EXPECT_EQ(computeRanks(playersWith({M, M, M, M}, {10, 20, 30, 40})),
              (std::array<int32_t, 4>{4, 3, 2, 1}));
    const auto alone = computeRanks(playersWith({M, N, M, M}, {0, 50, 0, 0}));
    EXPECT_EQ(alone[0], 1);
    EXPECT_EQ(alone[2], 1);
    EXPECT_EQ(alone[3], 1);
}

TEST(ScoreTable, ShowsRoundHeadingAndOneRowPerPresentPlayer) {
    TestGame test;
    Game& game = *test;
    game.players.type = {M, N, C, M};
    game.players.score = {500, 7, 200, 500};
    game.match.round = 4;
    game.screen.FillBox(SurfaceOverlay, 0, 0, 640, 480, game.screen.PaletteRgb(71));
    drawScoreTable(game);

    const SurfaceId shown = SurfacePrimary;
    EXPECT_TRUE(textShownAt(game, shown, "ROUND 5", -1, 100, 32, -1));
    EXPECT_TRUE(textShownAt(game, shown, "PLAYER KEY SCORE   RANK", -1, 184, 16, 7));
    EXPECT_TRUE(textShownAt(game, shown, "1P     QAZ 0000500 1   ", -1, 216, 16, 1));
    EXPECT_TRUE(textShownAt(game, shown, "3P     \"#$ 0000200 3   ", -1, 280, 16, 3));
    EXPECT_TRUE(textShownAt(game, shown, "4P     369 0000500 1   ", -1, 312, 16, 4));
    EXPECT_EQ(countSolid(game.screen, shown, 0, 248, 639, 263), 0);  // 2P's row: NON
    EXPECT_TRUE(textShownAt(game, shown, "PUSH ENTER KEY TO START", -1, 368, 16, 7));
    EXPECT_TRUE(textShownAt(game, shown, "PUSH ESC KEY TO END", -1, 400, 16, 7));
    EXPECT_EQ(countSolid(game.screen, SurfaceOverlay, 0, 0, 639, 479), 0);
    // The page shown is the composed one, and it was presented.
    EXPECT_EQ(std::memcmp(game.screen.Pixels(shown), game.screen.Pixels(SurfacePage),
                          kSurfaceBytes),
              0);
    EXPECT_EQ(std::memcmp(test.machine.lastPage().pixels.data(), game.screen.Pixels(shown),
                          kSurfaceBytes),
              0);
    // 2P's line and the KEY column of 2P never show.
    game.players.type = {M, M, N, N};
    game.players.score = {0, 0, 0, 0};
    game.match.round = 0;
    drawScoreTable(game);
    EXPECT_TRUE(textShownAt(game, shown, "ROUND 1", -1, 100, 32, -1));
    EXPECT_TRUE(textShownAt(game, shown, "2P     BNM 0000000 1   ", -1, 248, 16, 2));
    EXPECT_EQ(countSolid(game.screen, shown, 0, 280, 639, 327), 0);
}

TEST(RoundSetUp, DrawsFrameHeaderAndPanelsAndPutsPlayersAtTheirCorners) {
    TestGame test;
    Game& game = *test;
    game.players.type = {M, C, N, M};
    game.players.x[2] = 123.0f;  // a NON slot's fields are left as they are
    game.players.explosionActive = {1, 1, 1, 1};
    game.players.itemCount = {3, 3, 3, 3};
    game.players.alive = {0, 0, 0, 0};
    game.players.speedLevel = {0, 0, 0, 0};
    game.players.comStraightCount = {9, 9, 9, 9};
    game.players.comTurnSide = {1, 1, 1, 1};
    game.meteorites.meteorShowerActive = 1;
    game.itemBox = ItemBox{ItemBomb, 100, 100};
    game.match.time = 55;
    game.screen.FillBox(SurfacePage, 0, 0, 640, 480, game.screen.PaletteRgb(27));
    startRound(game);

    EXPECT_EQ(game.match.time, 0);
    EXPECT_EQ(game.match.scoreRate, 1.5f);
    const SurfaceId page = SurfacePage;
    EXPECT_TRUE(textShownAt(game, page, "ROUND 01  WAIT 001  TIME 00000", 16, 16, 16, 8));
    EXPECT_TRUE(textShownAt(game, page, "1P ITEM", 16, 416, 16, 1));
    EXPECT_TRUE(textShownAt(game, page, "2P ITEM", 336, 416, 16, 2));
    EXPECT_EQ(countSolid(game.screen, page, 0, 432, 319, 447), 0);  // no 3P line
    EXPECT_TRUE(textShownAt(game, page, "4P ITEM", 336, 432, 16, 4));
    EXPECT_TRUE(textShownAt(game, page, "PUSH ESC KEY TO END", -1, 464, 16, 7));
    // The frame in index 255 round an empty field.
    EXPECT_EQ(countPixels(game.screen, page, 0, 32, 639, 32, ColourFrame), 640);
    EXPECT_EQ(countPixels(game.screen, page, 0, 415, 639, 415, ColourFrame), 640);
    EXPECT_EQ(countPixels(game.screen, page, 0, 32, 0, 415, ColourFrame), 384);
    EXPECT_EQ(countPixels(game.screen, page, 639, 32, 639, 415, ColourFrame), 384);
    EXPECT_EQ(countSolid(game.screen, page, 1, 33, 638, 414), 0);

    const Players& p = game.players;
    for (int slot : {0, 1, 3}) {
        EXPECT_EQ(p.x[slot], static_cast<float>(startX[slot]));
        EXPECT_EQ(p.y[slot], static_cast<float>(startY[slot]));
        EXPECT_EQ(p.pixelX[slot], startX[slot]);
        EXPECT_EQ(p.pixelY[slot], startY[slot]);
        EXPECT_EQ(p.direction[slot], startDirection[slot]);
        EXPECT_EQ(p.alive[slot], 1);
        EXPECT_EQ(p.speedLevel[slot], 2);
        EXPECT_EQ(p.itemCount[slot], 0);
        EXPECT_EQ(p.comStraightCount[slot], 0);
        EXPECT_EQ(p.comTurnSide[slot], 0);
    }
    EXPECT_EQ(p.x[2], 123.0f);
    EXPECT_EQ(p.explosionActive, (std::array<int32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(game.meteorites.meteorShowerActive, 0);
    EXPECT_EQ(game.itemBox.itemKind, ItemNone);

    // The rate grows by 0.5 per empty slot; the header shows three-digit rounds.
    game.players.type = {C, C, C, C};
    game.match.round = 99;
    game.settings.wait = 42;
    startRound(game);
    EXPECT_EQ(game.match.scoreRate, 1.0f);
    EXPECT_TRUE(textShownAt(game, page, "ROUND 100  WAIT 042  TIME 00000", 16, 16, 16, 8));
    game.players.type = {N, C, N, M};
    startRound(game);
    EXPECT_EQ(game.match.scoreRate, 2.0f);
}

TEST(Countdown, ShowsThreeTwoOneStartAndClearsThePlayersKeysAndEsc) {
    TestGame test;
    Game& game = *test;
    game.players.type = {M, M, C, C};
    startRound(game);
    for (const PlayerKeys& keys : playerKeys) {
        game.keyboard.keyDown[keys.turnLeftKey] = 1;
        game.keyboard.keyDown[keys.itemKey] = 1;
        game.keyboard.keyDown[keys.turnRightKey] = 1;
    }
    game.keyboard.keyDown[key::Enter] = 1;
    const uint32_t start = game.platform->ticks();
    test.machine.keyDown(start + 1000, 'Q');   // held through the countdown: acts in the round
    test.machine.keyDown(start + 2000, key::Esc);  // dropped at the end
    test.machine.keepAllPages = true;
    runCountdown(game);

    int held = 0;
    for (const PlayerKeys& keys : playerKeys) {
        held += game.keyboard.keyDown[keys.turnLeftKey] + game.keyboard.keyDown[keys.itemKey] +
                game.keyboard.keyDown[keys.turnRightKey];
    }
    EXPECT_EQ(held, 1);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 1);
    EXPECT_EQ(game.keyboard.keyDown[key::Esc], 0);
    EXPECT_EQ(game.keyboard.keyDown[key::Enter], 1);  // not the countdown's business
    EXPECT_GE(game.platform->ticks() - start, 4u * 900u);

    // Each label in turn, 64 x 64 and centred on the round's page; then the page alone.
    Screen& screen = game.screen;
    size_t next = 0;
    const auto& pages = test.machine.pages();
    for (const char* label : {"3", "2", "1", "START"}) {
        screen.Copy(0, 0, 0, 0, 640, 480, SurfaceSpare7, SurfacePage);
        screen.DrawText(SurfaceSpare7, label, -1, -1, 64, 64);
        const int width = static_cast<int>(std::strlen(label)) * 64;
        const int left = 320 - width / 2;
        bool found = false;
        for (; next < pages.size() && !found; ++next) {
            found = true;
            for (int y = 208; y < 272 && found; ++y) {
                found = std::memcmp(&pages[next].pixels[y * 640 + left],
                                    screen.Pixels(SurfaceSpare7) + y * 640 + left, width) == 0;
            }
        }
        EXPECT_TRUE(found) << label;
    }
    EXPECT_EQ(std::memcmp(screen.Pixels(SurfacePrimary), screen.Pixels(SurfacePage),
                          kSurfaceBytes),
              0);
    EXPECT_EQ(screen.FieldPixels, screen.Pixels(SurfacePrimary));
}
