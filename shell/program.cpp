#include "shell/program.h"

#include <cstdio>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/pacing.h"
#include "match/match.h"
#include "menus/option_menu.h"
#include "menus/title_menu.h"
#include "netplay/net_game.h"
#include "platform/regular_file.h"
#include "shell/match_recording.h"
#include "shell/replay_playback.h"
#include "shell/start_up.h"
#include "shell/version.h"

namespace {

// The keys file's choice; what it could not give is told on standard error, one line each.
void loadKeysOrTell(Game& game) {
    const std::string path = platform::absolutePath(game.keysPath());
    std::vector<std::string> problems;
    game.playerKeys = loadKeys(path, problems);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "diraviru: %s: %s\n", path.c_str(), problem.c_str());
    }
}

void buildStartupTables(Game& game) {
    buildTables(game);
    // Every start plays differently; a scripted platform fixes the seed by its calendar time.
    game.random.seed(static_cast<uint32_t>(game.platform->calendarTime()));
    game.settings.loadSettings(game.settingsPath);
    loadKeysOrTell(game);
}

// Saves the settings; when that fails, standard error gets one line with the file and the
// reason, and the result is false. The previous file is then left as it was.
bool saveSettingsOrTell(Game& game) {
    const std::string path = platform::absolutePath(game.settingsPath);
    std::string error;
    if (game.settings.saveSettings(path, error)) return true;
    std::fprintf(stderr, "diraviru: cannot save the settings to %s: %s\n", path.c_str(),
                 error.c_str());
    return false;
}

// "EXIT" after a failed save: the notice stays up for kNoticeMs so the player sees why,
// then the program ends with status 1. An ending pressed meanwhile (Pause, closing the
// window) only ends it sooner; the status stays 1.
[[noreturn]] void endAfterUnsavedNotice(Game& game) {
    showTitleNotice(game, kSettingsNotSaved);
    showPage(game);
    try {
        markFrameStart(game);
        waitSinceMark(game, kNoticeMs);
    } catch (const ProgramExit&) {
    }
    throw ProgramExit{1};
}

// Both visible pages go black before the display is given back.
int endProgram(Game& game, const ProgramExit& ending) {
    if (game.screen.IsOpen()) {
        game.screen.Clear(SurfacePrimary);
        game.screen.Clear(SurfaceBack);
        game.screen.Present();
        game.screen.Close();
    }
    return ending.status;
}

}  // namespace

void startUp(Game& game, const std::string& exeDir) {
    openDisplay(game, exeDir);
    showLogo(game);
    buildStartupTables(game);
}

void runTopLevelLoop(Game& game, NetGame* net) {
    drawTitle(game);
    for (;;) {
        runTitleInput(game);
        const int row = game.titleMenu.cursor;
        if (row == TitleRowStart) {
            if (game.players.presentCount() >= 2) {
                if (net != nullptr && net->othersJoined()) {
                    net->playHostMatch(game);
                } else {
                    runRecordedMatch(game);
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
            runOptionMenu(game);  // saved on every leaving, changed or not
            drawTitle(game);
            if (!saveSettingsOrTell(game)) showTitleNotice(game, kSettingsNotSaved);
        } else if (row == TitleRowExit) {
            if (saveSettingsOrTell(game)) throw ProgramExit{0};
            endAfterUnsavedNotice(game);
        }
    }
}

int runGame(Game& game, const std::string& exeDir, const Options& options) {
    if (options.mode == Options::Mode::Host || options.mode == Options::Mode::Join) {
        std::string error;
        const uint32_t version = netGameVersion(kGameVersion);
        const uint16_t port = options.port != 0 ? options.port : net::kDefaultPort;
        std::unique_ptr<NetGame> net =
            options.mode == Options::Mode::Host
                ? NetGame::host(port, version, error)
                : NetGame::join(options.address + ":" + std::to_string(port), version, error);
        if (!net) {
            std::fprintf(stderr, "diraviru: %s\n", error.c_str());
            return 1;
        }
        return runNetGame(game, exeDir, std::move(net));
    }
    try {
        if (options.mode == Options::Mode::Play) return runPlayback(game, exeDir, options);
        startUp(game, exeDir);
        runTopLevelLoop(game);
    } catch (const ProgramExit& ending) {
        return endProgram(game, ending);
    }
}

int runNetGame(Game& game, const std::string& exeDir, std::unique_ptr<NetGame> net) {
    net->setMatchRunner(runRecordedMatch);
    try {
        startUp(game, exeDir);
        if (!net->hosting()) {
            net->runLobby(game);
            net.reset();  // left the game: this machine plays on its own from here
            leaveNetworkPlay(game);
        } else {
            net->attachTitle(game);
        }
        runTopLevelLoop(game, net.get());
    } catch (const ProgramExit& ending) {
        game.titleMenu.idle = nullptr;  // it called into the network game
        return endProgram(game, ending);
    }
}

int runProgram(platform::Platform& machine, const std::string& exeDir, const Options& options) {
    const auto game = makeGame(machine);
    if (!options.recordPath.empty()) game->recordPath = options.recordPath;
    return runGame(*game, exeDir, options);
}
