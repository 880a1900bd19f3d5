// The start-up logo and the title menu with its seven rows.
#pragma once

#include <cstdint>

struct Game;

struct TitleMenu {
    int32_t cursor = 0;  // 0 START, 1..4 the player rows, 5 OPTION, 6 EXIT
};

// Types the credit line behind a blinking cursor; returns with the visible page black.
void showLogo(Game& game);
// Blinks the logo cursor at (x, 224) count times, 100 ms a step: drawn on even steps,
// erased on odd ones.
void blinkCursor(Game& game, int x, int count);

// Composes and shows the whole title screen, pointer on "START".
void drawTitle(Game& game);
// Moves the pointer with Up and Down until Enter is pressed; the Enter press is taken and
// titleMenu.cursor tells the row.
void runTitleInput(Game& game);
// Moves the pointer one row (delta -1 or +1), wrapping round the seven rows.
void moveTitleCursor(Game& game, int delta);
// Steps the type of the slot of the player row under the pointer: NON, MAN, COM, NON...
void cyclePlayerType(Game& game);

// Copies the whole composed page to the back page and flips it into view.
void showPage(Game& game);

// The names of the player types, indexed by PlayerType.
inline constexpr const char* playerTypeNames[3] = {"NON", "MAN", "COM"};
