// The program's spine: start-up in its fixed order, the top-level title loop, and the one
// way out.
#pragma once

#include <string>

#include "shell/options.h"

struct Game;
struct ProgramExit;
class HostedTitle;

namespace platform {
class Platform;
}

// Runs the whole program on the given platform and returns the exit status: 0 when the
// player ends it, 1 when it cannot start or "EXIT" could not save the settings. exeDir is
// where char.bmp is looked for when the current directory has no usable one. The options
// (the command line's) choose a local game or a replay's playback, and where matches are
// recorded; a network game goes through runNetworkProgram (shell/net_program.h).
int runProgram(platform::Platform& machine, const std::string& exeDir, const Options& options = {});
// The same on a Game made by the caller (tests set its paths and seed first).
int runGame(Game& game, const std::string& exeDir, const Options& options = {});
// The one way out: clears both visible pages, gives the display back and returns the
// ending's status.
int endProgram(Game& game, const ProgramExit& ending);

// Opens the display, loads char.bmp, shows the logo, builds the tables and reads the
// settings; throws ProgramExit(1) with one line on standard error when it cannot start.
void startUp(Game& game, const std::string& exeDir);
// The title loop; it ends only by throwing ProgramExit (the program's handler then clears
// both visible pages and gives the display back).
// With a hosted network game, START plays with the joined machines when there are any, and
// the player rows can give slots to them.
[[noreturn]] void runTopLevelLoop(Game& game, HostedTitle* net = nullptr);
