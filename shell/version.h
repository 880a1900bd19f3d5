// The game's version as files it writes name it (a replay records the game that played it).
// Raise it whenever a rule changes, so an old replay that no longer plays back the same says
// which game recorded it.
#pragma once

inline constexpr const char* kGameVersion = "1.0";
