// The option menu: the screen it builds, the pointer, every row's value at both ends of its
// range, and leaving through "EXIT", which writes the settings file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "menus/option_menu.h"
#include "tests/menus/menu_checks.h"
#include "tests/support/test_game.h"

using namespace menu_checks;

namespace {

constexpr int kValueX = 422;
constexpr int kPointerX = 118;
int rowY(int row) { return 170 + 32 * row; }
constexpr int kRowTiles[8] = {7, 8, 3, 1, 1, 6, 6, 6};

const uint8_t* visible(TestGame& t) { return t->screen.Pixels(SurfacePrimary); }

// The value cell of `row` on the visible page reads `text` in the row's tile.
::testing::AssertionResult showsValue(TestGame& t, int row, const char* text) {
    return showsColourText(t->screen, visible(t), text, kValueX, rowY(row), kRowTiles[row]);
}

void expectPointerOn(TestGame& t, const uint8_t* page, int row) {
    for (int r = 0; r < 8; ++r) {
        EXPECT_TRUE(showsChar(t->screen, page, r == row ? '>' : ' ', kPointerX, rowY(r), 16))
            << "pointer cell of row " << r;
    }
}

// Opens the screen with the pointer moved down to `row`.
void openAt(TestGame& t, int row) {
    drawOptionMenu(*t);
    for (int r = 0; r < row; ++r) moveOptionCursor(*t, +1);
    ASSERT_EQ(t->optionMenu.cursor, row);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t nowMs(TestGame& t) { return static_cast<uint32_t>(t.machine.nowMicros() / 1000); }

}  // namespace

TEST(OptionMenu, DrawOptionMenuBuildsTheScreenAndFlipsItIntoView) {
    TestGame t;
    t->optionMenu.cursor = 5;
    t->settings.wait = 7;
    t->settings.explosionType = ExplosionCosmo;
    t->settings.meteoritesOn = 1;
    drawOptionMenu(*t);

    EXPECT_EQ(t->optionMenu.cursor, 0);
    const char* labels[8] = {"EXIT",      "WAIT",           "ITEM",           "EXPLOSION TYPE",
                             "EXPLOSION VALUE", "METEORITE", "METEORITE TIME", "METEORITE VALUE"};
    const char* values[8] = {"", "007", "ON ", "COSMO ", "0150", "ON ", "060", "0100"};
    for (const uint8_t* page : {visible(t), t.machine.lastPage().pixels.data()}) {
        EXPECT_TRUE(showsText(t->screen, page, "OPTION", 128, 60, 64));
        for (int r = 0; r < 8; ++r) {
            EXPECT_TRUE(showsColourText(t->screen, page, labels[r], 150, rowY(r), kRowTiles[r]));
            if (r > 0) {
                EXPECT_TRUE(showsColourText(t->screen, page, values[r], kValueX, rowY(r),
                                            kRowTiles[r]));
            }
        }
        expectPointerOn(t, page, 0);
    }
    // "EXIT" has no value: its value cells stay empty.
    EXPECT_EQ(countSolid(t->screen, SurfacePrimary, kValueX, rowY(0), 639, rowY(0) + 15), 0);
}

TEST(OptionMenu, UpAndDownMoveThePointerOnTheVisiblePageAndWrap) {
    TestGame t;
    drawOptionMenu(*t);
    moveOptionCursor(*t, -1);  // Up on "EXIT" goes to "METEORITE VALUE"
    EXPECT_EQ(t->optionMenu.cursor, 7);
    expectPointerOn(t, visible(t), 7);
    moveOptionCursor(*t, +1);  // and Down comes back
    EXPECT_EQ(t->optionMenu.cursor, 0);
    expectPointerOn(t, visible(t), 0);
    for (int r = 0; r < 3; ++r) moveOptionCursor(*t, +1);
    expectPointerOn(t, visible(t), 3);
    // Drawn straight onto the visible page: the back page has no pointer moves.
    expectPointerOn(t, t->screen.Pixels(SurfaceBack), -1);
}

TEST(OptionMenu, NumberRowsClampAtTheEndsOfTheirRanges) {
    TestGame t;
    Settings& s = t->settings;

    openAt(t, 1);  // WAIT, 001
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.wait, 0);
    EXPECT_TRUE(showsValue(t, 1, "000"));
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.wait, 0);
    EXPECT_TRUE(showsValue(t, 1, "000"));
    s.wait = 998;
    openAt(t, 1);
    changeOptionValue(*t, +1);
    changeOptionValue(*t, +1);
    EXPECT_EQ(s.wait, 999);
    EXPECT_TRUE(showsValue(t, 1, "999"));

    openAt(t, 6);  // METEORITE TIME, 060
    s.meteoriteTime = 2;
    changeOptionValue(*t, -1);
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.meteoriteTime, 1);
    EXPECT_TRUE(showsValue(t, 6, "001"));
    s.meteoriteTime = 998;
    changeOptionValue(*t, +1);
    changeOptionValue(*t, +1);
    EXPECT_EQ(s.meteoriteTime, 999);
    EXPECT_TRUE(showsValue(t, 6, "999"));

    openAt(t, 7);  // METEORITE VALUE, 0100, steps of 50
    changeOptionValue(*t, -1);
    EXPECT_TRUE(showsValue(t, 7, "0050"));
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.meteoriteValue, 50);
    EXPECT_TRUE(showsValue(t, 7, "0050"));
    s.meteoriteValue = 9000;
    changeOptionValue(*t, +1);
    EXPECT_TRUE(showsValue(t, 7, "9050"));
    changeOptionValue(*t, +1);
    EXPECT_EQ(s.meteoriteValue, 9050);
    EXPECT_TRUE(showsValue(t, 7, "9050"));
}

