// Shared set-up and page checks for the round and match tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "match/match.h"
#include "round/round.h"
#include "shell/game.h"
#include "tests/support/test_game.h"

namespace roundtest {

inline constexpr int8_t N = PlayerNon;
inline constexpr int8_t M = PlayerMan;
inline constexpr int8_t C = PlayerCom;

// Virtual time after which a test whose script has run out is ended by a Quit.
inline constexpr uint32_t kGiveUpMs = 10 * 60 * 1000;

// Sets the slot types, and sets a round up as match flow does, with its countdown; the
// round's page is then on screen. No item boxes and WAIT 0 unless a test says otherwise.
inline void setUpRound(TestGame& test, std::array<int8_t, kSlots> types) {
    Game& game = *test;
    game.players.type = types;
    game.settings.itemsOn = 0;
    game.settings.wait = 0;
    startRound(game);
    runCountdown(game);
    game.itemBox.itemKind = ItemNone;
    game.match.secondStamp = game.platform->ticks();
    // A test that waits for a key never scripted ends with ProgramExit instead of hanging.
    test.machine.quitWhenIdleAfter(game.platform->ticks() + kGiveUpMs);
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

// The frame counters made so that the next frame is one in which level 2 steps (and so
// every level steps).
inline void nextFrameStepsAll(Game& game) {
    for (int k = 0; k < kFrameCounterCount; ++k) game.match.frameCounters[k] = k;
}

// Whether the rectangle of the surface holds exactly what the same text call draws on a
// cleared scratch surface. tile < 0 means DrawText, otherwise DrawColourText with the tile.
inline ::testing::AssertionResult textShownAt(Game& game, SurfaceId id, const std::string& text,
                                              int x, int y, int cell, int tile) {
    Screen& screen = game.screen;
    constexpr SurfaceId kScratch = SurfaceSpare7;
    screen.Clear(kScratch);
    if (tile < 0) {
        screen.DrawText(kScratch, text.c_str(), x, y, cell, cell);
    } else {
        screen.DrawColourText(kScratch, text.c_str(), x, y, cell, cell, tile);
    }
    const int width = static_cast<int>(text.size()) * cell;
    const int left = x == -1 ? kScreenWidth / 2 - width / 2 : x;
    const int top = y == -1 ? kScreenHeight / 2 - cell / 2 : y;
    int solid = 0;
    for (int row = top; row < top + cell; ++row) {
        for (int column = left; column < left + width; ++column) {
            const uint8_t want = screen.Pixel(kScratch, column, row);
            const uint8_t got = screen.Pixel(id, column, row);
            solid += want != 0 ? 1 : 0;
            if (want != got) {
                return ::testing::AssertionFailure()
                       << "\"" << text << "\": pixel (" << column << ", " << row << ") is "
                       << int(got) << ", text gives " << int(want);
            }
        }
    }
    if (solid == 0 && text.find_first_not_of(' ') != std::string::npos) {
        return ::testing::AssertionFailure() << "\"" << text << "\" drew nothing";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace roundtest
