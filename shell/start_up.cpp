// The first steps of every start, a game's or a replay's playback: the display, char.bmp and
// the tables every round needs.
#include "shell/start_up.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "game/game.h"
#include "input/pacing.h"
#include "platform/regular_file.h"

namespace {

[[noreturn]] void failStart(Game& game, const std::string& reason) {
    std::fprintf(stderr, "diraviru: %s\n", reason.c_str());
    if (game.devices.screen.IsOpen()) game.devices.screen.Close();
    throw ProgramExit{1};
}

// Where char.bmp is looked for, in order: the working folder, then the game's own folder
// (own the program, or PREFIX/share/diraviru when installed). Both as absolute paths, so
// that every message names the file it tried; one place when both are the same.
std::vector<std::string> charBitmapPlaces(const Game& game, const std::string& assetDir) {
    namespace fs = std::filesystem;
    std::vector<std::string> places{platform::absolutePath(game.charBitmapName)};
    if (!assetDir.empty()) {
        const std::string own = (fs::path(assetDir) / game.charBitmapName).lexically_normal();
        if (own != places.front()) places.push_back(own);
    }
    return places;
}

// The first usable char.bmp of its places. An unusable file that is there is passed over,
// with one line saying so, when a later place serves; when none does, the start fails with
// one line giving every place and why it could not be used.
void loadCharBitmap(Game& game, const std::string& assetDir) {
    std::string reasons;     // every place tried, with why it failed
    std::string passedOver;  // the same for the places that hold a file
    for (const std::string& path : charBitmapPlaces(game, assetDir)) {
        std::string error;
        if (game.devices.screen.LoadChars(path, error)) {
            if (!passedOver.empty()) {
                std::fprintf(stderr, "diraviru: using %s, passed over %s\n", path.c_str(),
                             passedOver.c_str());
            }
            game.devices.screen.LoadPalette(path);
            return;
        }
        std::error_code ignored;
        const bool present = std::filesystem::exists(path, ignored);
        reasons += (reasons.empty() ? "" : "; ") + error;
        if (present) passedOver += (passedOver.empty() ? "" : "; ") + error;
    }
    failStart(game, "no usable char.bmp: " + reasons);
}

}  // namespace

void openDisplay(Game& game, const std::string& assetDir) {
    installScreenWaitHook(game.devices);
    std::string error;
    if (!game.devices.screen.Open(*game.devices.platform, error)) failStart(game, error);
    loadCharBitmap(game, assetDir);
}

void buildTables(Game& game) {
    game.devices.screen.MapField();
    game.play.directions.build();
}
