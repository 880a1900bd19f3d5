// The title menu on the scripted platform: what drawTitle composes, how Up, Down and Enter
// move the pointer, and the player rows stepping their slot's type.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>

#include "menus/title_menu.h"
#include "tests/menus/menu_checks.h"
#include "tests/support/test_game.h"

using namespace menu_checks;

namespace {

constexpr int kRowX = 250;
constexpr int kPointerX = 218;
int rowY(int row) { return 206 + 28 * row; }

const uint8_t* presented(TestGame& t) { return t.machine.lastPage().pixels.data(); }
const uint8_t* composed(TestGame& t) { return t->screen.Pixels(SurfacePage); }

uint32_t nowMs(TestGame& t) { return static_cast<uint32_t>(t.machine.nowMicros() / 1000); }

// Presses the keys one after another, 60 ms apart, then Enter, and runs the title input
// until it takes the Enter.
void runTitleWith(TestGame& t, std::initializer_list<int> keys) {
    uint32_t at = nowMs(t) + 30;
    for (int code : keys) {
        t.machine.keyPress(at, code, 30);
        at += 60;
    }
    t.machine.keyPress(at, key::Enter, 30);
    t.machine.quitWhenIdleAfter(at + 1000);
    runTitleInput(*t);
    EXPECT_EQ(t->keyboard.keyDown[key::Enter], 0) << "the Enter press is taken";
}

// The pointer '>' stands on `row` and every other row's pointer cell is blank.
void expectPointerOn(TestGame& t, const uint8_t* page, int row) {
    for (int r = 0; r < 7; ++r) {
        EXPECT_TRUE(showsChar(t->screen, page, r == row ? '>' : ' ', kPointerX, rowY(r), 16))
            << "pointer cell of row " << r;
    }
}

}  // namespace

TEST(TitleMenu, DrawTitleComposesTheWholeScreenWithThePointerOnStart) {
    TestGame t;
    t->players.type = {PlayerMan, PlayerCom, PlayerNon, PlayerMan};
    t->titleMenu.cursor = 4;
    drawTitle(*t);

    EXPECT_EQ(t->titleMenu.cursor, 0);
    const char* rows[7] = {"START",        "1 PLAYER MAN", "2 PLAYER COM", "3 PLAYER NON",
                           "4 PLAYER MAN", "OPTION",       "EXIT"};
    const int tiles[7] = {7, 1, 2, 3, 4, 6, 7};
    // Composed on the page and shown: both hold the same picture.
    for (const uint8_t* page : {composed(t), presented(t)}) {
        EXPECT_TRUE(showsText(t->screen, page, "REZI", 96, 36, 112));
        EXPECT_TRUE(showsColourText(t->screen, page, "DIRAVIRU", 256, 166, 7));
        for (int r = 0; r < 7; ++r) {
            EXPECT_TRUE(showsColourText(t->screen, page, rows[r], kRowX, rowY(r), tiles[r]));
        }
        expectPointerOn(t, page, 0);
    }

    // Nothing else is drawn: every solid pixel lies in the heading, the name, the rows or
    // the pointer column.
    const Screen& screen = t->screen;
    const int listed = countSolid(screen, SurfacePage, 96, 36, 96 + 4 * 112 - 1, 36 + 111) +
                       countSolid(screen, SurfacePage, 256, 166, 256 + 8 * 16 - 1, 181) +
                       countSolid(screen, SurfacePage, kRowX, 206, kRowX + 12 * 16 - 1, 389) +
                       countSolid(screen, SurfacePage, kPointerX, 206, kPointerX + 15, 389);
    EXPECT_EQ(countSolid(screen, SurfacePage, 0, 0, 639, 479), listed);
}

TEST(TitleMenu, UpAndDownMoveThePointerAndWrapRound) {
    TestGame t;
    drawTitle(*t);

    runTitleWith(t, {key::Up});  // START -> EXIT
    EXPECT_EQ(t->titleMenu.cursor, 6);
    expectPointerOn(t, presented(t), 6);

    runTitleWith(t, {key::Down});  // EXIT -> START
    EXPECT_EQ(t->titleMenu.cursor, 0);
    expectPointerOn(t, presented(t), 0);

    runTitleWith(t, {key::Down, key::Down, key::Down});
    EXPECT_EQ(t->titleMenu.cursor, 3);
    expectPointerOn(t, presented(t), 3);
    expectPointerOn(t, t->screen.Pixels(SurfacePage), 3);

    // Eight rows up from row 3 passes START once: 3 -> 0 -> 6 -> ... -> 2.
    runTitleWith(t, {key::Up, key::Up, key::Up, key::Up, key::Up, key::Up, key::Up, key::Up});
    EXPECT_EQ(t->titleMenu.cursor, 2);
    expectPointerOn(t, presented(t), 2);

    // Seven rows down comes back to the same row.
    runTitleWith(t, {key::Down, key::Down, key::Down, key::Down, key::Down, key::Down,
                     key::Down});
    EXPECT_EQ(t->titleMenu.cursor, 2);
    expectPointerOn(t, presented(t), 2);
}

