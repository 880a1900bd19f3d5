// Where the game finds its artwork and keeps its files. One rule decides: the game is
// installed when char.bmp lies in share/diraviru beside the folder of the program (as an
// install puts them: PREFIX/bin/diraviru, PREFIX/share/diraviru/char.bmp). Installed, it
// keeps its settings and its last match in the user's data folder ($XDG_DATA_HOME/diraviru,
// by default ~/.local/share/diraviru), made on the first save; otherwise (run from its build
// folder) in the folder it is started from.
#pragma once

#include <string>

struct Game;

// The folder, below a prefix, of the installed game's own files (char.bmp).
inline constexpr const char* kInstalledAssets = "share/diraviru";
// The folder, below the user's data folder, of the installed game's settings and replays.
inline constexpr const char* kDataFolderName = "diraviru";

// What the rule reads of the user: $XDG_DATA_HOME and the home folder ($HOME, or the
// user's entry in the system's user list when HOME is unset or not absolute). A relative
// path in either counts as unset.
struct UserFolders {
    std::string xdgDataHome;
    std::string home;
};

struct GameFolders {
    bool installed = false;
    // Where char.bmp is looked for after the working folder: beside the program, or
    // PREFIX/share/diraviru when installed.
    std::string assets;
    // Where the settings and the last match go; empty for the working folder.
    std::string data;
    // Installed, but neither XDG_DATA_HOME nor the home folder gives a data folder: why.
    std::string error;
};

// The rule, for a program in programDir (an absolute path) and the given user.
GameFolders findGameFolders(const std::string& programDir, const UserFolders& user);

// The user as this process sees it (its environment and the system's user list).
UserFolders currentUser();

// The folder the files go to, for people to read: the data folder, or the working folder
// as an absolute path.
std::string describeDataFolder(const GameFolders& folders);

// Points the Game's files (the settings, the last match) into dataFolder (empty: the
// working folder).
void placeFiles(Game& game, const std::string& dataFolder);
