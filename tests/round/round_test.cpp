// Rules of the round frame that a whole match seldom shows: crashes of one frame, the keys of
// people, the round clock and the limits of WAIT.
#include "input/pacing.h"
#include "tests/support/test_game.h"

// Frame 1: 1P runs into a trail and its BOMB rings cover the empty pixel 2P enters in the
// same frame, yet 2P lives, for all heads are tested before any crash is handled; 3P and 4P
// enter one empty pixel, both live and 4P's colour shows. Frame 2: 2P runs into a ring, 3P
// and 4P into each other's last pixel: paid in slot order at a rising rate and, nobody being
// left, no bonus; an Enter pressed in the round's last frame and still down does not end the
// pause, a new one does.
TEST(RoundFrame, CrashesComeAfterEveryHeadIsTestedAndAreHandledInSlotOrder) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, M});
    Round round(game.play, game.devices, test.stream);
    game.play.counters.time = 7;  // four players: rate 1.0
    game.play.players.speedLevel = {0, 0, 0, 0};
    placeHead(game, 0, 100.5f, 200.5f, 0);
    placeHead(game, 1, 104.5f, 201.5f, 90);  // into (104, 200), on 1P's ring of radius 3
    placeHead(game, 2, 300.5f, 300.5f, 0);
    placeHead(game, 3, 302.5f, 300.5f, 180);
    drawHeads(game.play.players, game.devices.screen);
    fieldAt(game, 101, 200) = playerColour[2];
    ASSERT_EQ(playPacedRoundFrame(round), RoundState::Running);
    EXPECT_EQ(game.play.players.alive, (std::array<bool, kSlots>{false, true, true, true}));
    EXPECT_EQ(fieldAt(game, 104, 200), playerColour[1]);
    EXPECT_EQ(fieldAt(game, 301, 300), playerColour[3]);
    ASSERT_NE(fieldAt(game, 104, 199), 0) << "1P's rings";

    test.machine.keyDown(game.devices.platform->ticks(), key::Enter);
    busyDelay(game.devices, 1);
    const uint32_t enterAt = game.devices.platform->ticks() + 1500;
    test.machine.keyPress(enterAt, key::Enter);
    ASSERT_EQ(playPacedRoundFrame(round), RoundState::Ended);
    EXPECT_EQ(round.keys.down[MatchKeyEnter], 1);
    runRoundEndPause(round);
    EXPECT_GE(game.devices.platform->ticks(), enterAt);
    EXPECT_EQ(game.play.players.score, (std::array<int32_t, kSlots>{7, 10, 14, 17}));
    EXPECT_TRUE(shows(game, game.devices.screen.Pixels(SurfacePrimary),
                      "PUSH ENTER KEY TO NEXT ROUND", 96, 232, 7));
}

// A frame that hands slots to the computer: from that frame on a person's head steers as the
// computer's does (away from the wall just ahead, where a person's would run on); an empty
// slot stays empty.
TEST(RoundFrame, ASlotHandedToTheComputerSteersAsTheComputerFromThatFrame) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, N, M, M});
    placeHead(game, 0, 4.5f, 200.5f, 180);  // 1P, three pixels from the left wall
    placeHead(game, 2, 4.5f, 300.5f, 180);  // 3P alike, still a person
    game.play.players.speedLevel = {0, 0, 0, 0};
    RoundKeys keys;
    ASSERT_EQ(playRoundFrame(game.play, keys, test.display, {0, false, 0b0011}),
              RoundState::Running);
    EXPECT_EQ(game.play.players.type, (std::array<int8_t, kSlots>{C, N, M, M}));
    EXPECT_NE(game.play.players.direction[0], 180);
    EXPECT_EQ(game.play.players.direction[2], 180);
}

// Each slot's keys turn its head at its step, 30 degrees, each key once: both turn keys
// cancel, the item key with nothing held is used up, a key still held does not act again.
TEST(RoundFrame, PeoplesKeysTurnTheirOwnHeadOncePerPress) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, M, M});
    game.play.players.speedLevel = {0, 0, 0, 0};
    // 1P both turns, 2P right, 3P item, 4P left
    const int keys[] = {slotKey(0, SlotKeyTurnLeft), slotKey(0, SlotKeyTurnRight),
                        slotKey(1, SlotKeyTurnRight), slotKey(2, SlotKeyItem),
                        slotKey(3, SlotKeyTurnLeft)};
    RoundKeys table;
    for (int key : keys) table.down[key] = 1;
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(playRoundFrame(game.play, table, test.display, {}), RoundState::Running);
    }
    EXPECT_EQ(game.play.players.direction, (std::array<int32_t, kSlots>{0, 240, 90, 210}));
    for (int key : keys) EXPECT_EQ(table.down[key], 0);
}

// The round's time counts a second in each frame whose input marks one; Page Down and Page
// Up change WAIT within 0..999 and redraw it even at a limit.
TEST(RoundFrame, TimeCountsMarkedSecondsAndWaitStaysWithinItsLimits) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    game.play.counters.time = 41;
    for (const auto& [mark, time] : {std::pair{false, 41}, {true, 42}, {false, 42}, {true, 43}}) {
        updateRoundTime(game.play.counters, game.devices.screen, mark);
        EXPECT_EQ(game.play.counters.time, time) << mark;
    }
    const uint8_t* page = game.devices.screen.Pixels(SurfacePrimary);
    EXPECT_TRUE(shows(game, page, "00043", 416, 16, 8));
    const struct {
        int32_t before;
        MatchKey key;
        int32_t after;
        const char* shown;
    } cases[] = {{5, MatchKeyPageDown, 6, "006"},
                 {5, MatchKeyPageUp, 4, "004"},
                 {999, MatchKeyPageDown, 999, "999"},
                 {0, MatchKeyPageUp, 0, "000"}};
    for (const auto& c : cases) {
        game.play.settings.wait = c.before;
        game.devices.screen.FillBox(SurfacePrimary, 256, 16, 48, 16, 0);
        RoundKeys keys;
        keys.down[c.key] = 1;
        adjustWait(keys, game.play.settings, game.devices.screen);
        EXPECT_EQ(game.play.settings.wait, c.after);
        EXPECT_TRUE(shows(game, page, c.shown, 256, 16, 8));
    }
}