TEST(OptionMenu, OnOffRowsWrapRound) {
    TestGame t;
    openAt(t, 2);  // ITEM, ON
    changeOptionValue(*t, +1);
    EXPECT_EQ(t->settings.itemsOn, 0);
    EXPECT_TRUE(showsValue(t, 2, "OFF"));
    changeOptionValue(*t, -1);
    EXPECT_EQ(t->settings.itemsOn, 1);
    EXPECT_TRUE(showsValue(t, 2, "ON "));  // the trailing space covers the F
    changeOptionValue(*t, +1);
    changeOptionValue(*t, +1);
    EXPECT_TRUE(showsValue(t, 2, "ON "));

    moveOptionCursor(*t, +1);
    moveOptionCursor(*t, +1);
    moveOptionCursor(*t, +1);  // METEORITE, OFF
    changeOptionValue(*t, -1);
    EXPECT_EQ(t->settings.meteoritesOn, 1);
    EXPECT_TRUE(showsValue(t, 5, "ON "));
    changeOptionValue(*t, -1);
    EXPECT_EQ(t->settings.meteoritesOn, 0);
    EXPECT_TRUE(showsValue(t, 5, "OFF"));
}

TEST(OptionMenu, ExplosionTypeWrapsAndTheValueRowFollowsIt) {
    TestGame t;
    Settings& s = t->settings;
    s.explosionValue[ExplosionCosmo2] = 300;
    openAt(t, 3);  // EXPLOSION TYPE, BOMB

    changeOptionValue(*t, -1);  // wraps to COSMO2; row 4 shows COSMO2's value
    EXPECT_EQ(s.explosionType, ExplosionCosmo2);
    EXPECT_TRUE(showsValue(t, 3, "COSMO2"));
    EXPECT_TRUE(showsValue(t, 4, "0300"));
    changeOptionValue(*t, +1);  // COSMO2 -> BOMB and the BOMB value
    EXPECT_EQ(s.explosionType, ExplosionBomb);
    EXPECT_TRUE(showsValue(t, 3, "BOMB  "));
    EXPECT_TRUE(showsValue(t, 4, "0016"));
    changeOptionValue(*t, +1);
    EXPECT_TRUE(showsValue(t, 3, "COSMO "));
    EXPECT_TRUE(showsValue(t, 4, "0150"));

    // COSMO moves by 50 up to 9050 and keeps its own value.
    moveOptionCursor(*t, +1);
    changeOptionValue(*t, +1);
    EXPECT_TRUE(showsValue(t, 4, "0200"));
    EXPECT_EQ(s.explosionValue[ExplosionCosmo], 200);
    EXPECT_EQ(s.explosionValue[ExplosionBomb], 16);
    EXPECT_EQ(s.explosionValue[ExplosionCosmo2], 300);
    s.explosionValue[ExplosionCosmo] = 9020;  // off the grid: clamped at the top
    changeOptionValue(*t, +1);
    EXPECT_TRUE(showsValue(t, 4, "9050"));
    changeOptionValue(*t, +1);
    EXPECT_EQ(s.explosionValue[ExplosionCosmo], 9050);
    s.explosionValue[ExplosionCosmo] = 30;
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.explosionValue[ExplosionCosmo], 0);
    EXPECT_TRUE(showsValue(t, 4, "0000"));

    // BOMB moves by 1 and stops at 0100 and 0000.
    s.explosionType = ExplosionBomb;
    s.explosionValue[ExplosionBomb] = 99;
    changeOptionValue(*t, +1);
    changeOptionValue(*t, +1);
    EXPECT_EQ(s.explosionValue[ExplosionBomb], 100);
    EXPECT_TRUE(showsValue(t, 4, "0100"));
    s.explosionValue[ExplosionBomb] = 1;
    changeOptionValue(*t, -1);
    changeOptionValue(*t, -1);
    EXPECT_EQ(s.explosionValue[ExplosionBomb], 0);
    EXPECT_TRUE(showsValue(t, 4, "0000"));
    EXPECT_EQ(s.explosionValue[ExplosionCosmo], 0);
}

