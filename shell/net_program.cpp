#include "shell/net_program.h"

#include <cstdio>

#include "game/game.h"
#include "netplay/net_game.h"
#include "shell/match_recording.h"
#include "shell/program.h"
#include "rules_version.h"

int runNetworkProgram(platform::Platform& machine, const GameFolders& folders,
                      const Options& options) {
    const auto game = makeProgramGame(machine, folders, options);
    if (!game) return 1;
    std::string error;
    const uint32_t version = kRulesVersion;
    const uint16_t port = options.port != 0 ? options.port : net::kDefaultPort;
    if (options.mode != Options::Mode::Host) {
        const std::string address = options.address + ":" + std::to_string(port);
        return runNetGame(*game, folders.assets, nullptr, [address, version](std::string& why) {
            return NetGame::join(address, version, why);
        });
    }
    std::unique_ptr<NetGame> net = NetGame::host(port, version, error);
    if (!net) {
        std::fprintf(stderr, "diraviru: %s\n", error.c_str());
        return 1;
    }
    return runNetGame(*game, folders.assets, std::move(net));
}

int runNetGame(Game& game, const std::string& assetDir, std::unique_ptr<NetGame> net,
               const NetOpener& open) {
    try {
        startUp(game, assetDir);
        if (!net) {
            std::string error;
            net = open(error);
            if (!net) {
                std::fprintf(stderr, "diraviru: %s\n", error.c_str());
                throw ProgramExit{1};
            }
        }
        net->setMatchRunner(runRecordedMatch);
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
