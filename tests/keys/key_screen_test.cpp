// The key screen on the scripted platform: choosing keys, refusing a clash and a reserved key,
// giving up, restoring the usual keys, the keyboard check, a failed save, the way in.
#include <filesystem>

#include "menus/key_menu.h"
#include "menus/option_menu.h"
#include "tests/support/test_game.h"

namespace {

constexpr const char* kUsualFile = "1P Q A Z\n2P B N M\n3P LEFT DOWN RIGHT\n4P KP3 KP6 KP9\n";
constexpr int kWhite = TileWhite, kRed = TileRed;

// The key screen driven by a script of keys 100 ms apart, left with Esc at its end; the page
// shown at each mark of the script is kept.
struct KeyScreenRun {
    KeyScreenRun() {
        test.machine.onPresent = [this](const platform::ScriptedPlatform::PresentedPage& page) {
            for (auto& [at, pixels] : marks) {
                if (page.atMicros < uint64_t{at} * 1000) {
                    pixels = page.pixels;
                    break;
                }
            }
        };
    }
    void press(int code, uint32_t holdMs = 20) {
        test.machine.keyPress(at, code, holdMs);
        at += holdMs + 100;
    }
    void presses(std::initializer_list<int> codes) {
        for (int code : codes) press(code);
    }
    // A mark: the page shown now.
    void mark() { marks.push_back({at += 10, {}}); }
    void run() {
        press(key::Esc);
        test.machine.quitWhenIdleAfter(at + 10'000);
        runKeyMenu(*test);
    }
    // The page of mark m shows text at (x, y) in the tile.
    ::testing::AssertionResult shows(size_t m, const std::string& text, int x, int y, int tile) {
        return ::shows(*test, marks.at(m).second.data(), text, x, y, tile);
    }
    ::testing::AssertionResult says(size_t m, const std::string& text, int tile) {
        return shows(m, text, kCentred, kKeyMessageY, tile);
    }
    ::testing::AssertionResult rowShows(size_t m, int slot, const PlayerKeys& keys) {
        const int y = kKeyMenu.rowY(KeyRowFirstPlayer + slot);
        for (int which = 0; which < kKeysPerSlot; ++which) {
            auto shown = shows(m, key::nameOf(keys.at(which)), kKeyColumnX[which], y, slot + 1);
            if (!shown) return shown;
        }
        return ::testing::AssertionSuccess();
    }

    TestGame test;
    uint32_t at = 100;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> marks;
};

}  // namespace

// 4P chooses its keys: 1P's Q and Page Up are refused with a message and change nothing, a
// key it pressed already is refused too, its own old KP9 may stay; the three keys then hold
// and are in the keys file at once.
TEST(KeyScreen, AChoiceRefusesOthersKeysAndReservedOnesAndIsSavedAtOnce) {
    KeyScreenRun screen;
    screen.presses({key::Down, key::Down, key::Down, key::Down, key::Enter});
    screen.mark();
    screen.press('Q');
    screen.mark();
    screen.press(key::PageUp);
    screen.mark();
    screen.presses({'J', 'J'});
    screen.mark();
    screen.presses({'K', key::numpad(9)});
    screen.mark();
    screen.run();
    const PlayerKeys chosen{'J', 'K', key::numpad(9)};
    EXPECT_TRUE(screen.says(0, "PRESS 4P'S TURN LEFT KEY", kWhite));
    EXPECT_TRUE(screen.says(1, "Q IS 1P'S KEY, PRESS ANOTHER", kRed));
    EXPECT_TRUE(screen.says(2, "PAGEUP IS RESERVED, PRESS ANOTHER", kRed));
    EXPECT_TRUE(screen.says(3, "J IS 4P'S KEY, PRESS ANOTHER", kRed));
    EXPECT_TRUE(screen.shows(3, "J  ", kKeyColumnX[0], kKeyMenu.rowY(4), 4));
    EXPECT_TRUE(screen.shows(3, "   ", kKeyColumnX[1], kKeyMenu.rowY(4), 4));
    EXPECT_TRUE(screen.says(4, "4P'S KEYS ARE SET", kWhite));
    EXPECT_TRUE(screen.rowShows(4, 3, chosen));
    EXPECT_EQ(
        screen.test->devices.playerKeys,
        (PlayerKeyTable{{kUsualPlayerKeys[0], kUsualPlayerKeys[1], kUsualPlayerKeys[2], chosen}}));
    EXPECT_EQ(readFile(screen.test->keysPath()),
              "1P Q A Z\n2P B N M\n3P LEFT DOWN RIGHT\n4P J K KP9\n");
    EXPECT_EQ(readFile(screen.test->settingsPath), "");
}

// Esc gives a choice up and writes nothing; a key held with the keyboard's auto-repeat counts
// once; the last row gives everybody the usual keys back, in the file too.
TEST(KeyScreen, EscGivesUpAHeldKeyCountsOnceAndTheUsualKeysComeBack) {
    KeyScreenRun screen;
    screen.presses({key::Down, key::Enter, 'J', key::Esc});
    screen.mark();
    screen.press(key::Enter);
    screen.test.machine.keyDown(screen.at, 'J');
    for (uint32_t r = 0; r < 5; ++r)
        screen.test.machine.keyDown(screen.at + 400 + 33 * r, 'J', true);
    screen.test.machine.keyUp(screen.at + 600, 'J');
    screen.at += 700;
    screen.mark();
    screen.presses({'K', 'L'});
    screen.mark();
    screen.presses({key::Down, key::Down, key::Down, key::Down, key::Enter});
    screen.mark();
    screen.run();
    EXPECT_TRUE(screen.says(0, "1P KEEPS ITS KEYS", kWhite));
    EXPECT_TRUE(screen.rowShows(0, 0, kUsualPlayerKeys[0]));
    EXPECT_TRUE(screen.says(1, "PRESS 1P'S FIRE KEY", kWhite));
    EXPECT_TRUE(screen.says(2, "1P'S KEYS ARE SET", kWhite));
    EXPECT_TRUE(screen.rowShows(2, 0, {'J', 'K', 'L'}));
    EXPECT_TRUE(screen.says(3, "EVERYBODY HAS THE USUAL KEYS", kWhite));
    EXPECT_TRUE(screen.rowShows(3, 0, kUsualPlayerKeys[0]));
    EXPECT_EQ(screen.test->devices.playerKeys, kUsualPlayerKeys);
    EXPECT_EQ(readFile(screen.test->keysPath()), kUsualFile);
}

// The check shows every key the keyboard holds, in its player's colour or white, and the
// buttons the pads hold, in the colour of the pad's player; let go, they are gone.
TEST(KeyScreen, TheKeyboardCheckShowsWhatIsHeldNow) {
    KeyScreenRun screen;
    auto& machine = screen.test.machine;
    for (int code : {'L', ' ', 'A', 'B'}) machine.keyDown(screen.at, code);
    machine.padDown(screen.at, 1, platform::PadButton::LeftShoulder);
    screen.at += 100;
    screen.mark();
    for (int code : {'L', ' ', 'A', 'B'}) machine.keyUp(screen.at, code);
    machine.padUp(screen.at, 1, platform::PadButton::LeftShoulder);
    screen.at += 100;
    screen.mark();
    screen.run();
    int x = kKeyCheckNamesX;
    for (const auto& [name, tile] :
         {std::pair{"SPACE", kWhite}, {"A", 1}, {"B", 2}, {"L", kWhite}, {"PAD2:LSHOULDER", 2}}) {
        EXPECT_TRUE(screen.shows(0, name, x, kKeyCheckY, tile)) << name;
        EXPECT_TRUE(screen.shows(1, std::string(std::strlen(name), ' '), x, kKeyCheckY, kWhite));
        x += kGlyphCell * (int(std::strlen(name)) + 1);
    }
    EXPECT_TRUE(screen.shows(0, "HELD:", 64, kKeyCheckY, kWhite));
}

// A save that fails is shown on the screen and told on standard error; the keys hold anyway.
TEST(KeyScreen, AFailedSaveIsShownAndTold) {
    KeyScreenRun screen;
    std::filesystem::create_directory(screen.test->keysPath());
    screen.presses({key::Up, key::Up, key::Enter, 'J', 'K', 'L'});
    screen.mark();
    ::testing::internal::CaptureStderr();
    screen.run();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "diraviru: cannot save the keys to " +
                                                            screen.test->keysPath() +
                                                            ": not a regular file, not replaced\n");
    EXPECT_TRUE(screen.says(0, kKeysNotSaved, kRed));
    EXPECT_EQ(screen.test->devices.playerKeys[3], (PlayerKeys{'J', 'K', 'L'}));
}

