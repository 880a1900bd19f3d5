// The whole program on the scripted platform, from start-up to each of its endings.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "shell/program.h"
#include "tests/menus/menu_checks.h"

namespace {

bool isBlack(const auto& page) { return std::count(page.begin(), page.end(), 0) == 640 * 480; }

// A run of the program with key presses 100 ms apart; `ref` draws expected pages, lends paths.
struct ProgramRun {
    TestGame ref;
    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game = makeGame(machine);
    uint32_t at = 100;

    explicit ProgramRun(bool ctrlThroughLogo = true) {
        game->settingsPath = ref->settingsPath;
        game->charBitmapName = ref->charBitmapName;
        if (ctrlThroughLogo) machine.keyDown(0, key::Ctrl), machine.keyUp(1, key::Ctrl);
    }
    void press(std::initializer_list<int> codes) {
        for (int code : codes) machine.keyPress(at, code, 40), at += 100;
    }
    // Runs to status 0, display closed, screen black; false if only the late idle quit ended it.
    bool endsByTheScript() {
        machine.quitWhenIdleAfter(at + 10000);
        EXPECT_EQ(runGame(*game, ""), 0);
        EXPECT_FALSE(machine.displayOpen());
        EXPECT_TRUE(isBlack(machine.lastPage().pixels));
        return machine.nowMicros() < uint64_t{at} * 1000;
    }
    std::string settingsFile() const {  // "" when none was written
        std::ifstream in(game->settingsPath, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

}  // namespace

// The logo, then black, then the title after 5.8 s; with Ctrl held the logo passes in a blink.
TEST(ProgramScenario, StartsThroughTheLogoToTheTitleWithAndWithoutCtrl) {
    for (bool ctrl : {false, true}) {
        ProgramRun run(ctrl);
        bool logo = false, black = false;  // the logo line shown whole; then a black screen
        uint64_t titleMs = 0;
        run.machine.onPresent = [&](const platform::ScriptedPlatform::PresentedPage& page) {
            Screen& s = run.ref->screen;
            logo = logo || shows(s, page.pixels.data(), "VEVAZI SOFT 1998", 64, 224, -1, 32);
            black = black || (logo && !titleMs && isBlack(page.pixels));
            if (!titleMs && shows(s, page.pixels.data(), "START", 250, 206, 7))
                titleMs = page.atMicros / 1000 + 1;
        };
        run.at = 7000;
        run.press({key::Pause});
        EXPECT_TRUE(run.endsByTheScript());
        EXPECT_TRUE(logo && black);
        EXPECT_TRUE(titleMs && (ctrl ? titleMs < 50 : titleMs > 5800)) << "title at " << titleMs;
    }
}

// START with one player is refused (the title then steps 1P); with two a match takes the keys.
TEST(ProgramScenario, StartNeedsTwoPlayers) {
    for (int players : {1, 2}) {
        ProgramRun run;
        run.press({key::Down, key::Down, key::Down, key::Down});
        for (int row = 4; row > players; --row) run.press({key::Enter, key::Enter, key::Up});
        for (int row = players; row > 0; --row) run.press({key::Up});
        run.press({key::Enter, key::Down, key::Enter, key::Pause});
        EXPECT_TRUE(run.endsByTheScript());
        EXPECT_EQ(run.game->players.type[0], players == 1 ? PlayerCom : PlayerMan) << players;
    }
}

// Every ending has status 0. Leaving the option menu (Enter on its EXIT row only) and "EXIT"
// write the settings file; Pause, the right button and closing the window never do.
TEST(ProgramScenario, EndingsAndTheSettingsFile) {
    const std::string rest(" 1 0\x10\0\0\0\x96\0\0\0\x96\0\0\0" "0 60 100", 24);
    using platform::EventKind;
    for (EventKind kind : {EventKind::KeyDown, EventKind::RightButton, EventKind::Close}) {
        for (int visit : {0, 1, 2}) {  // title only, option menu changed (WAIT 002), menu left
            ProgramRun run;
            if (visit > 0) run.press({key::Up, key::Up, key::Enter, key::Down, key::Enter});
            if (visit > 0) run.press({key::Right});
            if (visit > 1) run.press({key::Up, key::Enter});
            run.machine.push(run.at, {kind, key::Pause});  // the key is read with KeyDown only
            run.at += 50;
            EXPECT_TRUE(run.endsByTheScript()) << int(kind) << " " << visit;
            EXPECT_EQ(run.settingsFile(), visit > 1 ? "2" + rest : "") << int(kind) << " " << visit;
        }
    }
    ProgramRun run;
    run.press({key::Up, key::Enter});
    EXPECT_TRUE(run.endsByTheScript());
    EXPECT_EQ(run.settingsFile(), "1" + rest);
}
