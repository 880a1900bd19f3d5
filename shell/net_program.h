// The program in a network game this machine hosts (`--host`) or joined (`--join`). Only the
// desktop program has it: a browser has no network play.
#pragma once

#include <memory>
#include <string>

#include "shell/options.h"

struct Game;
class NetGame;

namespace platform {
class Platform;
}

// Hosts or joins as the options say and runs the program in that network game; the exit
// status as runProgram gives it, or 1 with one line on standard error when the port cannot be
// opened or the host is unknown.
int runNetworkProgram(platform::Platform& machine, const std::string& exeDir,
                      const Options& options);
// The program in a network game already hosted or joined: the host's title gives slots to the
// others; a joined machine shows its lobby until it leaves the game (Esc, a refusal, the host
// gone) and then plays on its own.
int runNetGame(Game& game, const std::string& exeDir, std::unique_ptr<NetGame> net);
