// Fixture of the item and explosion tests: a game on a hand-made round page, checks of the page.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_game.h"

inline constexpr int kCell = 16;
inline int panelX(int slot) { return 16 + 320 * (slot % 2); }  // a slot's panel line
inline int panelY(int slot) { return 416 + kCell * (slot / 2); }

struct RoundPage : ::testing::Test {
    TestGame test;
    Game& game = *test;
    Players& players = game.players;
    Screen& screen = game.screen;

    void SetUp() override { drawRoundPage(); }

    uint8_t& fieldAt(int x, int y) { return screen.FieldPixels[y * screen.FieldPitch + x]; }

    // A fresh page whose field is `fill` all over.
    void drawRoundPage(uint8_t fill = 0) {
        screen.Clear(SurfacePrimary);
        screen.DrawFrame(SurfacePrimary, 0, 32, 639, 415, screen.PaletteRgb(ColourFrame));
        for (int slot = 0; slot < kSlots; ++slot) {
            const std::string caption = std::to_string(slot + 1) + "P ITEM";
            screen.DrawColourText(SurfacePrimary, caption.c_str(), panelX(slot), panelY(slot),
                                  kCell, kCell, slot + 1);
        }
        screen.MapField();
        for (int y = 33; y <= 414; ++y) std::memset(&fieldAt(1, y), fill, kFieldWidth);
    }

    // A live MAN head at the centre of a pixel, as if its last trail test was made there.
    void placeHead(int slot, int x, int y, int direction) {
        players.type[slot] = PlayerMan, players.alive[slot] = 1, players.speedLevel[slot] = 2;
        players.x[slot] = x + 0.5f, players.y[slot] = y + 0.5f, players.direction[slot] = direction;
        players.pixelX[slot] = x, players.pixelY[slot] = y;
        fieldAt(x, y) = playerColour[slot];
    }

    std::vector<uint8_t> shownPage() const {
        const uint8_t* pixels = screen.Pixels(SurfacePrimary);
        return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
    }

    // Whether the page shows the text: drawing it again over a copy of the page (opaque cells;
    // tile < 0: DrawText, else DrawColourText in that tile) changes nothing.
    bool textShown(const char* text, int x, int y, int tile) {
        uint8_t* copy = screen.Pixels(SurfaceSpare5);
        std::memcpy(copy, screen.Pixels(SurfacePrimary), kSurfaceBytes);
        if (tile < 0) screen.DrawText(SurfaceSpare5, text, x, y, kCell, kCell);
        else screen.DrawColourText(SurfaceSpare5, text, x, y, kCell, kCell, tile);
        return std::memcmp(copy, screen.Pixels(SurfacePrimary), kSurfaceBytes) == 0;
    }
};
