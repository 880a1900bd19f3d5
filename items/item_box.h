// The item box's rules: when a box appears, its pickup, and firing the held items.
#pragma once

#include "play/play.h"

class EffectDisplay;

// Called at the start of every round frame: with items on and no box on the field, now and
// then (1 in 101) places a new one where no head is, letting the machine take its events
// between tries, and draws it.
void trySpawnItemBox(Play& play, EffectDisplay& display);
// Draws the box's glyph again onto the shown page, if a box is on the field.
void drawItemBox(const ItemBox& box, Screen& screen);
// The slot's head entered the box square: takes the item (SPEED UP acts at once). With a
// full stack the box is still taken but its item is dropped.
void pickUpItem(Play& play, EffectDisplay& display, int slot);
// Fires the slot's top held item, with the screen flash; nothing happens with an empty stack.
void useItem(Play& play, EffectDisplay& display, int slot);
