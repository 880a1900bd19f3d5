// The item effects: laser wall, WARP, CHANGE and BOMB on the hand-made round page.
#include "items/item_effects.h"

#include "tests/items/items_page.h"

namespace {

constexpr uint8_t kWall = 200;  // a solid pixel in no player's colour

using ItemEffects = RoundPage;

}  // namespace

// The laser is a wall in the shooter's colour from 50 pixels ahead to the field's edge and no
// further; shot at an edge from under 50 pixels away it draws nothing.
TEST_F(ItemEffects, LaserIsAWallAlongTheHeadingInsideTheFieldOnly) {
    const int shots[][4] = {  // x, y, heading, pixels drawn (-1: a sloped wall)
        {100, 200, 0, kFieldRight - 150 + 1}, {620, 200, 0, 0}, {300, 60, 90, 0},
        {30, 200, 180, 0}, {300, 380, 270, 0}, {600, 400, 150, -1}};
    for (const auto& [x, y, heading, drawn] : shots) {
        drawRoundPage();
        placeHead(0, x, y, heading);
        fireLaser(game, 0);
        const int wall = countPixels(screen, SurfacePrimary, 1, 33, 638, 414, playerColour[0]) - 1;
        EXPECT_EQ(wall, drawn < 0 ? wall : drawn) << "heading " << heading;  // the head aside
        EXPECT_EQ(countPixels(screen, SurfacePrimary, 0, 0, 639, 479, playerColour[0]), wall + 1);
    }
}

// WARP lands on a free pixel outside the old head's disc; CHANGE swaps places and headings (not
// speeds) with the only other present, live player. Both leave page and palette as they were.
TEST_F(ItemEffects, WarpAndChangeMoveHeadsAndLeaveThePageAsItWas) {
    drawRoundPage(kWall);  // but a 61 x 61 hole round the head, partly under the disc
    for (int y = 170; y <= 230; ++y) std::memset(&fieldAt(270, y), 0, 61);
    placeHead(0, 300, 200, 30);
    std::vector<uint8_t> before = shownPage();
    warpPlayer(game, 0);
    const int x = static_cast<int>(players.x[0]), y = static_cast<int>(players.y[0]);
    screen.Clear(SurfaceSpare7);
    screen.FillCircle(SurfaceSpare7, 300, 200, 15, kWall);
    EXPECT_TRUE(y >= 33 && y <= 414 && !before[y * 640 + x] && !screen.Pixel(SurfaceSpare7, x, y));
    EXPECT_TRUE(players.pixelX[0] == 300 && players.pixelY[0] == 200 && shownPage() == before);

    const int heads[kSlots][3] = {{100, 100, 0}, {500, 120, 270}, {200, 300, 120}, {560, 380, 180}};
    for (int s = 0; s < kSlots; ++s) placeHead(s, heads[s][0], heads[s][1], heads[s][2]);
    players.alive[1] = 0, players.type[3] = PlayerNon, players.speedLevel[0] = 0;
    before = shownPage();
    changePlaces(game, 0);
    EXPECT_TRUE(players.x[0] == 200.5f && players.y[0] == 300.5f && players.direction[0] == 120);
    EXPECT_TRUE(players.x[2] == 100.5f && players.y[2] == 100.5f && players.direction[2] == 0);
    EXPECT_TRUE(players.pixelX[0] == 200 && players.pixelY[2] == 100 && players.x[1] == 500.5f);
    EXPECT_TRUE(players.speedLevel[0] == 0 && players.speedLevel[2] == 2 && shownPage() == before);
    EXPECT_EQ(std::memcmp(&screen.LivePalette, &screen.BasePalette, sizeof screen.LivePalette), 0);
}

// BOMB clears the radius-49 disc round the head, inside the field only: as many zeros as the
// disc has field pixels, and painting the disc back over the field area gives the old page.
TEST_F(ItemEffects, BombClearsItsDiscInsideTheFieldOnly) {
    drawRoundPage(kWall);
    const std::vector<uint8_t> before = shownPage();
    placeHead(0, 20, 50, 0);  // the disc reaches over the frame
    detonateBomb(game, 0);
    screen.Clear(SurfaceSpare7);
    screen.FillCircle(SurfaceSpare7, 20, 50, 49, kWall);
    EXPECT_EQ(countPixels(screen, SurfacePrimary, 1, 33, 638, 414, 0),
              countSolid(screen, SurfaceSpare7, 1, 33, 638, 414));
    screen.CopyKeyed(1, 33, 1, 33, kFieldWidth, kFieldHeight, SurfacePrimary, SurfaceSpare7);
    EXPECT_EQ(shownPage(), before);
}
