// Item boxes on a hand-made round page: where they appear, their pickup, the held-item stack
// and its panel label, and the flash of every item use.
#include "items/item_box.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "items/item_effects.h"
#include "round/round.h"
#include "tests/support/test_game.h"

namespace {

constexpr int kCell = 16;
constexpr int kLabelWidth = 10 * kCell;
constexpr int kSpawnFrames = 20000;  // far more frames than a 1-in-101 chance needs

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
    players.itemCount[slot] = 0;
    game.screen.FieldPixels[y * game.screen.FieldPitch + x] = playerColour[slot];
}

int hudX(int slot) { return 144 + 320 * (slot % 2); }
int hudY(int slot) { return 416 + 16 * (slot / 2); }

// Whether a rectangle of the shown page equals the same rectangle of a spare surface.
bool sameAsReference(const Game& game, int x0, int y0, int width, int height) {
    for (int y = y0; y < y0 + height; ++y) {
        for (int x = x0; x < std::min(x0 + width, kScreenWidth); ++x) {
            if (game.screen.Pixel(SurfacePrimary, x, y) != game.screen.Pixel(SurfaceSpare5, x, y)) {
                return false;
            }
        }
    }
    return true;
}

// The player's panel slot shows this label, exactly as the font draws it in its colour.
bool hudShows(Game& game, int slot, const char* label) {
    game.screen.Clear(SurfaceSpare5);
    game.screen.DrawColourText(SurfaceSpare5, label, hudX(slot), hudY(slot), kCell, kCell, slot + 1);
    return sameAsReference(game, hudX(slot), hudY(slot), kLabelWidth, kCell);
}

bool hudBlank(Game& game, int slot) {
    game.screen.Clear(SurfaceSpare5);
    game.screen.DrawText(SurfaceSpare5, "            ", hudX(slot), hudY(slot), kCell, kCell);
    return sameAsReference(game, hudX(slot), hudY(slot), 12 * kCell, kCell);
}

bool boxGlyphShown(Game& game) {
    const ItemBox& box = game.itemBox;
    game.screen.Clear(SurfaceSpare5);
    game.screen.PutGlyph(SurfaceSpare5, itemNames[box.itemKind][0], box.x, box.y);
    return sameAsReference(game, box.x, box.y, kCell, kCell);
}

bool squareEmpty(const Game& game, int x, int y) {
    return countSolid(game.screen, SurfacePrimary, x, y, x + kCell - 1, y + kCell - 1) == 0;
}

bool headInSquare(const Game& game, int slot, int x, int y) {
    const int hx = static_cast<int>(game.players.x[slot]);
    const int hy = static_cast<int>(game.players.y[slot]);
    return hx >= x && hx <= x + 15 && hy >= y && hy <= y + 15;
}

void putBox(Game& game, int32_t kind, int x, int y) {
    game.itemBox = ItemBox{kind, x, y};
    game.screen.PutGlyph(SurfacePrimary, itemNames[kind][0], x, y);
}

int spawnUntilPlaced(Game& game) {
    for (int frame = 1; frame <= kSpawnFrames; ++frame) {
        trySpawnItemBox(game);
        if (game.itemBox.itemKind != ItemNone) return frame;
    }
    return 0;
}

// Four heads spread over the field, one slot empty and one crashed: every slot still counts.
void placeHeadsForSeed(Game& game, uint32_t seed) {
    for (int slot = 0; slot < kSlots; ++slot) {
        placeHead(game, slot, 1 + static_cast<int>((seed * 97 + slot * 151) % 638),
                  33 + static_cast<int>((seed * 61 + slot * 89) % 382), 0);
    }
    game.players.type[1] = PlayerNon;
    game.players.alive[1] = 0;
    game.players.alive[3] = 0;
}

bool pageIsFlash(const platform::ScriptedPlatform::PresentedPage& page) {
    for (uint8_t pixel : page.pixels) {
        if (pixel != flashColour) return false;
    }
    return true;
}

}  // namespace

