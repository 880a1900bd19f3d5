#include "shell/program.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "menus/option_menu.h"
#include "menus/title_menu.h"
#include "platform/regular_file.h"
#include "shell/game_folders.h"
#include "shell/match_recording.h"
#include "shell/replay_playback.h"
#include "shell/start_up.h"

namespace {

// The keys file's choice; what it could not give is told on standard error, one line each.
void loadKeysOrTell(Game& game) {
    const std::string path = platform::absolutePath(game.keysPath());
    std::vector<std::string> problems;
    game.devices.playerKeys = loadKeys(path, problems);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "diraviru: %s: %s\n", path.c_str(), problem.c_str());
    }
}

void buildStartupTables(Game& game) {
    buildTables(game);
    // Every start plays differently; a scripted platform fixes the seed by its calendar time.
    game.play.random.seed(static_cast<uint32_t>(game.devices.platform->calendarTime()));
    game.play.settings.loadSettings(game.settingsPath);
    loadKeysOrTell(game);
}

// Saves the settings where they last (their folder made first when it is missing; the
// platform keeps the file: a browser copies it into its storage); when that fails, standard
// error gets one line with the file and the reason, and the result is false. The previous
// file is then left as it was.
bool saveSettingsOrTell(Game& game) {
    const std::string path = platform::absolutePath(game.settingsPath);
    std::string error;
    if (platform::makeMissingFolders(game.dataFolder, error) &&
        game.play.settings.saveSettings(path, error) && game.devices.platform->keepFiles(error)) {
        return true;
    }
    std::fprintf(stderr, "diraviru: cannot save the settings to %s: %s\n", path.c_str(),
                 error.c_str());
    return false;
}

// "EXIT" after a failed save: the notice stays up for kNoticeMs so the player sees why,
// then the program ends with status 1. An ending pressed meanwhile (Pause, closing the
// window) only ends it sooner; the status stays 1.
[[noreturn]] void endAfterUnsavedNotice(Game& game) {
    showTitleNotice(game, kSettingsNotSaved);
    showPage(game.devices.screen);
    try {
        markFrameStart(game.devices);
        waitSinceMark(game.devices, kNoticeMs);
    } catch (const ProgramExit&) {
    }
    throw ProgramExit{1};
}

}  // namespace

int endProgram(Game& game, const ProgramExit& ending) {
    if (game.devices.screen.IsOpen()) {
        game.devices.screen.Clear(SurfacePrimary);
        game.devices.screen.Clear(SurfaceBack);
        game.devices.screen.Present();
        game.devices.screen.Close();
    }
    return ending.status;
}

void startUp(Game& game, const std::string& assetDir) {
    openDisplay(game, assetDir);
    showLogo(game);
    buildStartupTables(game);
}

namespace {

// What Enter does on a title row: `row` is the row, `net` the hosted network game or nullptr.
using TitleAction = void (*)(Game& game, HostedTitle* net, int row);

// START plays with two players or more: with the joined machines when there are any.
void startMatch(Game& game, HostedTitle* net, int) {
    if (game.play.players.presentCount() < 2) return;
    if (net != nullptr && net->othersJoined()) {
        net->playHostMatch(game);
    } else {
        runLocalMatch(game);
    }
    drawTitle(game);
}

void changePlayer(Game& game, HostedTitle* net, int row) {
    if (net != nullptr) {
        net->cycleSlot(game, row - TitleRowFirstPlayer);
    } else {
        cyclePlayerType(game);
    }
}

void visitOptions(Game& game, HostedTitle*, int) {
    runOptionMenu(game);
    // Saved on every leaving, changed or not, before the title comes back: a title on the
    // screen means the settings are kept (a browser's storage takes a moment).
    const bool saved = saveSettingsOrTell(game);
    drawTitle(game);
    if (!saved) showTitleNotice(game, kSettingsNotSaved);
}

void leaveProgram(Game& game, HostedTitle*, int) {
    if (saveSettingsOrTell(game)) throw ProgramExit{0};
    endAfterUnsavedNotice(game);
}

// What Enter does on each of the title's rows.
constexpr auto kTitleActions = [] {
    std::array<TitleAction, kTitleRows> actions{};
    actions[TitleRowStart] = startMatch;
    for (int row = TitleRowFirstPlayer; row <= TitleRowLastPlayer; ++row) {
        actions[row] = changePlayer;
    }
    actions[TitleRowOption] = visitOptions;
    actions[TitleRowExit] = leaveProgram;
    return actions;
}();
// (std::find: the web build's standard library has no std::ranges::find.)
static_assert(std::find(kTitleActions.begin(), kTitleActions.end(), nullptr) ==
              kTitleActions.end());

}  // namespace

void runTopLevelLoop(Game& game, HostedTitle* net) {
    drawTitle(game);
    for (;;) {
        runTitleInput(game);
        const int row = game.titleMenu.cursor;
        kTitleActions[row](game, net, row);
    }
}

int runGame(Game& game, const std::string& assetDir, const Options& options) {
    try {
        if (options.mode == Options::Mode::Play) return runPlayback(game, assetDir, options);
        startUp(game, assetDir);
        runTopLevelLoop(game);
    } catch (const ProgramExit& ending) {
        return endProgram(game, ending);
    }
}

std::unique_ptr<Game> makeProgramGame(platform::Platform& machine, const GameFolders& folders,
                                      const Options& options) {
    if (!folders.error.empty() && options.mode != Options::Mode::Play) {
        std::fprintf(stderr, "diraviru: %s\n", folders.error.c_str());
        return nullptr;
    }
    auto game = makeGame(machine);
    placeFiles(*game, folders.data);
    if (!options.recordPath.empty()) game->recordPath = options.recordPath;
    return game;
}

int runProgram(platform::Platform& machine, const GameFolders& folders, const Options& options) {
    const auto game = makeProgramGame(machine, folders, options);
    return game ? runGame(*game, folders.assets, options) : 1;
}
