// Shared set-up and page checks for the round and match tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "match/match.h"
#include "round/meteorites.h"
#include "round/round.h"
#include "shell/game.h"
#include "tests/support/test_game.h"

namespace roundtest {

inline constexpr int8_t N = PlayerNon, M = PlayerMan, C = PlayerCom;

// Sets the round up as match flow does, countdown included: no item boxes, WAIT 0. A script
// that ran out ends in a Quit after ten virtual minutes.
inline void setUpRound(TestGame& test, std::array<int8_t, kSlots> types) {
    Game& game = *test;
    game.players.type = types;
    game.settings.itemsOn = 0;
    game.settings.wait = 0;
    startRound(game);
    runCountdown(game);
    game.match.secondStamp = game.platform->ticks();
    test.machine.quitWhenIdleAfter(game.platform->ticks() + 600'000);
}

// Puts a head at a position and heading, as if its last trail test was made there.
inline void placeHead(Game& game, int slot, float x, float y, int32_t direction) {
    game.players.x[slot] = x;
    game.players.y[slot] = y;
    game.players.pixelX[slot] = static_cast<int32_t>(x);
    game.players.pixelY[slot] = static_cast<int32_t>(y);
    game.players.direction[slot] = direction;
}

inline uint8_t& fieldAt(Game& game, int x, int y) {
    return game.screen.FieldPixels[y * game.screen.FieldPitch + x];
}

// Whether the surface shows what the same call draws (tile < 0: DrawText, else DrawColourText).
inline ::testing::AssertionResult textShownAt(Game& game, SurfaceId id, const std::string& text,
                                              int x, int y, int cell, int tile) {
    Screen& screen = game.screen;
    screen.Clear(SurfaceSpare7);
    if (tile < 0) screen.DrawText(SurfaceSpare7, text.c_str(), x, y, cell, cell);
    else screen.DrawColourText(SurfaceSpare7, text.c_str(), x, y, cell, cell, tile);
    const int width = static_cast<int>(text.size()) * cell;
    const int left = x == -1 ? (kScreenWidth - width) / 2 : x;
    for (int row = y; row < y + cell; ++row) {
        const int at = row * kSurfacePitch + left;
        if (std::memcmp(screen.Pixels(SurfaceSpare7) + at, screen.Pixels(id) + at, width) != 0) {
            return ::testing::AssertionFailure() << "\"" << text << "\" differs in row " << row;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace roundtest
