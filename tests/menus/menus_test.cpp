// The option menu at the ends of its ranges, and the program's endings.
#include "menus/option_menu.h"
#include "shell/program.h"
#include "tests/support/test_game.h"

// At both ends of every range the numbers stop and ON / OFF and the explosion type wrap; the
// new value shows on the visible page and nothing else changes.
TEST(OptionMenu, NumbersStopAtTheEndsOfTheirRangesAndTheOthersWrap) {
    TestGame test;
    Game& game = *test;
    Settings& s = game.play.settings;
    int32_t *wait = &s.wait, *items = &s.itemsOn, *type = &s.explosionType, *on = &s.meteoritesOn;
    int32_t *bomb = &s.explosionValue[ExplosionBomb], *cosmo = &s.explosionValue[ExplosionCosmo];
    int32_t *time = &s.meteoriteTime, *value = &s.meteoriteValue;
    const struct {
        int row;
        int32_t* field;
        int from, delta, to;
        const char* text;
    } cases[] = {{1, wait, 0, -1, 0, "000"},       {1, wait, 999, +1, 999, "999"},
                 {2, items, 1, +1, 0, "OFF"},      {2, items, 0, -1, 1, "ON "},
                 {3, type, 2, +1, 0, "BOMB  "},    {3, type, 0, -1, 2, "COSMO2"},
                 {4, bomb, 0, -1, 0, "0000"},      {4, bomb, 100, +1, 100, "0100"},
                 {4, cosmo, 30, -1, 0, "0000"},    {4, cosmo, 9050, +1, 9050, "9050"},
                 {4, cosmo, 150, +1, 200, "0200"}, {5, on, 1, +1, 0, "OFF"},
                 {5, on, 0, -1, 1, "ON "},         {6, time, 1, -1, 1, "001"},
                 {6, time, 999, +1, 999, "999"},   {7, value, 50, -1, 50, "0050"},
                 {7, value, 100, -1, 50, "0050"},  {7, value, 9050, +1, 9050, "9050"}};
    const int tiles[8] = {7, 8, 3, 1, 1, 6, 6, 6};
    for (const auto& c : cases) {
        s = Settings{};
        s.explosionType = c.field == cosmo ? ExplosionCosmo : ExplosionBomb;
        *c.field = c.from;
        const Settings before = s;
        drawOptionMenu(game);
        for (int r = 0; r < c.row; ++r) moveOptionCursor(game, +1);
        changeOptionValue(game, c.delta);
        EXPECT_EQ(*c.field, c.to) << "row " << c.row << " from " << c.from;
        EXPECT_TRUE(shows(game, game.devices.screen.Pixels(SurfacePrimary), c.text, 422,
                          170 + 32 * c.row, tiles[c.row]));
        *c.field = c.from;
        EXPECT_TRUE(s == before) << "row " << c.row << " changed another value";
    }
}

// Enter on a row with a value does nothing: the screen is left only by Enter on EXIT.
TEST(OptionMenu, EnterLeavesOnlyFromExit) {
    for (int row = 1; row <= 7; ++row) {
        TestGame test;
        uint32_t at = 100;
        const auto press = [&](int code, int times) {
            for (int i = 0; i < times; ++i) test.machine.keyPress(at += 100, code);
        };
        press(key::Down, row), press(key::Enter, 1), press(key::Up, row), press(key::Enter, 1);
        test.machine.quitWhenIdleAfter(at + 1000);
        runOptionMenu(*test);
        EXPECT_GE(test.machine.ticks(), at) << "left from row " << row;
        EXPECT_TRUE(test->play.settings == Settings{});
    }
}

// The title follows the logo after 5.8 s, or at once while Ctrl is held. START with one
// player does nothing. Pause, the right button, closing the window and a quit request end the
// program at once with status 0, the display black and given back, and nothing saved.
TEST(Program, StartNeedsTwoPlayersAndEveryEndingLeavesWithStatusZero) {
    using enum platform::EventKind;
    for (platform::EventKind ending : {KeyDown, RightButton, Close, Quit}) {
        TestGame ref;
        platform::ScriptedPlatform machine;
        const auto game = makeGame(machine);
        game->settingsPath = ref->settingsPath;
        game->charBitmapName = ref->charBitmapName;
        if (ending == KeyDown) {  // Ctrl held through the logo
            machine.keyDown(0, key::Ctrl);
            machine.keyUp(1, key::Ctrl);
        }
        uint32_t at = 6000;
        for (int code :
             {key::Down, key::Enter, key::Enter, key::Down, key::Enter, key::Enter, key::Down,
              key::Enter, key::Enter, key::Up, key::Up, key::Up, key::Enter}) {
            machine.keyPress(at += 100, code);  // 1P, 2P and 3P to NON; START
        }
        machine.push(at + 100, {ending, key::Pause});
        machine.quitWhenIdleAfter(at + 60'000);
        bool table = false;
        uint64_t titleAt = 0;
        machine.onPresent = [&](const auto& page) {
            table |= shows(*ref, page.pixels.data(), "PUSH ENTER KEY TO START", kCentred, 368, 7);
            if (!titleAt && shows(*ref, page.pixels.data(), "START", 250, 206, 7))
                titleAt = page.atMicros;
        };
        EXPECT_EQ(runGame(*game, ""), 0);
        EXPECT_EQ(machine.ticks(), at + 100) << "ended by " << int(ending);
        EXPECT_FALSE(machine.displayOpen());
        EXPECT_EQ(std::count(machine.lastPage().pixels.begin(), machine.lastPage().pixels.end(), 0),
                  kSurfaceBytes);
        EXPECT_FALSE(table) << "a match with one player";
        EXPECT_TRUE(ending == KeyDown ? titleAt < 50'000 : titleAt > 5'800'000) << titleAt;
        EXPECT_EQ(readFile(game->settingsPath), "");
    }
}
