// The score table's ranks, and a match that starts from nothing.
#include "tests/support/test_game.h"

// One line per present player with keys, score and rank: equal scores share a rank and the
// next one skips; an empty slot is neither listed nor ranked.
TEST(ScoreTable, ShowsEachPlayersScoreAndRankWithTies) {
    TestGame test;
    Game& game = *test;
    game.play.players.type = {M, N, C, M};
    game.play.players.score = {500, 9999, 200, 500};
    game.play.counters.round = 4;
    drawScoreTable(game);
    const uint8_t* page = test.machine.lastPage().pixels.data();
    EXPECT_TRUE(shows(game, page, "PLAYER KEY SCORE   RANK", kCentred, 184, 7));
    EXPECT_TRUE(shows(game, page, "ROUND 5", kCentred, 100, -1, 32));
    EXPECT_TRUE(shows(game, page, "1P     QAZ 0000500 1   ", kCentred, 216, 1));
    EXPECT_TRUE(shows(game, page, "                       ", kCentred, 248, -1));
    EXPECT_TRUE(shows(game, page, "3P     \"#$ 0000200 3   ", kCentred, 280, 3));
    EXPECT_TRUE(shows(game, page, "4P     369 0000500 1   ", kCentred, 312, 4));

    // Chosen keys: labels of more than one character take a blank between them, and the KEY
    // column widens for every listed player.
    game.devices.playerKeys[0] = {key::Space, key::NumpadPeriod, key::functionKey(1)};
    game.devices.playerKeys[3] = {key::Semicolon, key::Up, key::Apostrophe};
    drawScoreTable(game);
    page = test.machine.lastPage().pixels.data();
    EXPECT_TRUE(shows(game, page, "PLAYER KEY       SCORE   RANK", kCentred, 184, 7));
    EXPECT_TRUE(shows(game, page, "1P     SPC K. F1 0000500 1   ", kCentred, 216, 1));
    EXPECT_TRUE(shows(game, page, "3P     \"#$       0000200 3   ", kCentred, 280, 3));
    EXPECT_TRUE(shows(game, page, "4P     ;^'       0000500 1   ", kCentred, 312, 4));
}

// Whatever an earlier match left (scores, round, a shaded colour), a match starts with the
// table of round 1, zero scores and the loaded palette; Esc there ends it.
TEST(MatchFlow, AMatchStartsFromNothing) {
    TestGame test;
    Game& game = *test;
    game.play.players.type = {M, C, N, N};
    game.play.players.score = {120, 45, 7, 9};
    game.play.counters.round = 6;
    game.devices.screen.ShadePaletteEntry(7, -100);
    test.machine.keyPress(100, key::Esc);
    runMatch(game, test.people, nullptr);
    const auto& shown = test.machine.lastPage();
    EXPECT_TRUE(shows(game, shown.pixels.data(), "ROUND 1", kCentred, 100, -1, 32));
    EXPECT_TRUE(shows(game, shown.pixels.data(), "2P     BNM 0000000 1   ", kCentred, 248, 2));
    EXPECT_EQ(game.play.players.score, (std::array<int32_t, kSlots>{0, 0, 0, 0}));
    EXPECT_EQ(std::memcmp(shown.palette.data(), game.devices.screen.BasePalette.data(), 1024), 0);
}
