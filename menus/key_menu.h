// The key screen, reached from the option menu: each player's three keys are chosen by
// pressing them, one row gives everybody the usual keys back, and a keyboard check shows
// every key the keyboard holds right now (and the game controllers' buttons), so that players
// can see which combinations their keyboard loses.
#pragma once

#include "menus/menu.h"

struct Game;

// The screen's rows, top to bottom; rows 1..4 belong to the player slots 0..3.
enum KeyMenuRow : int {
    KeyRowExit = 0,
    KeyRowFirstPlayer = 1,
    KeyRowLastPlayer = 4,
    KeyRowUsual = 5,
};
inline constexpr int kKeyMenuRows = 6;
inline constexpr MenuLayout kKeyMenu{kKeyMenuRows, 64, 32, 152, 28};

// Where the screen's parts stand, for the screen and its tests.
inline constexpr int kKeyColumnsY = 124;                // the columns' headings
inline constexpr int kKeyColumnX[3] = {128, 288, 448};  // turn left, fire, turn right
inline constexpr int kKeyMessageY = 328;                // the prompt or refusal
inline constexpr int kKeyCheckY = 364;                  // the keyboard check's first line
inline constexpr int kKeyCheckNamesX = 160;             // where its names start
inline constexpr int kKeyCheckLineSpacing = 20;
inline constexpr int kKeyCheckLines = 3;
inline constexpr int kKeyNoteY = 436;  // the last two lines
inline constexpr const char* kKeyNote[2] = {"KEYS GO BY PLACE ON THE KEYBOARD,",
                                            "NAMED AS ON A US KEYBOARD"};
inline constexpr const char* kKeysNotSaved = "KEYS NOT SAVED";

// Runs the screen until Enter on "EXIT" or Esc. A player's keys change once all three are
// pressed, and every change is saved to the keys file at once (a failed save shows
// KEYS NOT SAVED and one line on standard error; the keys still hold for this run).
void runKeyMenu(Game& game);
