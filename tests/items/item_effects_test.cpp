// The five item effects on a hand-made round page: frame, header and panel lines drawn, heads
// placed, the field pixels set by the test.
#include "items/item_effects.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "items/item_box.h"
#include "tests/support/test_game.h"

namespace {

constexpr uint8_t kWall = 200;  // some solid pixel that is no player's colour

// A round page on the shown page: header, frame, the four panel captions, empty field.
void drawRoundPage(Game& game) {
    Screen& screen = game.screen;
    screen.Clear(SurfacePrimary);
    screen.DrawText(SurfacePrimary, "ROUND 01  WAIT 001  TIME 00000", 16, 16, 16, 16);
    screen.DrawFrame(SurfacePrimary, 0, 32, 639, 415, screen.PaletteRgb(ColourFrame));
    for (int slot = 0; slot < kSlots; ++slot) {
        const char caption[] = {static_cast<char>('1' + slot), 'P', ' ', 'I', 'T', 'E', 'M', 0};
        screen.DrawColourText(SurfacePrimary, caption, 16 + 320 * (slot % 2),
                              416 + 16 * (slot / 2), 16, 16, slot + 1);
    }
    screen.MapField();
}

void placeHead(Game& game, int slot, int x, int y, int direction) {
    Players& players = game.players;
    players.type[slot] = PlayerMan;
    players.alive[slot] = 1;
    players.x[slot] = static_cast<float>(x) + 0.5f;
    players.y[slot] = static_cast<float>(y) + 0.5f;
    players.pixelX[slot] = x;
    players.pixelY[slot] = y;
    players.direction[slot] = direction;
    players.speedLevel[slot] = 2;
    game.screen.FieldPixels[y * game.screen.FieldPitch + x] = playerColour[slot];
}

void removeSlot(Game& game, int slot) {
    game.players.type[slot] = PlayerNon;
    game.players.alive[slot] = 0;
}

std::vector<uint8_t> shownPage(const Game& game) {
    const uint8_t* pixels = game.screen.Pixels(SurfacePrimary);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

bool inField(int x, int y) {
    return x >= kFieldLeft && x <= kFieldRight && y >= kFieldTop && y <= kFieldBottom;
}

// Pixels that differ between the shown page and a saved one.
int changedPixels(const Game& game, const std::vector<uint8_t>& before) {
    const uint8_t* now = game.screen.Pixels(SurfacePrimary);
    int changed = 0;
    for (int i = 0; i < kSurfaceBytes; ++i) changed += now[i] != before[i] ? 1 : 0;
    return changed;
}

// The pixels a filled disc covers, as the display draws it, marked on a spare surface.
void markDisc(Game& game, int x, int y, int radius) {
    game.screen.Clear(SurfaceSpare7);
    game.screen.FillCircle(SurfaceSpare7, x, y, radius, kWall);
}

bool marked(const Game& game, int x, int y) { return game.screen.Pixel(SurfaceSpare7, x, y) != 0; }

bool paletteAtBase(const Game& game, int index) {
    const PaletteEntry& live = game.screen.LivePalette[index];
    const PaletteEntry& base = game.screen.BasePalette[index];
    return live.red == base.red && live.green == base.green && live.blue == base.blue;
}

void expectPlayersUnmoved(const Players& before, const Players& after, int slot) {
    EXPECT_EQ(after.x[slot], before.x[slot]);
    EXPECT_EQ(after.y[slot], before.y[slot]);
    EXPECT_EQ(after.pixelX[slot], before.pixelX[slot]);
    EXPECT_EQ(after.pixelY[slot], before.pixelY[slot]);
    EXPECT_EQ(after.direction[slot], before.direction[slot]);
}

}  // namespace

TEST(ItemEffects, LaserIsAWallAlongTheHeadingInsideTheFieldOnly) {
    TestGame game;
    drawRoundPage(*game);
    removeSlot(*game, 1);
    removeSlot(*game, 2);
    removeSlot(*game, 3);

    // Straight right from (100, 200): a wall from 50 pixels ahead to the frame, not into it.
    placeHead(*game, 0, 100, 200, 0);
    std::vector<uint8_t> before = shownPage(*game);
    fireLaser(*game, 0);
    for (int x = 150; x <= kFieldRight; ++x) {
        EXPECT_EQ(game->screen.Pixel(SurfacePrimary, x, 200), playerColour[0]) << x;
    }
    EXPECT_EQ(game->screen.Pixel(SurfacePrimary, 149, 200), 0);
    EXPECT_EQ(game->screen.Pixel(SurfacePrimary, 639, 200), ColourFrame);
    EXPECT_EQ(changedPixels(*game, before), kFieldRight - 150 + 1);

    // At 30 degrees up and to the left from the lower right: a sloped wall that reaches the
    // frame; only field pixels change, only to the shooter's colour.
    drawRoundPage(*game);
    placeHead(*game, 0, 600, 400, 150);
    before = shownPage(*game);
    fireLaser(*game, 0);
    int wall = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const uint8_t now = game->screen.Pixel(SurfacePrimary, x, y);
            const uint8_t old = before[y * kSurfacePitch + x];
            if (now == old) continue;
            EXPECT_TRUE(inField(x, y)) << x << "," << y;
            EXPECT_EQ(now, playerColour[0]);
            ++wall;
        }
    }
    // 50 pixels ahead of (600.5, 400.5) at 150 degrees lies near (557, 375); the wall runs
    // on to the top or the left of the field, a few hundred pixels.
    EXPECT_GT(wall, 200);
    EXPECT_NE(game->screen.Pixel(SurfacePrimary, 557, 375), 0);
    EXPECT_EQ(game->screen.Pixel(SurfacePrimary, 600, 400), playerColour[0]);  // the head

    // Fired straight at an edge from under 50 pixels away, in each of the four directions:
    // nothing at all is drawn.
    const int shots[4][3] = {{620, 200, 0}, {300, 60, 90}, {30, 200, 180}, {300, 380, 270}};
    for (const auto& shot : shots) {
        drawRoundPage(*game);
        placeHead(*game, 0, shot[0], shot[1], shot[2]);
        before = shownPage(*game);
        fireLaser(*game, 0);
        EXPECT_EQ(changedPixels(*game, before), 0) << "heading " << shot[2];
    }
}

