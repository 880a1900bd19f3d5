#include "shell/program.h"

#include <cstdio>
#include <filesystem>

#include "match/match.h"
#include "menus/option_menu.h"
#include "menus/title_menu.h"
#include "shell/game.h"
#include "shell/pacing.h"

namespace {

enum TitleRow { RowStart = 0, RowFirstPlayer = 1, RowLastPlayer = 4, RowOption = 5, RowExit = 6 };

[[noreturn]] void failStart(Game& game, const std::string& reason) {
    std::fprintf(stderr, "diraviru: %s\n", reason.c_str());
    if (game.screen.IsOpen()) game.screen.Close();
    throw ProgramExit{1};
}

// char.bmp from the current directory, or else from beside the program.
std::string findCharBitmap(const Game& game, const std::string& exeDir) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (fs::exists(game.charBitmapName, ignored) || exeDir.empty()) return game.charBitmapName;
    const fs::path besideProgram = fs::path(exeDir) / game.charBitmapName;
    if (fs::exists(besideProgram, ignored)) return besideProgram.string();
    return game.charBitmapName;  // missing in both: the loader reports it by this name
}

void loadCharBitmap(Game& game, const std::string& exeDir) {
    const std::string path = findCharBitmap(game, exeDir);
    std::string error;
    if (!game.screen.LoadBitmap(path, 512, 96, 0, 0, 0, 0, SurfaceChars, error)) {
        failStart(game, error);
    }
    game.screen.LoadPalette(path);
}

void buildStartupTables(Game& game) {
    game.screen.MapField();
    game.directions.build();
    // Every start plays differently; a scripted platform fixes the seed by its calendar time.
    game.random.seed(static_cast<uint32_t>(game.platform->calendarTime()));
    game.settings.loadSettings(game.settingsPath);
}

int presentPlayers(const Game& game) {
    int count = 0;
    for (int slot = 0; slot < kSlots; ++slot) count += game.players.present(slot) ? 1 : 0;
    return count;
}

}  // namespace

void startUp(Game& game, const std::string& exeDir) {
    installScreenWaitHook(game);
    std::string error;
    if (!game.screen.Open(*game.platform, error)) failStart(game, error);
    loadCharBitmap(game, exeDir);
    showLogo(game);
    buildStartupTables(game);
}

void runTopLevelLoop(Game& game) {
    drawTitle(game);
    for (;;) {
        runTitleInput(game);
        const int row = game.titleMenu.cursor;
        if (row == RowStart) {
            if (presentPlayers(game) >= 2) {
                runMatch(game);
                drawTitle(game);
            }
        } else if (row >= RowFirstPlayer && row <= RowLastPlayer) {
            cyclePlayerType(game);
        } else if (row == RowOption) {
            runOptionMenu(game);
            drawTitle(game);
        } else if (row == RowExit) {
            game.settings.saveSettings(game.settingsPath);
            shutdown(game, 0);
        }
    }
}

void shutdown(Game& game, int status) {
    if (game.screen.IsOpen()) {
        game.screen.Clear(SurfacePrimary);
        game.screen.Clear(SurfaceBack);
        game.screen.Present();
        game.screen.Close();
    }
    throw ProgramExit{status};
}

int runGame(Game& game, const std::string& exeDir) {
    try {
        startUp(game, exeDir);
        runTopLevelLoop(game);
    } catch (const ProgramExit& ending) {
        if (game.screen.IsOpen()) game.screen.Close();
        return ending.status;
    }
}

int runProgram(platform::Platform& machine, const std::string& exeDir) {
    const auto game = makeGame(machine);
    return runGame(*game, exeDir);
}
