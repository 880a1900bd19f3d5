// TEMPORARY placeholders so the program links while item boxes are being built.
#include "items/item_box.h"
#include "shell/game.h"
void trySpawnItemBox(Game&) {}
void drawItemBox(Game&) {}
void pickUpItem(Game&, int) {}
void useItem(Game&, int) {}
