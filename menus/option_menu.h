// The option menu: eight rows, Left and Right change the values, saved when it is left.
#pragma once

#include <cstdint>

struct Game;

struct OptionMenu {
    int32_t cursor = 0;  // 0 EXIT .. 7 METEORITE VALUE
};

void runOptionMenu(Game& game);
