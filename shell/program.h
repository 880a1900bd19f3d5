// The program's spine: start-up in its fixed order, the top-level title loop, and the one
// way out.
#pragma once

#include <string>

struct Game;

namespace platform { class Platform; }

// Runs the whole program on the given platform and returns the exit status: 0 when the
// player ends it, 1 when it cannot start. exeDir is where char.bmp is looked for after the
// current directory.
int runProgram(platform::Platform& machine, const std::string& exeDir);

// Starts up (display, char.bmp, logo, tables, settings) on an existing Game; throws
// ProgramExit(1) when it cannot.
void startUp(Game& game, const std::string& exeDir);
void runTopLevelLoop(Game& game);
// Clears both visible pages, closes the display and ends the program with the status.
[[noreturn]] void shutdown(Game& game, int status = 0);
