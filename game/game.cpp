#include "game/game.h"

std::unique_ptr<Game> makeGame(platform::Platform& machine) {
    return std::make_unique<Game>(machine);
}
