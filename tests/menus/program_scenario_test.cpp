// The whole program on the scripted platform, from start-up through the logo to the title
// and its rows, the option menu and the settings file, and every ending.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "shell/game.h"
#include "shell/program.h"
#include "tests/menus/menu_checks.h"
#include "tests/support/test_game.h"

using namespace menu_checks;

namespace {

using Page = platform::ScriptedPlatform::PresentedPage;

constexpr uint32_t kPressHoldMs = 40;
constexpr uint32_t kPressSpacingMs = 100;
const std::string kDefaultFile("1 1 0\x10\0\0\0\x96\0\0\0\x96\0\0\0" "0 60 100", 25);

int titleRowY(int row) { return 206 + 28 * row; }
int optionRowY(int row) { return 170 + 32 * row; }

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One run of the program: a fresh Game with its settings file in a temporary directory, the
// real char.bmp, a fixed seed, and a script of key presses at virtual times.
struct ProgramRun {
    ProgramRun() : game(makeGame(machine)), dir(makeTempDir()) {
        game->settingsPath = dir + "/dod_eved.dat";
        game->charBitmapName = sourcePath("assets/char.bmp");
        game->fixedSeed = 1;
    }
    ~ProgramRun() {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // Ctrl held through the logo, released right after it.
    void skipLogo() {
        machine.keyDown(0, key::Ctrl);
        machine.keyUp(1, key::Ctrl);
        at = 100;
    }
    // The next key press of the script.
    void press(int code) {
        machine.keyPress(at, code, kPressHoldMs);
        at += kPressSpacingMs;
    }
    // Ends the script with the Pause key; a run that misses it still ends, by the quit
    // request long after, which endsAtPause() tells apart.
    void pauseLast() {
        pauseAt = at;
        machine.keyPress(at, key::Pause, kPressHoldMs);
        machine.quitWhenIdleAfter(at + 10000);
    }
    bool endsAtPause() const { return machine.nowMicros() < uint64_t{pauseAt + 50} * 1000; }

    // Keeps the last page presented before `ms` (the endings present a black page).
    void keepPageBefore(uint32_t ms) {
        machine.onPresent = [this, ms](const Page& page) {
            if (page.atMicros < uint64_t{ms} * 1000) kept = page.pixels;
        };
    }

    int run() { return runGame(*game, ""); }
    std::string settingsFile() const { return fileBytes(game->settingsPath); }
    bool settingsWritten() const { return std::filesystem::exists(game->settingsPath); }

    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game;
    std::string dir;
    uint32_t at = 0;
    uint32_t pauseAt = 0;
    std::vector<uint8_t> kept;
};

// Draws the expected pictures: a Game with the real char.bmp loaded.
struct Reference {
    TestGame t;
    Screen& screen() { return t->screen; }
};

void expectTitlePointerOn(Reference& ref, const uint8_t* page, int row) {
    for (int r = 0; r < 7; ++r) {
        EXPECT_TRUE(showsChar(ref.screen(), page, r == row ? '>' : ' ', 218, titleRowY(r), 16))
            << "title pointer cell of row " << r;
    }
}

bool showsTitle(Reference& ref, const uint8_t* page) {
    return showsText(ref.screen(), page, "REZI", 96, 36, 112) &&
           showsColourText(ref.screen(), page, "START", 250, titleRowY(0), 7);
}

bool isBlack(const std::vector<uint8_t>& pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](uint8_t p) { return p == 0; });
}

// When the logo line was first shown whole, when the screen first went black after it,
// and when the title first appeared, in virtual ms (0 when never).
struct StartUpLog {
    uint32_t logoShown = 0;
    uint32_t blackAfterLogo = 0;
    uint32_t titleShown = 0;
};