TEST(TitleMenu, KeysArrivingBetweenTwoPassesAreAllApplied) {
    TestGame t;
    drawTitle(*t);
    runTitleWith(t, {key::Down, key::Down});
    ASSERT_EQ(t->titleMenu.cursor, 2);

    // Up, Down and Enter all arrive before the next pass: both moves are made, then the
    // Enter is taken. Had only one move been made, the pointer would be on row 1 or 3.
    const uint32_t at = nowMs(t) + 30;
    t.machine.keyDown(at, key::Up);
    t.machine.keyDown(at, key::Down);
    t.machine.keyDown(at, key::Enter);
    t.machine.quitWhenIdleAfter(at + 1000);
    runTitleInput(*t);
    EXPECT_EQ(t->titleMenu.cursor, 2);
    EXPECT_EQ(t->keyboard.keyDown[key::Up], 0);
    EXPECT_EQ(t->keyboard.keyDown[key::Down], 0);
    expectPointerOn(t, t->screen.Pixels(SurfacePage), 2);

    // A key held down with auto-repeat moves the pointer once per repeat.
    const uint32_t held = nowMs(t) + 30;
    t.machine.keyDown(held, key::Down);
    t.machine.keyDown(held + 100, key::Down, true);
    t.machine.keyDown(held + 200, key::Down, true);
    t.machine.keyUp(held + 250, key::Down);
    t.machine.keyPress(held + 300, key::Enter, 30);
    t.machine.quitWhenIdleAfter(held + 1000);
    runTitleInput(*t);
    EXPECT_EQ(t->titleMenu.cursor, 5);
}

TEST(PlayerSetup, EnterOnAPlayerRowStepsItsSlotAndRedrawsTheName) {
    TestGame t;
    drawTitle(*t);
    const char* names[3] = {"NON", "MAN", "COM"};
    for (int row = 1; row <= 4; ++row) {
        moveTitleCursor(*t, +1);
        ASSERT_EQ(t->titleMenu.cursor, row);
        const int slot = row - 1;
        // MAN -> COM -> NON -> MAN: three steps bring the slot back.
        for (int expected : {PlayerCom, PlayerNon, PlayerMan}) {
            cyclePlayerType(*t);
            EXPECT_EQ(t->players.type[slot], expected) << "row " << row;
            char text[16];
            std::snprintf(text, sizeof text, "%d PLAYER %s", row, names[expected]);
            // The whole row reads as if drawn afresh, in the row's own tile, and is shown.
            for (const uint8_t* page : {composed(t), presented(t)}) {
                EXPECT_TRUE(showsColourText(t->screen, page, text, kRowX, rowY(row), row));
                EXPECT_TRUE(showsColourText(t->screen, page, names[expected], 394, rowY(row),
                                            row));
                expectPointerOn(t, page, row);
            }
            EXPECT_EQ(t->titleMenu.cursor, row) << "the pointer stays on the row";
        }
        if (row == 2) {
            // Stepping one slot leaves the others alone.
            cyclePlayerType(*t);
            EXPECT_EQ(t->players.type[1], PlayerCom);
            EXPECT_EQ(t->players.type[0], PlayerMan);
            EXPECT_TRUE(showsColourText(t->screen, presented(t), "1 PLAYER MAN", kRowX, rowY(1), 1));
            EXPECT_TRUE(showsColourText(t->screen, presented(t), "3 PLAYER MAN", kRowX, rowY(3), 3));
            cyclePlayerType(*t);
            cyclePlayerType(*t);
        }
    }
    // A redrawn title shows the types as they are now.
    t->players.type[3] = PlayerCom;
    drawTitle(*t);
    EXPECT_TRUE(showsColourText(t->screen, presented(t), "4 PLAYER COM", kRowX, rowY(4), 4));
}
