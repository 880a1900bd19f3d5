// A Game on the scripted platform, ready for tests, and checks of what a page shows.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/live_input.h"
#include "match/match.h"
#include "platform/scripted_platform.h"
#include "round/round.h"
#include "shell/program.h"

std::string sourcePath(const std::string& relative);  // a path inside the repository
std::string readFile(const std::string& path);        // "" when there is none

inline constexpr int8_t N = PlayerNon, M = PlayerMan, C = PlayerCom;

// Display open, the real char.bmp loaded, direction tables built, generator seeded with 1,
// settings at their defaults and kept in a fresh temporary folder.
struct TestGame {
    TestGame();
    ~TestGame();

    Game& operator*() { return *game; }
    Game* operator->() { return game.get(); }

    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game;
    std::string dir;
    LiveInput people{game->devices};  // the keyboard, as a match reads it
    MatchStream stream{people, nullptr};
    RoundDisplay display{game->devices};  // what item effects show pages through in a round
};

// Plays the replay at `path` as --play (watching) or --play --check do, on `machine`; the
// program's status.
int checkReplay(const std::string& path, bool watching, platform::ScriptedPlatform& machine);

// Sets a round up as match flow does, countdown included, its input the keyboard
// (test.stream, its round begun): no item boxes, WAIT 0.
void setUpRound(TestGame& test, std::array<int8_t, kSlots> types);
// A head at a position and heading, as if its last trail test was made there.
void placeHead(Game& game, int slot, float x, float y, int32_t direction);
uint8_t& fieldAt(Game& game, int x, int y);
std::vector<uint8_t> surface(const Game& game, SurfaceId id = SurfacePrimary);

// Whether `page` holds exactly what the Screen's own call draws for `text` at (x, y) in
// square cells (tile < 0: DrawText, else DrawColourText in that tile), over the text's cells.
::testing::AssertionResult shows(Game& game, const uint8_t* page, const std::string& text, int x,
                                 int y, int tile = -1, int cell = 16);
