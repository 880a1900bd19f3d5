// The item box's rules: when a box appears, its pickup, and firing the held items.
#pragma once

#include "play/play.h"

// Called at the start of every round frame: now and then places a new box (1 in 101).
void trySpawnItemBox(Play& play);
// Draws the box's glyph again onto the shown page, if a box is on the field.
void drawItemBox(Play& play);
// The slot's head entered the box square: takes the item (SPEED UP acts at once). With a
// full stack the box is still taken but its item is dropped.
void pickUpItem(Play& play, int slot);
// Fires the slot's top held item, with the screen flash; nothing happens with an empty stack.
void useItem(Play& play, int slot);
