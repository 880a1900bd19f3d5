// The start-up logo and the title menu with its seven rows.
#pragma once

#include <cstdint>

struct Game;

struct TitleMenu {
    int32_t cursor = 0;  // 0 START, 1..4 the player rows, 5 OPTION, 6 EXIT
};

void showLogo(Game& game);
void drawTitle(Game& game);
void runTitleInput(Game& game);
void cyclePlayerType(Game& game);
