// The item box: when it appears and where, its pickup, the held-item stack shown in the
// players' panel lines, and firing the top item.
#include "items/item_box.h"

#include "items/effect_display.h"
#include "items/item_effects.h"
#include "play/play.h"

namespace {

constexpr int kSpawnChanceTop = 100;  // a box appears when randomRange(0, 100) is 1
// The whole square stays inside the field, one pixel short of its right and bottom edges.
constexpr int kBoxLeftMax = kField.right - 1 - kItemBoxSize;
constexpr int kBoxTopMax = kField.bottom - 1 - kItemBoxSize;
constexpr const char* kBlankItemSlot = "            ";  // twelve blanks clear a label
constexpr uint32_t kFlashMs = 2;                        // at least, between its two flips

// The player's item label sits after its "%dP ITEM" caption in the panel lines.

// Every slot counts, whatever its type or state: a box is never placed over a head.
bool anyHeadInSquare(const Players& players, const Rect& square) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const int x = static_cast<int>(players.x[slot]);
        const int y = static_cast<int>(players.y[slot]);
        if (square.contains(x, y)) return true;
    }
    return false;
}

void putBoxGlyph(const ItemBox& box, Screen& screen) {
    screen.PutGlyph(SurfacePrimary, itemNames[box.itemKind][0], box.x, box.y);
}

void showItemLabel(Play& play, int slot, int32_t kind) {
    play.screen.DrawColourText(SurfacePrimary, itemNames[kind], panelItemX(slot), panelLineY(slot),
                               kGlyphCell, kGlyphCell, slotTile(slot));
}

// The whole screen in the flash colour for one page, then the field again.
void flashScreen(Play& play, EffectDisplay& display) {
    Screen& screen = play.screen;
    screen.FillBox(SurfaceBack, 0, 0, kScreenWidth, kScreenHeight, screen.PaletteRgb(flashColour));
    display.flipAtRefresh();
    display.markStep();
    display.waitSinceMark(kFlashMs);
    display.flipAtRefresh();
}

void applyItem(Play& play, EffectDisplay& display, int slot, int32_t kind) {
    switch (kind) {
        case ItemSpeedUp:
            if (play.players.speedLevel[slot] > 0) play.players.speedLevel[slot] -= 1;
            break;
        case ItemLaserShot:
            fireLaser(play, slot);
            break;
        case ItemWarp:
            warpPlayer(play, display, slot);
            break;
        case ItemChange:
            changePlaces(play, display, slot);
            break;
        case ItemBomb:
            detonateBomb(play, display, slot);
            break;
        default:
            break;
    }
}

// Kinds outside the table are shown as blanks rather than read past it.
bool validKind(int32_t kind) { return kind >= 0 && kind < static_cast<int32_t>(itemNames.size()); }

}  // namespace

void trySpawnItemBox(Play& play, EffectDisplay& display) {
    ItemBox& box = play.itemBox;
    Random& random = play.random;
    if (box.itemKind != ItemNone || play.settings.itemsOn == 0) return;
    if (random.randomRange(0, kSpawnChanceTop) != 1) return;
    box.itemKind = random.randomRange(ItemSpeedUp, ItemRandom);
    for (;;) {
        box.x = random.randomRange(kField.left, kBoxLeftMax);
        box.y = random.randomRange(kField.top, kBoxTopMax);
        if (!anyHeadInSquare(play.players, box.square())) break;
        display.waitSinceMark(0);
    }
    putBoxGlyph(box, play.screen);
}

void drawItemBox(const ItemBox& box, Screen& screen) {
    if (box.itemKind != ItemNone) putBoxGlyph(box, screen);
}

void pickUpItem(Play& play, EffectDisplay& display, int slot) {
    ItemBox& box = play.itemBox;
    Players& players = play.players;
    // The blank glyph wipes the box square, trail pixels in it included.
    play.screen.DrawText(SurfacePrimary, " ", box.x, box.y, kGlyphCell, kGlyphCell);
    int32_t kind = box.itemKind;
    if (kind == ItemRandom) kind = play.random.randomRange(ItemSpeedUp, ItemBomb);

    if (players.itemCount[slot] >= kMaxHeldItems) {
        box.itemKind = ItemNone;  // a full stack refuses the item; the box is gone anyway
        return;
    }
    players.items[slot][players.itemCount[slot]] = kind;
    players.itemCount[slot] += 1;

    if (kind == ItemSpeedUp) {
        box.itemKind = ItemNone;
        useItem(play, display, slot);  // acts at once; its label never shows
        return;
    }
    showItemLabel(play, slot, kind);
    box.itemKind = ItemNone;
}

void useItem(Play& play, EffectDisplay& display, int slot) {
    Players& players = play.players;
    if (players.itemCount[slot] <= 0) return;
    flashScreen(play, display);

    players.itemCount[slot] -= 1;
    const int32_t kind = players.items[slot][players.itemCount[slot]];
    applyItem(play, display, slot, kind);

    if (players.itemCount[slot] > 0 &&
        validKind(players.items[slot][players.itemCount[slot] - 1])) {
        showItemLabel(play, slot, players.items[slot][players.itemCount[slot] - 1]);
    } else {
        play.screen.DrawText(SurfacePrimary, kBlankItemSlot, panelItemX(slot), panelLineY(slot),
                             kGlyphCell, kGlyphCell);
    }
    // An effect may have painted over the box.
    const ItemBox& box = play.itemBox;
    if (box.itemKind != ItemNone) {
        play.screen.DrawChar(SurfacePrimary, itemNames[box.itemKind][0], box.x, box.y, kGlyphCell,
                             kGlyphCell);
    }
    // The flips of the flash and the effects changed which page is shown.
    play.screen.MapField();
}
