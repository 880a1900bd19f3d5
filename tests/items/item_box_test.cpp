// Item boxes: where they appear, pickup, the held-item stack and its panel label.
#include "items/item_box.h"

#include "items/item_effects.h"
#include "round/round.h"
#include "tests/items/items_page.h"

namespace {

const char* const kBlankSlot = "            ";

struct ItemBoxes : RoundPage {
    void putBox(int32_t kind, int x, int y) {
        game.itemBox = ItemBox{kind, x, y};
        screen.PutGlyph(SurfacePrimary, itemNames[kind][0], x, y);
    }
    // The slot's held-item label shows `label` in its tile (blanks: drawn by DrawText).
    bool labelShown(int slot, const char* label) {
        const int tile = *label == ' ' ? -1 : slot + 1;
        return textShown(label, panelX(slot) + 8 * kCell, panelY(slot), tile);
    }
};

}  // namespace

// A box lies wholly inside the field, never under a head of any slot (empty or crashed too),
// and never appears with items off.
TEST_F(ItemBoxes, AppearInsideTheFieldNeverUnderAHead) {
    players.type[1] = PlayerNon, players.alive[3] = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        ItemBox box[2];
        for (int pass = 0; pass < 2; ++pass) {  // pass 1: the same draws, a head in the first box
            players.x[seed % kSlots] = pass ? box[0].x + 8.5f : 0;
            players.y[seed % kSlots] = pass ? box[0].y + 8.5f : 0;
            game.itemBox = ItemBox{};
            game.random.seed(seed);
            for (int f = 0; f < 20000 && !game.itemBox.itemKind; ++f) trySpawnItemBox(game);
            const ItemBox b = box[pass] = game.itemBox;
            EXPECT_TRUE(b.x >= 1 && b.x <= 622 && b.y >= 33 && b.y <= 398 && b.itemKind >= 1
                        && b.itemKind <= 6) << b.x << "," << b.y << " kind " << b.itemKind;
        }
        const int hx = box[0].x + 8, hy = box[0].y + 8;
        EXPECT_EQ(box[1].itemKind, box[0].itemKind);
        EXPECT_FALSE(hx >= box[1].x && hx < box[1].x + 16 && hy >= box[1].y && hy < box[1].y + 16);
    }
    game.itemBox.itemKind = ItemNone, game.settings.itemsOn = 0;
    for (int frame = 0; frame < 1000; ++frame) trySpawnItemBox(game);
    EXPECT_EQ(game.itemBox.itemKind, ItemNone);
}

// Pickup blanks the square (trail too), pushes the item, shows its label; firing shows the new
// top, then blanks, and redraws the box. SPEED UP acts at once (spent at level 0); "?" becomes
// a kind 1..5; a full stack refuses the item (nothing written past it), the box is taken.
TEST_F(ItemBoxes, PickupStacksItemsAndThePanelShowsTheTop) {
    placeHead(1, 205, 203, 90);
    screen.FillBox(SurfacePrimary, 190, 206, 40, 1, screen.PaletteRgb(200));
    putBox(ItemLaserShot, 200, 200);
    pickUpItem(game, 1);
    EXPECT_TRUE(countSolid(screen, SurfacePrimary, 200, 200, 215, 215) == 0 && fieldAt(216, 206));
    EXPECT_TRUE(game.itemBox.itemKind == ItemNone && labelShown(1, "LASER SHOT"));
    putBox(ItemBomb, 400, 300);
    pickUpItem(game, 1);
    EXPECT_TRUE(labelShown(1, "BOMB      "));
    putBox(ItemWarp, 215, 195);  // inside the blast to come
    useItem(game, 1);
    EXPECT_TRUE(!fieldAt(192, 206) && textShown("W", 215, 195, -1) && labelShown(1, "LASER SHOT"));
    useItem(game, 1);
    EXPECT_EQ(fieldAt(205, 100), playerColour[1]);  // the laser, straight up
    EXPECT_TRUE(players.itemCount[1] == 0 && labelShown(1, kBlankSlot));
    EXPECT_EQ(screen.FieldPixels, screen.Pixels(SurfacePrimary));
    for (int level : {1, 0, 0}) {
        putBox(ItemSpeedUp, 196, 196);
        pickUpItem(game, 1);
        EXPECT_TRUE(players.speedLevel[1] == level && labelShown(1, kBlankSlot));
    }
    for (const auto& [seed, kind] : {std::pair{2u, ItemSpeedUp}, std::pair{12u, ItemWarp}}) {
        players.itemCount[2] = 0;
        putBox(ItemRandom, 295, 245);
        game.random.seed(seed);
        pickUpItem(game, 2);
        EXPECT_EQ(players.itemCount[2], kind == ItemSpeedUp ? 0 : 1);
        EXPECT_TRUE(labelShown(2, kind == ItemSpeedUp ? kBlankSlot : itemNames[kind]));
    }
    players.itemCount[2] = kMaxHeldItems, players.speedLevel[2] = 2;
    putBox(ItemSpeedUp, 96, 96);
    pickUpItem(game, 2);
    EXPECT_TRUE(game.itemBox.itemKind == ItemNone && players.itemCount[2] == kMaxHeldItems);
    EXPECT_TRUE(players.items[3][0] == ItemNone && players.speedLevel[2] == 2);
}

// Two heads enter the box in one frame: the lower slot takes it, stepping onto the glyph's ink
// without crashing; the other gets the usual test (its pixel was blanked with the square).
TEST_F(ItemBoxes, TheLowerSlotTakesASharedBox) {
    players.type = {PlayerNon, PlayerMan, PlayerMan, PlayerNon};
    putBox(ItemLaserShot, 200, 200);
    ASSERT_TRUE(fieldAt(203, 201) && fieldAt(202, 205));  // ink of the 'L' where the heads enter
    placeHead(1, 203, 200, 270);  // 2P from above
    placeHead(2, 201, 205, 0);    // 3P from the left
    players.y[1] += 1.0f, players.x[2] += 1.0f;
    updateTrailsAndCollisions(game);
    EXPECT_TRUE(game.itemBox.itemKind == ItemNone && players.itemCount[1] == 1);
    EXPECT_TRUE(players.alive[1] && players.alive[2] && players.itemCount[2] == 0);
}
