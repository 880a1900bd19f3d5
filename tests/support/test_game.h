// A Game on the scripted platform, ready for tests: display open, the real char.bmp
// loaded, direction tables built, generator seeded with 1, settings at their defaults and
// kept in a temporary directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/scripted_platform.h"
#include "shell/game.h"

std::string sourcePath(const std::string& relative);  // a path inside the repository
std::string makeTempDir();                           // a fresh empty directory

struct TestGame {
    TestGame();
    ~TestGame();

    Game& operator*() { return *game; }
    Game* operator->() { return game.get(); }

    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game;
    std::string dir;  // the temporary directory holding the settings file
};

// How many pixels of the rectangle [x0, x1] x [y0, y1] (inclusive) of a surface hold value.
int countPixels(const Screen& screen, SurfaceId id, int x0, int y0, int x1, int y1,
                uint8_t value);
// How many pixels of the rectangle are not 0.
int countSolid(const Screen& screen, SurfaceId id, int x0, int y0, int x1, int y1);
