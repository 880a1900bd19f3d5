// The option menu: eight rows of settings, Left and Right change the values (the caller saves
// them), and a ninth row that opens the key screen.
#pragma once

#include <cstdint>

#include "display/screen.h"
#include "menus/menu.h"

struct Game;

inline constexpr int kOptionRows = 9;
inline constexpr MenuLayout kOptionMenu{kOptionRows, 150, 118, 170, 32};

// Runs the screen until Enter on "EXIT"; the settings are then as the player left them.
// Enter on "KEY CONFIG" runs the key screen and comes back with the pointer on that row.
void runOptionMenu(Game& game);
// Builds the screen on the back page and flips it into view, pointer on "EXIT".
void drawOptionMenu(Game& game);
// Prints one row's value on the surface; rows without a value print nothing.
void drawOptionValue(Game& game, SurfaceId surface, int row);
// Moves the pointer one row on the visible page (delta -1 or +1), wrapping over the rows.
void moveOptionCursor(Game& game, int delta);
// Changes the option of the row under the pointer by one step (delta -1 or +1, within the
// option's range in kOptionRanges) and shows it; a row without an option changes nothing.
void changeOptionValue(Game& game, int delta);
