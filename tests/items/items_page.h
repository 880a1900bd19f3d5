// The hand-made round page the item and explosion tests play on, and checks of what it shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "shell/game.h"
#include "tests/support/test_game.h"

namespace itemstest {

inline constexpr int kCell = 16;
inline int panelX(int slot) { return 16 + 320 * (slot % 2); }  // a slot's "%dP ITEM" line
inline int panelY(int slot) { return 416 + kCell * (slot / 2); }

inline uint8_t& fieldAt(Game& game, int x, int y) {
    return game.screen.FieldPixels[y * game.screen.FieldPitch + x];
}

// The frame and the four panel captions on the shown page; the field is `fill` all over.
inline void drawRoundPage(Game& game, uint8_t fill = 0) {
    Screen& screen = game.screen;
    screen.Clear(SurfacePrimary);
    screen.DrawFrame(SurfacePrimary, 0, 32, 639, 415, screen.PaletteRgb(ColourFrame));
    for (int slot = 0; slot < kSlots; ++slot) {
        char caption[16];
        std::snprintf(caption, sizeof caption, "%dP ITEM", slot + 1);
        screen.DrawColourText(SurfacePrimary, caption, panelX(slot), panelY(slot), kCell, kCell,
                              slot + 1);
    }
    screen.MapField();
    for (int y = kFieldTop; y <= kFieldBottom; ++y) {
        std::memset(&fieldAt(game, kFieldLeft, y), fill, kFieldWidth);
    }
}

// A live MAN head at the centre of a pixel, as if its last trail test was made there.
inline void placeHead(Game& game, int slot, int x, int y, int direction) {
    Players& players = game.players;
    players.type[slot] = PlayerMan;  players.alive[slot] = 1;  players.speedLevel[slot] = 2;
    players.x[slot] = static_cast<float>(x) + 0.5f;  players.pixelX[slot] = x;
    players.y[slot] = static_cast<float>(y) + 0.5f;  players.pixelY[slot] = y;
    players.direction[slot] = direction;
    fieldAt(game, x, y) = playerColour[slot];
}

inline std::vector<uint8_t> shownPage(const Game& game) {
    const uint8_t* pixels = game.screen.Pixels(SurfacePrimary);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

// Whether the shown page shows the text: drawing it again (opaque cells, tile < 0 for DrawText,
// else DrawColourText in that tile) over a copy of the page changes nothing.
inline bool textShown(Game& game, const char* text, int x, int y, int tile) {
    Screen& screen = game.screen;
    std::memcpy(screen.Pixels(SurfaceSpare5), screen.Pixels(SurfacePrimary), kSurfaceBytes);
    if (tile < 0) screen.DrawText(SurfaceSpare5, text, x, y, kCell, kCell);
    else screen.DrawColourText(SurfaceSpare5, text, x, y, kCell, kCell, tile);
    return std::memcmp(screen.Pixels(SurfaceSpare5), screen.Pixels(SurfacePrimary), kSurfaceBytes) == 0;
}

}  // namespace itemstest