void watchStartUp(ProgramRun& run, Reference& ref, StartUpLog& log) {
    run.machine.onPresent = [&ref, &log](const Page& page) {
        const uint32_t ms = static_cast<uint32_t>(page.atMicros / 1000);
        if (log.logoShown == 0 &&
            showsText(ref.screen(), page.pixels.data(), "VEVAZI SOFT 1998", 64, 224, 32)) {
            log.logoShown = std::max(ms, 1u);
        }
        if (log.logoShown != 0 && log.blackAfterLogo == 0 && log.titleShown == 0 &&
            isBlack(page.pixels)) {
            log.blackAfterLogo = std::max(ms, 1u);
        }
        if (log.titleShown == 0 && showsTitle(ref, page.pixels.data())) {
            log.titleShown = std::max(ms, 1u);
        }
    };
}

}  // namespace

TEST(ProgramScenario, StartsThroughTheLogoToTheTitleAndCtrlSkipsTheLogo) {
    Reference ref;
    {
        ProgramRun run;
        StartUpLog log;
        watchStartUp(run, ref, log);
        run.at = 7000;
        run.pauseLast();
        EXPECT_EQ(run.run(), 0);
        EXPECT_TRUE(run.endsAtPause());
        ASSERT_NE(log.titleShown, 0u);
        EXPECT_NE(log.logoShown, 0u);
        EXPECT_GT(log.blackAfterLogo, log.logoShown);
        EXPECT_GE(log.titleShown, log.blackAfterLogo);
        EXPECT_GE(log.titleShown, 5800u) << "the logo lasts 5.8 seconds";
        EXPECT_EQ(run.game->titleMenu.cursor, 0);
        EXPECT_FALSE(run.settingsWritten()) << "Pause does not save";
        // The settings were read after the logo and the player slots start as MAN.
        EXPECT_EQ(run.game->players.type[3], PlayerMan);
    }
    {
        ProgramRun run;
        StartUpLog log;
        watchStartUp(run, ref, log);
        run.skipLogo();
        run.pauseLast();
        EXPECT_EQ(run.run(), 0);
        EXPECT_TRUE(run.endsAtPause());
        EXPECT_NE(log.logoShown, 0u) << "the logo is still shown, only faster";
        ASSERT_NE(log.titleShown, 0u);
        EXPECT_LT(log.titleShown, 50u) << "with Ctrl held the logo passes in a blink";
    }
}

TEST(ProgramScenario, TitleNavigationWrapsAndPlayerRowsStepTheirSlots) {
    Reference ref;
    ProgramRun run;
    run.skipLogo();
    run.press(key::Up);     // START -> EXIT
    run.press(key::Down);   // EXIT -> START
    run.press(key::Down);   // 1 PLAYER
    run.press(key::Enter);  // MAN -> COM
    run.press(key::Down);   // 2 PLAYER
    run.press(key::Enter);  // MAN -> COM
    run.press(key::Enter);  // COM -> NON
    run.press(key::Up);
    run.press(key::Up);
    run.press(key::Up);     // wraps to EXIT
    run.press(key::Up);     // OPTION
    run.keepPageBefore(run.at);
    run.pauseLast();
    EXPECT_EQ(run.run(), 0);
    EXPECT_TRUE(run.endsAtPause());

    EXPECT_EQ(run.game->titleMenu.cursor, 5);
    EXPECT_EQ(run.game->players.type[0], PlayerCom);
    EXPECT_EQ(run.game->players.type[1], PlayerNon);
    EXPECT_EQ(run.game->players.type[2], PlayerMan);
    ASSERT_FALSE(run.kept.empty());
    const uint8_t* page = run.kept.data();
    EXPECT_TRUE(showsTitle(ref, page));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "1 PLAYER COM", 250, titleRowY(1), 1));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "2 PLAYER NON", 250, titleRowY(2), 2));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "3 PLAYER MAN", 250, titleRowY(3), 3));
    expectTitlePointerOn(ref, page, 5);
    EXPECT_FALSE(run.settingsWritten());
    // Every ending clears the screen: the last page shown is black.
    EXPECT_TRUE(isBlack(run.machine.lastPage().pixels));
}