TEST(ItemBox, AppearsInsideTheFieldAndNeverUnderAHead) {
    TestGame game;
    std::array<int, 7> kinds{};
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        drawRoundPage(*game);
        placeHeadsForSeed(*game, seed);
        game->itemBox = ItemBox{};
        game->random.seed(seed);
        const int frames = spawnUntilPlaced(*game);
        ASSERT_GT(frames, 0) << "seed " << seed;
        const ItemBox first = game->itemBox;
        ASSERT_GE(first.itemKind, ItemSpeedUp);
        ASSERT_LE(first.itemKind, ItemRandom);
        ++kinds[first.itemKind];
        EXPECT_GE(first.x, kFieldLeft);
        EXPECT_LE(first.x + 15, kFieldRight);
        EXPECT_GE(first.y, kFieldTop);
        EXPECT_LE(first.y + 15, kFieldBottom);
        for (int slot = 0; slot < kSlots; ++slot) EXPECT_FALSE(headInSquare(*game, slot, first.x, first.y));
        EXPECT_TRUE(boxGlyphShown(*game)) << "seed " << seed;

        // The same draws again, with a head (of an empty, a crashed or a live slot) in the
        // middle of that square: the box must go elsewhere, clear of every head.
        const int blocker = static_cast<int>(seed % kSlots);
        placeHead(*game, blocker, first.x + 8, first.y + 8, 0);
        if (blocker == 1) game->players.type[1] = PlayerNon;
        if (blocker == 3) game->players.alive[3] = 0;
        game->itemBox = ItemBox{};
        game->random.seed(seed);
        ASSERT_EQ(spawnUntilPlaced(*game), frames);
        EXPECT_EQ(game->itemBox.itemKind, first.itemKind);
        EXPECT_FALSE(game->itemBox.x == first.x && game->itemBox.y == first.y);
        for (int slot = 0; slot < kSlots; ++slot) {
            EXPECT_FALSE(headInSquare(*game, slot, game->itemBox.x, game->itemBox.y)) << seed;
        }
        EXPECT_GE(game->itemBox.x, kFieldLeft);
        EXPECT_LE(game->itemBox.y + 15, kFieldBottom);
    }
    for (int kind = ItemSpeedUp; kind <= ItemRandom; ++kind) EXPECT_GT(kinds[kind], 5) << kind;

    // While a box lies on the field no other appears and no number is drawn.
    const ItemBox lying = game->itemBox;
    const uint32_t state = game->random.state;
    for (int frame = 0; frame < 1000; ++frame) trySpawnItemBox(*game);
    EXPECT_EQ(game->itemBox.x, lying.x);
    EXPECT_EQ(game->itemBox.y, lying.y);
    EXPECT_EQ(game->random.state, state);

    // With items off no box ever appears.
    game->itemBox = ItemBox{};
    game->settings.itemsOn = 0;
    drawRoundPage(*game);
    EXPECT_EQ(spawnUntilPlaced(*game), 0);
    EXPECT_EQ(game->random.state, state);
}

TEST(ItemBox, PickupBlanksTheBoxPushesTheItemAndShowsItsLabel) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 1, 205, 203, 0);
    putBox(*game, ItemLaserShot, 200, 200);
    game->screen.FillBox(SurfacePrimary, 190, 206, 40, 1, game->screen.PaletteRgb(200));
    pickUpItem(*game, 1);
    EXPECT_TRUE(squareEmpty(*game, 200, 200));  // the trail in the square is gone too
    EXPECT_NE(game->screen.Pixel(SurfacePrimary, 199, 206), 0);  // but nothing beside it
    EXPECT_EQ(game->itemBox.itemKind, ItemNone);
    EXPECT_EQ(game->players.itemCount[1], 1);
    EXPECT_EQ(game->players.items[1][0], ItemLaserShot);
    EXPECT_TRUE(hudShows(*game, 1, "LASER SHOT"));

    // A second pickup goes on top and replaces the label.
    putBox(*game, ItemBomb, 400, 300);
    pickUpItem(*game, 1);
    EXPECT_EQ(game->players.itemCount[1], 2);
    EXPECT_EQ(game->players.items[1][1], ItemBomb);
    EXPECT_TRUE(hudShows(*game, 1, "BOMB      "));

    // "?" turns into one of the five kinds: SPEED UP acts at once and shows nothing, any
    // other kind is held and shown.
    bool sawSpeedUp = false;
    bool sawHeld = false;
    for (uint32_t seed = 1; seed <= 40 && !(sawSpeedUp && sawHeld); ++seed) {
        drawRoundPage(*game);
        placeHead(*game, 2, 300, 250, 0);
        putBox(*game, ItemRandom, 295, 245);
        game->random.seed(seed);
        pickUpItem(*game, 2);
        EXPECT_EQ(game->itemBox.itemKind, ItemNone);
        if (game->players.itemCount[2] == 0) {
            sawSpeedUp = true;
            EXPECT_EQ(game->players.speedLevel[2], 1);
            EXPECT_TRUE(hudBlank(*game, 2));
        } else {
            sawHeld = true;
            const int32_t kind = game->players.items[2][0];
            EXPECT_GE(kind, ItemLaserShot);
            EXPECT_LE(kind, ItemBomb);
            EXPECT_EQ(game->players.speedLevel[2], 2);
            EXPECT_TRUE(hudShows(*game, 2, itemNames[kind]));
        }
    }
    EXPECT_TRUE(sawSpeedUp);
    EXPECT_TRUE(sawHeld);
}