// KEY CONFIG is the option menu's last row, below the others, and Up on EXIT reaches it;
// Enter opens the key screen and its EXIT comes back with the pointer on KEY CONFIG. The
// settings stay as they were.
TEST(KeyScreen, IsReachedFromTheOptionMenusLastRow) {
    TestGame test;
    Game& game = *test;
    auto& machine = test.machine;
    std::vector<uint8_t> keyPage, backPage;
    machine.onPresent = [&](const auto& page) {
        (page.atMicros < 500'000 ? keyPage : backPage) = page.pixels;
    };
    uint32_t at = 100;
    for (int code : {key::Up, key::Enter, key::Enter}) {
        machine.keyPress(at, code);
        at += 200;
    }
    machine.quitWhenIdleAfter(at + 1000);
    EXPECT_THROW(runOptionMenu(game), ProgramExit);
    EXPECT_TRUE(shows(game, keyPage.data(), "USUAL KEYS", kKeyMenu.textX,
                      kKeyMenu.rowY(KeyRowUsual), TilePurple));
    EXPECT_TRUE(shows(game, backPage.data(), "KEY CONFIG", 150, 426, TileSkyBlue));
    EXPECT_TRUE(shows(game, backPage.data(), ">", 118, 426));
    EXPECT_TRUE(shows(game, backPage.data(), " ", 118, 170));
    EXPECT_EQ(game.optionMenu.cursor, 8);
    EXPECT_TRUE(game.play.settings == Settings{});
}