TEST(ItemEffects, WarpLandsOnAFreePixelOutsideTheOldDiscAndRestoresTheField) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        TestGame game;
        drawRoundPage(*game);
        removeSlot(*game, 1);
        removeSlot(*game, 3);
        // A field that is solid except a 61 x 61 hole round the old head: most tries meet a
        // wall, the free pixels left are the hole's, and the disc covers part of the hole.
        for (int y = kFieldTop; y <= kFieldBottom; ++y) {
            std::memset(game->screen.FieldPixels + y * game->screen.FieldPitch + kFieldLeft,
                        kWall, kFieldWidth);
        }
        for (int y = 170; y <= 230; ++y) {
            std::memset(game->screen.FieldPixels + y * game->screen.FieldPitch + 270, 0, 61);
        }
        placeHead(*game, 0, 300, 200, 30);
        placeHead(*game, 2, 50, 365, 90);
        game->players.speedLevel[0] = 1;
        game->random.seed(seed);
        const std::vector<uint8_t> before = shownPage(*game);
        const Players players = game->players;

        warpPlayer(*game, 0);

        const float x = game->players.x[0];
        const float y = game->players.y[0];
        ASSERT_EQ(x, static_cast<float>(static_cast<int>(x)));
        ASSERT_EQ(y, static_cast<float>(static_cast<int>(y)));
        const int px = static_cast<int>(x);
        const int py = static_cast<int>(y);
        EXPECT_TRUE(inField(px, py));
        EXPECT_EQ(before[py * kSurfacePitch + px], 0) << "landed on a drawn pixel, seed " << seed;
        markDisc(*game, 300, 200, 15);
        EXPECT_FALSE(marked(*game, px, py)) << "landed in the old disc, seed " << seed;

        // Heading, speed and the last tested pixel stay; the other player is not touched.
        EXPECT_EQ(game->players.direction[0], 30);
        EXPECT_EQ(game->players.speedLevel[0], 1);
        EXPECT_EQ(game->players.pixelX[0], 300);
        EXPECT_EQ(game->players.pixelY[0], 200);
        expectPlayersUnmoved(players, game->players, 2);

        // The page shown afterwards is exactly the page before, frame and panels included,
        // and the disc colour is back.
        EXPECT_EQ(changedPixels(*game, before), 0) << "seed " << seed;
        EXPECT_TRUE(paletteAtBase(*game, teleportColours[0]));
    }
}