TEST(ItemBox, SpeedUpActsAtOnceAndIsSpentAtLevelZero) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 0, 100, 100, 0);
    for (int expected : {1, 0, 0}) {
        putBox(*game, ItemSpeedUp, 96, 96);
        pickUpItem(*game, 0);
        EXPECT_EQ(game->players.speedLevel[0], expected);
        EXPECT_EQ(game->players.itemCount[0], 0);
        EXPECT_EQ(game->itemBox.itemKind, ItemNone);
        EXPECT_TRUE(hudBlank(*game, 0));
    }
    // Fired from the stack at level 0 it is used up as well.
    game->players.items[0][0] = ItemSpeedUp;
    game->players.itemCount[0] = 1;
    useItem(*game, 0);
    EXPECT_EQ(game->players.speedLevel[0], 0);
    EXPECT_EQ(game->players.itemCount[0], 0);
}

TEST(ItemBox, PanelShowsTheNewTopAfterFiringAndBlanksAfterTheLast) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 3, 300, 250, 90);
    putBox(*game, ItemBomb, 100, 100);
    pickUpItem(*game, 3);
    putBox(*game, ItemLaserShot, 150, 100);
    pickUpItem(*game, 3);
    EXPECT_TRUE(hudShows(*game, 3, "LASER SHOT"));
    // A box under where the bomb will blast: it is drawn again after the effect.
    putBox(*game, ItemWarp, 290, 240);

    useItem(*game, 3);  // the laser, straight up
    EXPECT_EQ(game->players.itemCount[3], 1);
    EXPECT_NE(game->screen.Pixel(SurfacePrimary, 300, 150), 0);
    EXPECT_TRUE(hudShows(*game, 3, "BOMB      "));

    useItem(*game, 3);  // the bomb
    EXPECT_EQ(game->players.itemCount[3], 0);
    EXPECT_EQ(game->screen.Pixel(SurfacePrimary, 300, 280), 0);  // inside the blast
    EXPECT_TRUE(hudBlank(*game, 3));
    game->screen.Clear(SurfaceSpare5);
    game->screen.DrawChar(SurfaceSpare5, 'W', 290, 240, kCell, kCell);
    EXPECT_TRUE(sameAsReference(*game, 290, 240, kCell, kCell));
    EXPECT_EQ(game->screen.FieldPixels, game->screen.Pixels(SurfacePrimary));

    // An empty stack fires nothing.
    const uint64_t presents = game.machine.presentCount();
    useItem(*game, 3);
    EXPECT_EQ(game->players.itemCount[3], 0);
    EXPECT_EQ(game.machine.presentCount(), presents);
}

TEST(ItemBox, AFullStackDropsTheItemButTheBoxIsTaken) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 0, 100, 100, 0);
    for (int i = 0; i < kMaxHeldItems; ++i) game->players.items[0][i] = ItemWarp;
    game->players.itemCount[0] = kMaxHeldItems;
    game->players.items[1][0] = ItemChange;  // the next slot's stack lies right behind
    game->players.speedLevel[0] = 2;
    for (int32_t kind : {ItemBomb, ItemSpeedUp, ItemRandom}) {
        putBox(*game, kind, 96, 96);
        pickUpItem(*game, 0);
        EXPECT_EQ(game->itemBox.itemKind, ItemNone);
        EXPECT_TRUE(squareEmpty(*game, 96, 96));
        EXPECT_EQ(game->players.itemCount[0], kMaxHeldItems);
        EXPECT_EQ(game->players.items[0][kMaxHeldItems - 1], ItemWarp);
        EXPECT_EQ(game->players.items[1][0], ItemChange);
        EXPECT_EQ(game->players.speedLevel[0], 2);
        EXPECT_TRUE(hudBlank(*game, 0));  // nothing was shown for the dropped item
    }
}

