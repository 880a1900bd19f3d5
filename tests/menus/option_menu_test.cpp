// The option menu's screen, pointer and values (leaving it: program_scenario_test.cpp).
#include "menus/option_menu.h"

#include "tests/menus/menu_checks.h"

namespace {

constexpr int kRowTiles[8] = {7, 8, 3, 1, 1, 6, 6, 6};
int rowY(int row) { return 170 + 32 * row; }
const uint8_t* visible(TestGame& t) { return t->screen.Pixels(SurfacePrimary); }
// Left (-1) or Right (+1) on `row` with its field at `from` gives `to`, shown as `text`.
struct Case { int row; int32_t* field; int from, delta, to; const char *text, *row4 = nullptr; };

}  // namespace

// The screen is built and flipped into view; the pointer moves on the visible page and wraps.
// At both ends of every range the numbers stop and the others wrap; only that value changes.
TEST(OptionMenu, ScreenPointerAndEveryRowAtBothEndsOfItsRange) {
    TestGame t;
    Screen& screen = t->screen;
    drawOptionMenu(*t);
    const char* labels[8] = {"EXIT",      "WAIT",           "ITEM",           "EXPLOSION TYPE",
                             "EXPLOSION VALUE", "METEORITE", "METEORITE TIME", "METEORITE VALUE"};
    const char* values[8] = {"", "001", "ON ", "BOMB  ", "0016", "OFF", "060", "0100"};
    EXPECT_TRUE(shows(screen, shown(t), "OPTION", 128, 60, -1, 64));
    for (int r = 0; r < 8; ++r) {
        EXPECT_TRUE(shows(screen, shown(t), labels[r], 150, rowY(r), kRowTiles[r]));
        EXPECT_TRUE(shows(screen, shown(t), values[r], 422, rowY(r), kRowTiles[r]));
    }
    expectPointer(screen, shown(t), 118, 170, 32, 8, 0);
    moveOptionCursor(*t, -1);  // Up on "EXIT" goes to "METEORITE VALUE"
    EXPECT_EQ(t->optionMenu.cursor, 7);
    expectPointer(screen, visible(t), 118, 170, 32, 8, 7);

    Settings& s = t->settings;
    int32_t *wait = &s.wait, *items = &s.itemsOn, *type = &s.explosionType, *on = &s.meteoritesOn;
    int32_t *bomb = &s.explosionValue[ExplosionBomb], *cosmo = &s.explosionValue[ExplosionCosmo];
    int32_t *time = &s.meteoriteTime, *value = &s.meteoriteValue;
    const Case cases[] = {
        {1, wait, 0, -1, 0, "000"}, {1, wait, 999, +1, 999, "999"}, {2, items, 1, +1, 0, "OFF"},
        {2, items, 0, -1, 1, "ON "}, {3, type, 2, +1, 0, "BOMB  ", "0016"},
        {3, type, 0, -1, 2, "COSMO2", "0150"}, {4, bomb, 0, -1, 0, "0000"},
        {4, bomb, 100, +1, 100, "0100"}, {4, bomb, 16, +1, 17, "0017"},
        {4, cosmo, 30, -1, 0, "0000"}, {4, cosmo, 9050, +1, 9050, "9050"},
        {4, cosmo, 150, +1, 200, "0200"}, {5, on, 1, +1, 0, "OFF"}, {5, on, 0, -1, 1, "ON "},
        {6, time, 1, -1, 1, "001"}, {6, time, 999, +1, 999, "999"}, {7, value, 50, -1, 50, "0050"},
        {7, value, 100, -1, 50, "0050"}, {7, value, 9050, +1, 9050, "9050"}};
    for (const Case& c : cases) {
        s = Settings{};
        s.explosionType = c.field == cosmo ? ExplosionCosmo : ExplosionBomb;
        *c.field = c.from;
        const Settings before = s;
        drawOptionMenu(*t);
        for (int r = 0; r < c.row; ++r) moveOptionCursor(*t, +1);
        changeOptionValue(*t, c.delta);
        EXPECT_EQ(*c.field, c.to) << "row " << c.row << " from " << c.from;
        EXPECT_TRUE(shows(screen, visible(t), c.text, 422, rowY(c.row), kRowTiles[c.row]));
        EXPECT_TRUE(!c.row4 || shows(screen, visible(t), c.row4, 422, rowY(4), 1));
        *c.field = c.from;
        EXPECT_TRUE(s == before) << "row " << c.row << " changed another value";
    }
}
