// Item boxes: where they appear, pickup, the held-item stack and its panel label, the flash.
#include "items/item_box.h"

#include <algorithm>

#include "items/item_effects.h"
#include "round/round.h"
#include "tests/items/items_page.h"

using namespace itemstest;

namespace {

void putBox(Game& game, int32_t kind, int x, int y) {
    game.itemBox = ItemBox{kind, x, y};
    game.screen.PutGlyph(SurfacePrimary, itemNames[kind][0], x, y);
}

// The slot's held-item label shows `label` in its tile (blanks: drawn by DrawText).
bool labelShown(Game& game, int slot, const char* label) {
    const int x = panelX(slot) + 8 * kCell;
    return textShown(game, label, x, panelY(slot), *label == ' ' ? -1 : slot + 1);
}

const char* const kBlankSlot = "            ";

}  // namespace

// A box lies wholly inside the field and never under a head of any slot (empty or crashed
// too); every kind comes up; none appears while one lies or with items off.
TEST(ItemBox, AppearsInsideTheFieldNeverUnderAHead) {
    TestGame game;
    game->players.type[1] = PlayerNon;
    game->players.alive[3] = 0;
    std::array<int, 8> kinds{};
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        ItemBox box[2];
        for (int pass = 0; pass < 2; ++pass) {  // pass 1: the same draws, a head in the first box
            game->players.x[seed % kSlots] = pass ? box[0].x + 8.5f : 0;
            game->players.y[seed % kSlots] = pass ? box[0].y + 8.5f : 0;
            game->itemBox = ItemBox{};
            game->random.seed(seed);
            for (int f = 0; f < 20000 && !game->itemBox.itemKind; ++f) trySpawnItemBox(*game);
            const ItemBox b = box[pass] = game->itemBox;
            EXPECT_TRUE(b.x >= 1 && b.x <= 622 && b.y >= 33 && b.y <= 398) << b.x << "," << b.y;
        }
        ++kinds[std::clamp(box[0].itemKind, 0, 7)];
        const int hx = box[0].x + 8, hy = box[0].y + 8;
        EXPECT_EQ(box[1].itemKind, box[0].itemKind);
        EXPECT_FALSE(hx >= box[1].x && hx <= box[1].x + 15 && hy >= box[1].y && hy <= box[1].y + 15);
    }
    for (int kind = ItemSpeedUp; kind <= ItemRandom; ++kind) EXPECT_GT(kinds[kind], 3) << kind;
    const uint32_t state = game->random.state;
    for (int frame = 0; frame < 2000; ++frame) {  // a box lies; then none lies, but items are off
        if (frame == 1000) game->itemBox.itemKind = ItemNone, game->settings.itemsOn = 0;
        trySpawnItemBox(*game);
    }
    EXPECT_TRUE(game->itemBox.itemKind == ItemNone && game->random.state == state);
}