TEST(ItemBox, EveryUseFlashesTheWholeScreenForOnePage) {
    TestGame game;
    drawRoundPage(*game);
    placeHead(*game, 0, 100, 100, 0);
    const std::vector<uint8_t> field(game->screen.Pixels(SurfacePrimary),
                                     game->screen.Pixels(SurfacePrimary) + kSurfaceBytes);
    game.machine.keepAllPages = true;
    const size_t first = game.machine.pages().size();
    putBox(*game, ItemSpeedUp, 96, 96);
    pickUpItem(*game, 0);

    const auto& pages = game.machine.pages();
    int flashRuns = 0;
    size_t lastFlash = 0;
    for (size_t i = first; i < pages.size(); ++i) {
        if (!pageIsFlash(pages[i])) continue;
        if (i == first || !pageIsFlash(pages[i - 1])) ++flashRuns;
        lastFlash = i;
    }
    EXPECT_EQ(flashRuns, 1);
    ASSERT_LT(lastFlash + 1, pages.size());
    // After the flash the field is shown again, with the box square blanked.
    std::vector<uint8_t> expected = field;
    for (int y = 96; y < 112; ++y) std::memset(expected.data() + y * kSurfacePitch + 96, 0, 16);
    EXPECT_EQ(pages[lastFlash + 1].pixels, expected);
    EXPECT_EQ(std::vector<uint8_t>(game->screen.Pixels(SurfacePrimary),
                                   game->screen.Pixels(SurfacePrimary) + kSurfaceBytes),
              expected);
}

TEST(ItemBox, TheLowerSlotTakesASharedBoxAndTheOtherIsTestedAsUsual) {
    TestGame game;
    drawRoundPage(*game);
    game->players.type[0] = PlayerNon;
    game->players.type[3] = PlayerNon;
    // Both heads step into the box square in the same frame: 2P from above, 3P from the left.
    placeHead(*game, 1, 209, 199, 270);
    placeHead(*game, 2, 199, 205, 0);
    putBox(*game, ItemLaserShot, 200, 200);
    game->players.y[1] += 1.0f;
    game->players.x[2] += 1.0f;
    updateTrailsAndCollisions(*game);
    EXPECT_EQ(game->itemBox.itemKind, ItemNone);
    EXPECT_EQ(game->players.itemCount[1], 1);
    EXPECT_EQ(game->players.items[1][0], ItemLaserShot);
    EXPECT_TRUE(hudShows(*game, 1, "LASER SHOT"));
    // 3P finds no box any more: its pixel, blanked with the square, is empty, so it lives.
    EXPECT_EQ(game->players.itemCount[2], 0);
    EXPECT_EQ(game->players.alive[2], 1);
    EXPECT_EQ(game->players.alive[1], 1);
    EXPECT_TRUE(hudBlank(*game, 2));

    // A head entering a box's glyph pixels takes the box and does not crash.
    drawRoundPage(*game);
    putBox(*game, ItemWarp, 300, 292);
    game->players.itemCount[2] = 0;
    int glyphX = -1;
    int glyphY = -1;
    for (int y = 292; y < 308 && glyphX < 0; ++y) {
        for (int x = 301; x < 316 && glyphX < 0; ++x) {
            if (game->screen.Pixel(SurfacePrimary, x, y) != 0) {
                glyphX = x;
                glyphY = y;
            }
        }
    }
    ASSERT_GE(glyphX, 0);
    game->players.x[2] = static_cast<float>(glyphX) + 0.5f;
    game->players.y[2] = static_cast<float>(glyphY) + 0.5f;
    game->players.pixelX[2] = glyphX - 1;
    game->players.pixelY[2] = glyphY;
    updateTrailsAndCollisions(*game);
    EXPECT_EQ(game->players.alive[2], 1);
    EXPECT_EQ(game->players.itemCount[2], 1);
    EXPECT_EQ(game->players.items[2][0], ItemWarp);
}
