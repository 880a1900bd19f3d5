// The first steps of every start: the display with char.bmp, and the tables every round
// needs. Both the program's start-up and a replay's playback begin with them.
#pragma once

#include <string>

struct Game;

// Opens the display and loads char.bmp (from the working folder, else from assetDir, the
// game's own folder); throws ProgramExit(1) with one line on standard error when it cannot.
void openDisplay(Game& game, const std::string& assetDir);
// The tables every round needs (the field's mapping, the directions).
void buildTables(Game& game);
