#include "shell/program.h"

#include <cstdio>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "menus/option_menu.h"
#include "menus/title_menu.h"
#include "platform/regular_file.h"
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

// Saves the settings where they last (the platform keeps the file: a browser copies it into
// its storage); when that fails, standard error gets one line with the file and the reason,
// and the result is false. The previous file is then left as it was.
bool saveSettingsOrTell(Game& game) {
    const std::string path = platform::absolutePath(game.settingsPath);
    std::string error;
    if (game.play.settings.saveSettings(path, error) && game.devices.platform->keepFiles(error))
        return true;
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

void startUp(Game& game, const std::string& exeDir) {
    openDisplay(game, exeDir);
    showLogo(game);
    buildStartupTables(game);
}

void runTopLevelLoop(Game& game, HostedTitle* net) {
    drawTitle(game);
    for (;;) {
        runTitleInput(game);
        const int row = game.titleMenu.cursor;
        if (row == TitleRowStart) {
            if (game.play.players.presentCount() >= 2) {
                if (net != nullptr && net->othersJoined()) {
                    net->playHostMatch(game);
                } else {
                    runLocalMatch(game);
                }
                drawTitle(game);
            }
        } else if (isPlayerRow(row)) {
            if (net != nullptr) {
                net->cycleSlot(game, row - TitleRowFirstPlayer);
            } else {
                cyclePlayerType(game);
            }
        } else if (row == TitleRowOption) {
            runOptionMenu(game);
            // Saved on every leaving, changed or not, before the title comes back: a title on
            // the screen means the settings are kept (a browser's storage takes a moment).
            const bool saved = saveSettingsOrTell(game);
            drawTitle(game);
            if (!saved) showTitleNotice(game, kSettingsNotSaved);
        } else if (row == TitleRowExit) {
            if (saveSettingsOrTell(game)) throw ProgramExit{0};
            endAfterUnsavedNotice(game);
        }
    }
}

int runGame(Game& game, const std::string& exeDir, const Options& options) {
    try {
        if (options.mode == Options::Mode::Play) return runPlayback(game, exeDir, options);
        startUp(game, exeDir);
        runTopLevelLoop(game);
    } catch (const ProgramExit& ending) {
        return endProgram(game, ending);
    }
}

int runProgram(platform::Platform& machine, const std::string& exeDir, const Options& options) {
    const auto game = makeGame(machine);
    if (!options.recordPath.empty()) game->recordPath = options.recordPath;
    return runGame(*game, exeDir, options);
}
