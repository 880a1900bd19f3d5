// The item effects: laser wall, WARP, CHANGE and BOMB on the hand-made round page.
#include "items/item_effects.h"

#include "tests/items/items_page.h"

using namespace itemstest;

namespace {

constexpr uint8_t kWall = 200;  // a solid pixel in no player's colour

int fieldCount(Game& game, uint8_t value) {
    return countPixels(game.screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight, kFieldBottom, value);
}

}  // namespace

// The laser is a wall in the shooter's colour from 50 pixels ahead to the field's edge and no
// further; shot at an edge from under 50 pixels away it draws nothing.
TEST(ItemEffects, LaserIsAWallAlongTheHeadingInsideTheFieldOnly) {
    TestGame game;
    const int shots[][4] = {  // x, y, heading, pixels drawn (-1: a sloped wall)
        {100, 200, 0, kFieldRight - 150 + 1}, {620, 200, 0, 0}, {300, 60, 90, 0},
        {30, 200, 180, 0}, {300, 380, 270, 0}, {600, 400, 150, -1}};
    for (const auto& [x, y, heading, drawn] : shots) {
        drawRoundPage(*game);
        placeHead(*game, 0, x, y, heading);
        fireLaser(*game, 0);
        const int wall = fieldCount(*game, playerColour[0]) - 1;  // less the head
        EXPECT_EQ(wall, drawn < 0 ? wall : drawn) << "heading " << heading;
        EXPECT_EQ(countPixels(game->screen, SurfacePrimary, 0, 0, 639, 479, playerColour[0]), wall + 1);
        EXPECT_TRUE(x != 100 || (fieldAt(*game, 149, 200) == 0 && fieldAt(*game, 150, 200)));
    }
    EXPECT_EQ(fieldAt(*game, 557, 375), playerColour[0]);  // 50 ahead of (600.5, 400.5) at 150
}

// WARP lands on a free pixel outside the old head's disc; CHANGE swaps positions, last pixels
// and headings with the only other present, live player (nothing when there is none). Both
// leave the page as it was and the palette at its base.
TEST(ItemEffects, WarpAndChangeMoveHeadsAndLeaveThePageAsItWas) {
    TestGame game;
    Players& players = game->players;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        drawRoundPage(*game, kWall);  // but a 61 x 61 hole round the head, partly under the disc
        for (int y = 170; y <= 230; ++y) std::memset(&fieldAt(*game, 270, y), 0, 61);
        placeHead(*game, 0, 300, 200, 30);
        players.speedLevel[0] = 1;
        game->random.seed(seed);
        const std::vector<uint8_t> before = shownPage(*game);
        warpPlayer(*game, 0);
        const int x = static_cast<int>(players.x[0]), y = static_cast<int>(players.y[0]);
        game->screen.Clear(SurfaceSpare7);
        game->screen.FillCircle(SurfaceSpare7, 300, 200, 15, kWall);
        EXPECT_TRUE(x >= 1 && x <= 638 && y >= 33 && y <= 414 && before[y * kSurfacePitch + x] == 0);
        EXPECT_EQ(game->screen.Pixel(SurfaceSpare7, x, y), 0) << "in the old disc " << x << "," << y;
        EXPECT_TRUE(players.direction[0] == 30 && players.speedLevel[0] == 1);
        EXPECT_TRUE(players.pixelX[0] == 300 && players.pixelY[0] == 200 && shownPage(*game) == before);
    }
    const int heads[kSlots][3] = {{100, 100, 0}, {500, 120, 270}, {200, 300, 120}, {560, 380, 180}};
    for (int slot = 0; slot < kSlots; ++slot) placeHead(*game, slot, heads[slot][0], heads[slot][1], heads[slot][2]);
    players.alive[1] = 0;
    players.type[3] = PlayerNon;
    players.speedLevel[0] = 0;
    const std::vector<uint8_t> before = shownPage(*game);
    for (int alone = 0; alone < 2; ++alone) {  // the second time 3P has crashed too
        changePlaces(*game, 0);
        EXPECT_TRUE(players.x[0] == 200.5f && players.y[0] == 300.5f && players.direction[0] == 120);
        EXPECT_TRUE(players.x[2] == 100.5f && players.y[2] == 100.5f && players.direction[2] == 0);
        EXPECT_TRUE(players.pixelX[0] == 200 && players.pixelY[2] == 100 && players.x[1] == 500.5f);
        EXPECT_TRUE(players.speedLevel[0] == 0 && players.speedLevel[2] == 2 && shownPage(*game) == before);
        const auto& palette = game->screen.LivePalette;
        EXPECT_EQ(std::memcmp(palette.data(), game->screen.BasePalette.data(), sizeof palette), 0);
        players.alive[2] = 0;
    }
}

// BOMB clears the radius-49 disc round the head, inside the field only, even at the border:
// the field holds as many zeros as the disc has field pixels, and painting the disc back over
// the field area gives the page from before.
TEST(ItemEffects, BombClearsItsDiscInsideTheFieldOnly) {
    TestGame game;
    Screen& screen = game->screen;
    for (const auto& [x, y] : {std::pair{300, 200}, std::pair{20, 50}, std::pair{630, 400}}) {
        drawRoundPage(*game, kWall);
        const std::vector<uint8_t> before = shownPage(*game);
        placeHead(*game, 0, x, y, 0);
        detonateBomb(*game, 0);
        screen.Clear(SurfaceSpare7);
        screen.FillCircle(SurfaceSpare7, x, y, 49, kWall);
        EXPECT_EQ(fieldCount(*game, 0), countSolid(screen, SurfaceSpare7, 1, 33, 638, 414)) << x;
        screen.CopyKeyed(1, 33, 1, 33, kFieldWidth, kFieldHeight, SurfacePrimary, SurfaceSpare7);
        EXPECT_EQ(shownPage(*game), before) << x;
    }
}