TEST(ProgramScenario, StartWithFewerThanTwoPlayersDoesNothing) {
    Reference ref;
    ProgramRun run;
    run.skipLogo();
    // Slots 2, 3 and 4 to NON: two steps each (MAN -> COM -> NON).
    run.press(key::Down);
    for (int row = 2; row <= 4; ++row) {
        run.press(key::Down);
        run.press(key::Enter);
        run.press(key::Enter);
    }
    for (int up = 0; up < 4; ++up) run.press(key::Up);  // back to START
    const uint32_t startPressed = run.at;
    run.press(key::Enter);  // refused: one player only
    run.at += 500;
    run.keepPageBefore(run.at);
    run.pauseLast();

    // The page just before Enter on START, to compare with the page after it.
    std::vector<uint8_t> beforeStart;
    const auto keepAfter = run.machine.onPresent;
    run.machine.onPresent = [&](const Page& page) {
        if (page.atMicros < uint64_t{startPressed} * 1000) beforeStart = page.pixels;
        keepAfter(page);
    };

    EXPECT_EQ(run.run(), 0);
    EXPECT_TRUE(run.endsAtPause());
    EXPECT_EQ(run.game->players.type[0], PlayerMan);
    for (int slot = 1; slot < 4; ++slot) EXPECT_EQ(run.game->players.type[slot], PlayerNon);
    EXPECT_EQ(run.game->titleMenu.cursor, 0) << "the cursor stays on START";
    ASSERT_FALSE(beforeStart.empty());
    ASSERT_FALSE(run.kept.empty());
    EXPECT_TRUE(run.kept == beforeStart) << "the title does not change";
    EXPECT_TRUE(showsColourText(ref.screen(), run.kept.data(), "4 PLAYER NON", 250,
                                titleRowY(4), 4));
    expectTitlePointerOn(ref, run.kept.data(), 0);
}

TEST(ProgramScenario, OptionChangesAreSavedWhenTheOptionMenuIsLeft) {
    Reference ref;
    {
        // Unchanged: leaving writes the defaults.
        ProgramRun run;
        run.skipLogo();
        run.press(key::Up);
        run.press(key::Up);     // OPTION
        run.press(key::Enter);  // open
        run.press(key::Enter);  // EXIT row: leave
        run.pauseLast();
        EXPECT_EQ(run.run(), 0);
        EXPECT_TRUE(run.endsAtPause());
        EXPECT_EQ(run.settingsFile(), kDefaultFile);
    }
    {
        ProgramRun run;
        run.skipLogo();
        run.press(key::Up);
        run.press(key::Up);     // OPTION
        run.press(key::Enter);  // open
        run.press(key::Down);   // WAIT
        run.press(key::Right);  // 002
        const uint32_t changed = run.at;  // the Up that follows
        run.press(key::Up);     // EXIT
        run.press(key::Enter);  // leave and save
        run.at += 300;
        run.keepPageBefore(run.at);
        run.pauseLast();

        std::vector<uint8_t> optionScreen;
        const auto keepAfter = run.machine.onPresent;
        run.machine.onPresent = [&](const Page& page) {
            if (page.atMicros < uint64_t{changed} * 1000) optionScreen = page.pixels;
            keepAfter(page);
        };
        EXPECT_EQ(run.run(), 0);
        EXPECT_TRUE(run.endsAtPause());

        std::string expected = kDefaultFile;
        expected[0] = '2';
        EXPECT_EQ(run.settingsFile(), expected);
        EXPECT_EQ(run.game->settings.wait, 2);
        // The change showed on the option screen, and the title came back afterwards with
        // the pointer on START.
        ASSERT_FALSE(optionScreen.empty());
        EXPECT_TRUE(showsText(ref.screen(), optionScreen.data(), "OPTION", 128, 60, 64));
        EXPECT_TRUE(showsColourText(ref.screen(), optionScreen.data(), "002", 422,
                                    optionRowY(1), 8));
        EXPECT_TRUE(showsChar(ref.screen(), optionScreen.data(), '>', 118, optionRowY(1), 16));
        ASSERT_FALSE(run.kept.empty());
        EXPECT_TRUE(showsTitle(ref, run.kept.data()));
        expectTitlePointerOn(ref, run.kept.data(), 0);
        EXPECT_EQ(run.game->titleMenu.cursor, 0);
    }
}

