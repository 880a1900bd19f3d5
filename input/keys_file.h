// The players' keys file "diraviru_keys.txt", kept beside the settings file: one line per
// player, the player and then its turn-left, fire and turn-right keys by name, as
//   1P Q A Z
//   3P LEFT DOWN RIGHT
// Names are those of platform/keys.h, in capitals or not, separated by blanks. The settings
// file never changes for it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "input/player_keys.h"

inline constexpr const char* kKeysFileName = "diraviru_keys.txt";

// The keys file in the folder of the settings file at `settingsPath`.
std::string keysFileBeside(const std::string& settingsPath);

// The file's text for a table: four lines, 1P to 4P.
std::string encodeKeys(const PlayerKeyTable& keys);

// The table a file's text gives, always playable (keysPlayable). A player without a line, or
// whose line is damaged (not three names of player keys, a key given twice), keeps the usual
// keys. Where keys clash, the usual keys of a player without a line of its own stand, and
// otherwise the earlier player's line: the other player then plays with the usual keys, and
// so on until no two players share a key. Every damaged or clashing line adds one line to
// `problems` (saying which line, why, and what the player plays with), at most
// kMostProblemsTold and then one that counts the rest.
inline constexpr int kMostProblemsTold = 8;
PlayerKeyTable decodeKeys(std::string_view text, std::vector<std::string>& problems);

// Reads the file at `path`: no file gives the usual keys and no problem; anything there that
// is not a readable regular file gives the usual keys and one problem saying why.
PlayerKeyTable loadKeys(const std::string& path, std::vector<std::string>& problems);

// Writes the table to `path` whole or not at all (platform::replaceFileAtomically); false,
// with the reason in `error`, when it could not be saved.
bool saveKeys(const std::string& path, const PlayerKeyTable& keys, std::string& error);