TEST(ItemEffects, ChangeSwapsPlacesAndHeadingsWithTheOnlyOtherLivePlayer) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 0, 100, 100, 0);
    placeHead(*game, 1, 500, 120, 270);
    placeHead(*game, 2, 200, 300, 120);
    placeHead(*game, 3, 560, 380, 180);
    game->players.alive[1] = 0;               // crashed
    game->players.type[3] = PlayerNon;        // not playing
    game->players.speedLevel[0] = 0;
    game->players.speedLevel[2] = 2;
    game->players.itemCount[0] = 3;
    game->players.itemCount[2] = 1;
    game->screen.DrawLine(SurfacePrimary, 20, 50, 600, 400, game->screen.PaletteRgb(kWall));
    const std::vector<uint8_t> before = shownPage(*game);
    const Players players = game->players;

    changePlaces(*game, 0);

    const Players& now = game->players;
    EXPECT_EQ(now.x[0], players.x[2]);
    EXPECT_EQ(now.y[0], players.y[2]);
    EXPECT_EQ(now.pixelX[0], 200);
    EXPECT_EQ(now.pixelY[0], 300);
    EXPECT_EQ(now.direction[0], 120);
    EXPECT_EQ(now.x[2], players.x[0]);
    EXPECT_EQ(now.y[2], players.y[0]);
    EXPECT_EQ(now.pixelX[2], 100);
    EXPECT_EQ(now.pixelY[2], 100);
    EXPECT_EQ(now.direction[2], 0);
    // Speeds, items, types and states stay with their slots.
    EXPECT_EQ(now.speedLevel[0], 0);
    EXPECT_EQ(now.speedLevel[2], 2);
    EXPECT_EQ(now.itemCount[0], 3);
    EXPECT_EQ(now.itemCount[2], 1);
    EXPECT_EQ(now.type, players.type);
    EXPECT_EQ(now.alive, players.alive);
    expectPlayersUnmoved(players, now, 1);
    expectPlayersUnmoved(players, now, 3);

    EXPECT_EQ(changedPixels(*game, before), 0);
    EXPECT_TRUE(paletteAtBase(*game, teleportColours[0]));
    EXPECT_TRUE(paletteAtBase(*game, teleportColours[2]));

    // With nobody left to change with, nothing moves and the field stays as it is.
    game->players.alive[2] = 0;
    const Players alone = game->players;
    const std::vector<uint8_t> unchanged = shownPage(*game);
    changePlaces(*game, 0);
    expectPlayersUnmoved(alone, game->players, 0);
    expectPlayersUnmoved(alone, game->players, 2);
    EXPECT_EQ(changedPixels(*game, unchanged), 0);
}

TEST(ItemEffects, BombClearsItsDiscInsideTheFieldOnly) {
    TestGame game;
    const int heads[3][2] = {{300, 200}, {20, 50}, {630, 400}};
    for (const auto& head : heads) {
        drawRoundPage(*game);
        for (int y = kFieldTop; y <= kFieldBottom; ++y) {
            std::memset(game->screen.FieldPixels + y * game->screen.FieldPitch + kFieldLeft,
                        kWall, kFieldWidth);
        }
        placeHead(*game, 0, head[0], head[1], 0);
        const std::vector<uint8_t> before = shownPage(*game);

        detonateBomb(*game, 0);

        markDisc(*game, head[0], head[1], 49);
        int cleared = 0;
        for (int y = 0; y < kScreenHeight; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) {
                const uint8_t now = game->screen.Pixel(SurfacePrimary, x, y);
                if (inField(x, y) && marked(*game, x, y)) {
                    EXPECT_EQ(now, 0) << x << "," << y;
                    ++cleared;
                } else {
                    EXPECT_EQ(now, before[y * kSurfacePitch + x]) << x << "," << y;
                }
            }
        }
        EXPECT_GT(cleared, 1000) << head[0] << "," << head[1];  // at least a quarter disc
    }
}