TEST(ProgramScenario, ExitOnTheTitleSavesAndEndsWithStatusZero) {
    ProgramRun run;
    run.skipLogo();
    run.press(key::Up);     // EXIT
    run.press(key::Enter);
    run.machine.quitWhenIdleAfter(run.at + 10000);
    EXPECT_EQ(run.run(), 0);
    EXPECT_LT(run.machine.nowMicros(), uint64_t{run.at} * 1000) << "ended by EXIT";
    EXPECT_EQ(run.settingsFile(), kDefaultFile);
    EXPECT_TRUE(isBlack(run.machine.lastPage().pixels));
    EXPECT_FALSE(run.machine.displayOpen());
}

TEST(ProgramScenario, PauseRightButtonAndClosingEndWithoutSaving) {
    const platform::Event endings[] = {
        {platform::EventKind::KeyDown, key::Pause, false},
        {platform::EventKind::RightButton, 0, false},
        {platform::EventKind::Close, 0, false},
        {platform::EventKind::Quit, 0, false},
    };
    for (const platform::Event& ending : endings) {
        for (bool inOptionMenu : {false, true}) {
            ProgramRun run;
            run.skipLogo();
            if (inOptionMenu) {
                run.press(key::Up);
                run.press(key::Up);
                run.press(key::Enter);
                run.press(key::Down);
                run.press(key::Right);  // changed in memory only
            }
            const uint32_t endAt = run.at;
            run.machine.push(endAt, ending);
            run.machine.quitWhenIdleAfter(endAt + 10000);
            EXPECT_EQ(run.run(), 0);
            EXPECT_LT(run.machine.nowMicros(), uint64_t{endAt + 50} * 1000)
                << "ending " << int(ending.kind) << " ends at once";
            EXPECT_FALSE(run.settingsWritten()) << "ending " << int(ending.kind);
            EXPECT_FALSE(run.machine.displayOpen());
            EXPECT_TRUE(isBlack(run.machine.lastPage().pixels));
        }
    }
}

TEST(ProgramScenario, ADamagedSettingsFileStartsWithClampedValues) {
    Reference ref;
    ProgramRun run;
    // WAIT 2000, type 9, BOMB 16, COSMO 150, COSMO2 99999, meteorites on, time 0, value 20.
    const std::string damaged("2000 1 9\x10\0\0\0\x96\0\0\0\x9f\x86\x01\0" "1 0 20", 26);
    {
        std::ofstream out(run.game->settingsPath, std::ios::binary);
        out << damaged;
    }
    run.skipLogo();
    run.press(key::Up);
    run.press(key::Up);
    run.press(key::Enter);  // the option menu shows what was loaded
    run.at += 300;
    run.keepPageBefore(run.at);
    run.pauseLast();
    EXPECT_EQ(run.run(), 0);
    EXPECT_TRUE(run.endsAtPause());

    const Settings& s = run.game->settings;
    EXPECT_EQ(s.wait, 999);
    EXPECT_EQ(s.explosionType, ExplosionCosmo2);
    EXPECT_EQ(s.explosionValue[ExplosionCosmo2], 9050);
    EXPECT_EQ(s.meteoriteTime, 1);
    EXPECT_EQ(s.meteoriteValue, 50);
    ASSERT_FALSE(run.kept.empty());
    const uint8_t* page = run.kept.data();
    EXPECT_TRUE(showsColourText(ref.screen(), page, "999", 422, optionRowY(1), 8));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "COSMO2", 422, optionRowY(3), 1));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "9050", 422, optionRowY(4), 1));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "ON ", 422, optionRowY(5), 6));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "001", 422, optionRowY(6), 6));
    EXPECT_TRUE(showsColourText(ref.screen(), page, "0050", 422, optionRowY(7), 6));
    EXPECT_EQ(run.settingsFile(), damaged) << "nothing was saved over it";
}
