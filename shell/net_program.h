// The program in a network game this machine hosts (`--host`) or joined (`--join`). Only the
// desktop program has it: a browser has no network play.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "shell/game_folders.h"
#include "shell/options.h"

struct Game;
class NetGame;

namespace platform {
class Platform;
}

// Hosts or joins as the options say and runs the program in that network game; the exit
// status as runProgram gives it, or 1 with one line on standard error when the port cannot be
// opened or the host is unknown.
int runNetworkProgram(platform::Platform& machine, const GameFolders& folders,
                      const Options& options);
// Joins a network game (nullptr and why when it cannot).
using NetOpener = std::function<std::unique_ptr<NetGame>(std::string& error)>;
// The program in a network game already hosted or joined (`net`), or joined by `open` once the
// program has started up: a joining machine joins after its logo, when its person can play
// (the host's match waits for no logo). The host's title gives slots to the others; a joined
// machine shows its lobby until it leaves the game (Esc, a refusal, the host gone) and then
// plays on its own.
int runNetGame(Game& game, const std::string& assetDir, std::unique_ptr<NetGame> net,
               const NetOpener& open = nullptr);
