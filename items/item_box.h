// The one item box on the field and the item kinds.
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"

enum ItemKind : int32_t {
    ItemNone = 0,
    ItemSpeedUp = 1,
    ItemLaserShot = 2,
    ItemWarp = 3,
    ItemChange = 4,
    ItemBomb = 5,
    ItemRandom = 6,  // "?": becomes a kind 1..5 when taken
};

inline constexpr std::array<const char*, 7> itemNames = {
    "          ", "SPEED UP  ", "LASER SHOT", "WARP      ", "CHANGE    ", "BOMB      ", "?"};

inline constexpr int kItemBoxSize = kGlyphCell;  // the box is one glyph cell

struct ItemBox {
    int32_t itemKind = ItemNone;  // 0: no box on the field
    int32_t x = 0;                // top-left corner of its square
    int32_t y = 0;

    // The box's square: a head pixel inside it takes the box (its glyph's pixels never kill).
    constexpr Rect square() const { return squareAt(x, y, kItemBoxSize); }
};

struct Game;

// Called at the start of every round frame: now and then places a new box (1 in 101).
void trySpawnItemBox(Game& game);
// Draws the box's glyph again onto the shown page, if a box is on the field.
void drawItemBox(Game& game);
// The slot's head entered the box square: takes the item (SPEED UP acts at once). With a
// full stack the box is still taken but its item is dropped.
void pickUpItem(Game& game, int slot);
// Fires the slot's top held item, with the screen flash; nothing happens with an empty stack.
void useItem(Game& game, int slot);
