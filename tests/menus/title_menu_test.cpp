// The title menu: its screen, the pointer's wrap, and the player rows stepping their slots.
#include "menus/title_menu.h"

#include <string>

#include "tests/menus/menu_checks.h"

namespace {

int rowY(int row) { return 206 + 28 * row; }
const uint8_t* composed(TestGame& t) { return t->screen.Pixels(SurfacePage); }
void expectTitlePointer(TestGame& t, const uint8_t* page, int row) {
    expectPointer(t->screen, page, 218, 206, 28, 7, row);
}

}  // namespace

// The whole screen, pointer on START, nothing else; Up on START gives EXIT, Down on EXIT START.
TEST(TitleMenu, ComposesTheScreenAndThePointerWrapsBothWays) {
    TestGame t;
    t->players.type = {PlayerMan, PlayerCom, PlayerNon, PlayerMan};
    t->titleMenu.cursor = 4;
    drawTitle(*t);
    EXPECT_EQ(t->titleMenu.cursor, 0);
    const char* rows[7] = {"START",        "1 PLAYER MAN", "2 PLAYER COM", "3 PLAYER NON",
                           "4 PLAYER MAN", "OPTION",       "EXIT"};
    const int tiles[7] = {7, 1, 2, 3, 4, 6, 7};
    Screen& s = t->screen;
    for (const uint8_t* page : {composed(t), shown(t)}) {
        EXPECT_TRUE(shows(s, page, "REZI", 96, 36, -1, 112));
        EXPECT_TRUE(shows(s, page, "DIRAVIRU", 256, 166, 7));
        for (int r = 0; r < 7; ++r) EXPECT_TRUE(shows(s, page, rows[r], 250, rowY(r), tiles[r]));
        expectTitlePointer(t, page, 0);
    }
    EXPECT_EQ(countSolid(s, SurfacePage, 0, 0, 639, 479),
              countSolid(s, SurfacePage, 96, 36, 543, 389)) << "stray drawing";
    for (int delta : {-1, +1}) {
        moveTitleCursor(*t, delta);
        EXPECT_EQ(t->titleMenu.cursor, delta < 0 ? 6 : 0);
        expectTitlePointer(t, composed(t), t->titleMenu.cursor);
    }
}

// A player row steps its own slot MAN, COM, NON, MAN and shows it in the row's tile.
TEST(PlayerSetup, EnterOnAPlayerRowStepsItsSlot) {
    TestGame t;
    drawTitle(*t);
    for (int row = 1; row <= 4; ++row) {
        moveTitleCursor(*t, +1);
        for (int type : {PlayerCom, PlayerNon, PlayerMan}) {
            cyclePlayerType(*t);
            for (int slot = 0; slot < 4; ++slot)
                EXPECT_EQ(t->players.type[slot], slot == row - 1 ? type : PlayerMan) << row;
            const std::string text = std::to_string(row) + " PLAYER " + playerTypeNames[type];
            for (const uint8_t* page : {composed(t), shown(t)}) {
                EXPECT_TRUE(shows(t->screen, page, text.c_str(), 250, rowY(row), row));
                expectTitlePointer(t, page, row);
            }
        }
    }
}
