#include "shell/game.h"

#include "netplay/net_game.h"

Game::Game(platform::Platform& machine) : platform(&machine) {}

Game::~Game() = default;

std::unique_ptr<Game> makeGame(platform::Platform& machine) {
    return std::make_unique<Game>(machine);
}