// Pickup blanks the square (trail in it too), pushes the item and shows its label; firing
// flashes, shows the new top, then blanks; the box is drawn again over an effect; an empty
// stack fires nothing. SPEED UP acts at once and never shows (spent at level 0); "?" becomes
// a kind 1..5; a full stack refuses the item (nothing written past it) but the box is taken.
TEST(ItemBox, PickupStacksItemsAndThePanelShowsTheTop) {
    TestGame game;
    Players& players = game->players;
    drawRoundPage(*game);
    placeHead(*game, 1, 205, 203, 90);
    game->screen.FillBox(SurfacePrimary, 190, 206, 40, 1, game->screen.PaletteRgb(200));
    putBox(*game, ItemLaserShot, 200, 200);
    pickUpItem(*game, 1);
    EXPECT_TRUE(countSolid(game->screen, SurfacePrimary, 200, 200, 215, 215) == 0 && fieldAt(*game, 216, 206));
    EXPECT_TRUE(game->itemBox.itemKind == ItemNone && labelShown(*game, 1, "LASER SHOT"));
    putBox(*game, ItemBomb, 400, 300);
    pickUpItem(*game, 1);
    EXPECT_TRUE(labelShown(*game, 1, "BOMB      "));
    putBox(*game, ItemWarp, 215, 195);  // inside the blast to come
    game.machine.keepAllPages = true;
    useItem(*game, 1);
    const auto& pages = game.machine.pages();
    EXPECT_TRUE(std::any_of(pages.begin(), pages.end(), [](const auto& page) {
        return std::count(page.pixels.begin(), page.pixels.end(), flashColour) == kSurfaceBytes;
    }));
    EXPECT_TRUE(fieldAt(*game, 192, 206) == 0 && textShown(*game, "W", 215, 195, -1));
    EXPECT_TRUE(labelShown(*game, 1, "LASER SHOT"));
    useItem(*game, 1);
    EXPECT_EQ(fieldAt(*game, 205, 100), playerColour[1]);  // the laser, straight up
    EXPECT_TRUE(players.itemCount[1] == 0 && labelShown(*game, 1, kBlankSlot));
    EXPECT_EQ(game->screen.FieldPixels, game->screen.Pixels(SurfacePrimary));
    const size_t presents = pages.size();
    useItem(*game, 1);
    EXPECT_EQ(pages.size(), presents);

    for (int level : {1, 0, 0}) {
        putBox(*game, ItemSpeedUp, 196, 196);
        pickUpItem(*game, 1);
        EXPECT_TRUE(players.speedLevel[1] == level && labelShown(*game, 1, kBlankSlot));
    }
    bool seen[2] = {false, false};  // acted at once, held
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        players.itemCount[2] = 0;
        players.speedLevel[2] = 2;
        putBox(*game, ItemRandom, 295, 245);
        game->random.seed(seed);
        pickUpItem(*game, 2);
        const bool held = players.itemCount[2] == 1;
        seen[held] = true;
        EXPECT_EQ(players.speedLevel[2], held ? 2 : 1);
        EXPECT_TRUE(labelShown(*game, 2, held ? itemNames[players.items[2][0]] : kBlankSlot));
    }
    EXPECT_TRUE(seen[0] && seen[1]);
    players.itemCount[2] = kMaxHeldItems;
    for (int32_t kind : {ItemBomb, ItemSpeedUp}) {
        putBox(*game, kind, 96, 96);
        pickUpItem(*game, 2);
        EXPECT_TRUE(game->itemBox.itemKind == ItemNone && players.itemCount[2] == kMaxHeldItems);
        EXPECT_TRUE(players.items[3][0] == ItemNone && players.speedLevel[2] == 2);
    }
}

// Two heads enter the box in one frame: the lower slot takes it, stepping onto the glyph's ink
// without crashing; the other gets the usual test (its pixel was blanked with the square).
TEST(ItemBox, TheLowerSlotTakesASharedBox) {
    TestGame game;
    drawRoundPage(*game);
    game->players.type = {PlayerNon, PlayerMan, PlayerMan, PlayerNon};
    putBox(*game, ItemLaserShot, 200, 200);
    int i = 0;  // the glyph's first ink pixel: 2P steps onto it from above
    while (i < 256 && fieldAt(*game, 200 + i % 16, 200 + i / 16) == 0) ++i;
    ASSERT_LT(i, 256);
    placeHead(*game, 1, 200 + i % 16, 199 + i / 16, 270);
    placeHead(*game, 2, 199, 205, 0);  // 3P steps in from the left
    game->players.y[1] += 1.0f;
    game->players.x[2] += 1.0f;
    updateTrailsAndCollisions(*game);
    EXPECT_TRUE(game->itemBox.itemKind == ItemNone && game->players.itemCount[1] == 1);
    EXPECT_TRUE(game->players.alive[1] && game->players.alive[2] && game->players.itemCount[2] == 0);
}
