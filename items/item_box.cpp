// The item box: when it appears and where, its pickup, the held-item stack shown in the
// players' panel lines, and firing the top item.
#include "items/item_box.h"

#include "items/item_effects.h"
#include "shell/game.h"
#include "shell/pacing.h"

namespace {

constexpr int kSpawnChanceTop = 100;  // a box appears when randomRange(0, 100) is 1
// The whole square stays inside the field, one pixel short of its right and bottom edges.
constexpr int kBoxLeftMax = kField.right - 1 - kItemBoxSize;
constexpr int kBoxTopMax = kField.bottom - 1 - kItemBoxSize;
constexpr const char* kBlankItemSlot = "            ";  // twelve blanks clear a label

// The player's item label sits after its "%dP ITEM" caption in the panel lines.

// Every slot counts, whatever its type or state: a box is never placed over a head.
bool anyHeadInSquare(const Game& game, const Rect& square) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const int x = static_cast<int>(game.players.x[slot]);
        const int y = static_cast<int>(game.players.y[slot]);
        if (square.contains(x, y)) return true;
    }
    return false;
}

void putBoxGlyph(Game& game) {
    game.screen.PutGlyph(SurfacePrimary, itemNames[game.itemBox.itemKind][0], game.itemBox.x,
                         game.itemBox.y);
}

void showItemLabel(Game& game, int slot, int32_t kind) {
    game.screen.DrawColourText(SurfacePrimary, itemNames[kind], panelItemX(slot), panelLineY(slot),
                               kGlyphCell, kGlyphCell, slotTile(slot));
}

// The whole screen in the flash colour for one page, then the field again.
void flashScreen(Game& game) {
    Screen& screen = game.screen;
    screen.FillBox(SurfaceBack, 0, 0, kScreenWidth, kScreenHeight, screen.PaletteRgb(flashColour));
    screen.WaitVerticalBlank();
    screen.Flip();
    markFrameStart(game);
    waitSinceMark(game, 2);
    screen.WaitVerticalBlank();
    screen.Flip();
}

void applyItem(Game& game, int slot, int32_t kind) {
    switch (kind) {
        case ItemSpeedUp:
            if (game.players.speedLevel[slot] > 0) game.players.speedLevel[slot] -= 1;
            break;
        case ItemLaserShot:
            fireLaser(game, slot);
            break;
        case ItemWarp:
            warpPlayer(game, slot);
            break;
        case ItemChange:
            changePlaces(game, slot);
            break;
        case ItemBomb:
            detonateBomb(game, slot);
            break;
        default:
            break;
    }
}

// Kinds outside the table are shown as blanks rather than read past it.
bool validKind(int32_t kind) { return kind >= 0 && kind < static_cast<int32_t>(itemNames.size()); }

}  // namespace

void trySpawnItemBox(Game& game) {
    ItemBox& box = game.itemBox;
    if (box.itemKind != ItemNone || game.settings.itemsOn == 0) return;
    if (game.random.randomRange(0, kSpawnChanceTop) != 1) return;
    box.itemKind = game.random.randomRange(ItemSpeedUp, ItemRandom);
    for (;;) {
        box.x = game.random.randomRange(kField.left, kBoxLeftMax);
        box.y = game.random.randomRange(kField.top, kBoxTopMax);
        if (!anyHeadInSquare(game, box.square())) break;
        waitSinceMark(game, 0);
    }
    putBoxGlyph(game);
}

void drawItemBox(Game& game) {
    if (game.itemBox.itemKind != ItemNone) putBoxGlyph(game);
}

void pickUpItem(Game& game, int slot) {
    ItemBox& box = game.itemBox;
    Players& players = game.players;
    // The blank glyph wipes the box square, trail pixels in it included.
    game.screen.DrawText(SurfacePrimary, " ", box.x, box.y, kGlyphCell, kGlyphCell);
    int32_t kind = box.itemKind;
    if (kind == ItemRandom) kind = game.random.randomRange(ItemSpeedUp, ItemBomb);

    if (players.itemCount[slot] >= kMaxHeldItems) {
        box.itemKind = ItemNone;  // a full stack refuses the item; the box is gone anyway
        return;
    }
    players.items[slot][players.itemCount[slot]] = kind;
    players.itemCount[slot] += 1;

    if (kind == ItemSpeedUp) {
        box.itemKind = ItemNone;
        useItem(game, slot);  // acts at once; its label never shows
        return;
    }
    showItemLabel(game, slot, kind);
    box.itemKind = ItemNone;
}

void useItem(Game& game, int slot) {
    Players& players = game.players;
    if (players.itemCount[slot] <= 0) return;
    flashScreen(game);

    players.itemCount[slot] -= 1;
    const int32_t kind = players.items[slot][players.itemCount[slot]];
    applyItem(game, slot, kind);

    if (players.itemCount[slot] > 0 &&
        validKind(players.items[slot][players.itemCount[slot] - 1])) {
        showItemLabel(game, slot, players.items[slot][players.itemCount[slot] - 1]);
    } else {
        game.screen.DrawText(SurfacePrimary, kBlankItemSlot, panelItemX(slot), panelLineY(slot),
                             kGlyphCell, kGlyphCell);
    }
    // An effect may have painted over the box.
    const ItemBox& box = game.itemBox;
    if (box.itemKind != ItemNone) {
        game.screen.DrawChar(SurfacePrimary, itemNames[box.itemKind][0], box.x, box.y, kGlyphCell,
                             kGlyphCell);
    }
    // The flips of the flash and the effects changed which page is shown.
    game.screen.MapField();
}
