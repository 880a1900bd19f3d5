// A Game on the scripted platform for benchmarks: display open, the real char.bmp loaded,
// direction tables built, generator seeded with 1, and a clear round page on the shown
// page (frame round the field, FieldPixels on it).
#pragma once

#include <memory>

#include "game/game.h"
#include "platform/scripted_platform.h"

struct BenchGame {
    BenchGame();

    Game& operator*() { return *game; }
    Game* operator->() { return game.get(); }

    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game;
};

// Clears the shown page and draws the frame round the field.
void drawEmptyField(Game& game);
