// The program's spine: start-up in its fixed order, the top-level title loop, and the one
// way out.
#pragma once

#include <memory>
#include <string>

#include "shell/game_folders.h"
#include "shell/options.h"

struct Game;
struct ProgramExit;
class HostedTitle;

namespace platform {
class Platform;
}

// Runs the whole program on the given platform and returns the exit status: 0 when the
// player ends it, 1 when it cannot start or "EXIT" could not save the settings. The folders
// say where char.bmp is looked for when the working folder has no usable one and where the
// files go. The options (the command line's) choose a local game or a replay's playback, and
// where matches are recorded; a network game goes through runNetworkProgram
// (shell/net_program.h).
int runProgram(platform::Platform& machine, const GameFolders& folders, const Options& options);
// The same on a Game made by the caller (tests set its paths and seed first). assetDir is
// where char.bmp is looked for when the working folder has no usable one.
int runGame(Game& game, const std::string& assetDir, const Options& options = {});
// The program's Game, its files placed in the folders' data folder (the settings, and the
// matches unless the command line names a file). Null, after one line on standard error,
// when the game is installed but has no data folder: it does not start then (a replay's
// playback needs none).
std::unique_ptr<Game> makeProgramGame(platform::Platform& machine, const GameFolders& folders,
                                      const Options& options);
// The one way out: clears both visible pages, gives the display back and returns the
// ending's status.
int endProgram(Game& game, const ProgramExit& ending);

// Opens the display, loads char.bmp, shows the logo, builds the tables and reads the
// settings; throws ProgramExit(1) with one line on standard error when it cannot start.
void startUp(Game& game, const std::string& assetDir);
// The title loop; it ends only by throwing ProgramExit (the program's handler then clears
// both visible pages and gives the display back).
// With a hosted network game, START plays with the joined machines when there are any, and
// the player rows can give slots to them.
[[noreturn]] void runTopLevelLoop(Game& game, HostedTitle* net = nullptr);