TEST(OptionMenu, OnlyEnterOnExitLeavesAndLeavingSaves) {
    TestGame t;
    platform::ScriptedPlatform& m = t.machine;
    uint32_t at = nowMs(t) + 30;
    const auto press = [&](int code) {
        m.keyPress(at, code, 30);
        at += 60;
    };
    press(key::Down);   // WAIT
    press(key::Enter);  // nothing
    press(key::Right);  // WAIT 002
    press(key::Down);   // ITEM
    press(key::Left);   // OFF
    press(key::Enter);  // nothing
    press(key::Down);
    press(key::Down);
    press(key::Down);
    press(key::Down);
    press(key::Down);
    press(key::Down);   // wraps to EXIT
    press(key::Enter);  // leaves
    m.quitWhenIdleAfter(at + 1000);
    runOptionMenu(*t);

    EXPECT_EQ(t->optionMenu.cursor, 0);
    EXPECT_EQ(t->settings.wait, 2);
    EXPECT_EQ(t->settings.itemsOn, 0);
    EXPECT_GE(m.nowMicros(), uint64_t{at - 60} * 1000) << "left at the last Enter";
    EXPECT_EQ(fileBytes(t->settingsPath), std::string("2 0 0\x10\0\0\0\x96\0\0\0\x96\0\0\0" "0 60 100", 25));
    // The changes were shown on the visible page as they were made.
    EXPECT_TRUE(showsValue(t, 1, "002"));
    EXPECT_TRUE(showsValue(t, 2, "OFF"));

    // Leaving without a change saves all the same.
    std::remove(t->settingsPath.c_str());
    m.keyPress(nowMs(t) + 30, key::Enter, 30);
    m.quitWhenIdleAfter(nowMs(t) + 1000);
    runOptionMenu(*t);
    EXPECT_EQ(fileBytes(t->settingsPath).size(), 25u);
}

TEST(OptionMenu, StepValueClampsOrWraps) {
    int32_t field = 5;
    stepValue(field, -10, 0, 9, false);
    EXPECT_EQ(field, 0);
    stepValue(field, -1, 0, 9, true);
    EXPECT_EQ(field, 9);
    stepValue(field, 1, 0, 9, true);
    EXPECT_EQ(field, 0);
    stepValue(field, 50, 0, 9, false);
    EXPECT_EQ(field, 9);
    stepValue(field, -3, 0, 9, false);
    EXPECT_EQ(field, 6);
}
