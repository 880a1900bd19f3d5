#include "shell/game_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "game/game.h"

namespace fs = std::filesystem;

namespace {

bool isAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The home folder in the system's user list, for a process started without HOME.
std::string homeOfUser() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return "";
    }
    return found->pw_dir ? found->pw_dir : "";
}

// $XDG_DATA_HOME/diraviru, else HOME/.local/share/diraviru; empty when neither is absolute.
std::string userDataFolder(const UserFolders& user) {
    if (isAbsolute(user.xdgDataHome)) {
        return (fs::path(user.xdgDataHome) / kDataFolderName).lexically_normal();
    }
    if (isAbsolute(user.home)) {
        return (fs::path(user.home) / ".local/share" / kDataFolderName).lexically_normal();
    }
    return "";
}

}  // namespace

GameFolders findGameFolders(const std::string& programDir, const UserFolders& user) {
    GameFolders folders;
    const fs::path installedAssets =
        (fs::path(programDir).parent_path() / kInstalledAssets).lexically_normal();
    std::error_code ignored;
    folders.installed =
        !programDir.empty() && fs::exists(installedAssets / kCharBitmapName, ignored);
    if (!folders.installed) {
        folders.assets = programDir;
        return folders;
    }
    folders.assets = installedAssets;
    folders.data = userDataFolder(user);
    if (folders.data.empty()) {
        folders.error =
            "no folder for the settings and replays: neither XDG_DATA_HOME nor HOME names an "
            "absolute folder, and the user has no home folder";
    }
    return folders;
}

UserFolders currentUser() {
    UserFolders user{environmentValue("XDG_DATA_HOME"), environmentValue("HOME")};
    if (!isAbsolute(user.home)) user.home = homeOfUser();
    return user;
}

std::string describeDataFolder(const GameFolders& folders) {
    if (!folders.error.empty()) return "none: " + folders.error;
    if (folders.data.empty()) {
        std::error_code gone;
        const fs::path here = fs::current_path(gone);
        return (gone ? std::string(".") : here.string()) + " (the working folder)";
    }
    return folders.data;
}

void placeFiles(Game& game, const std::string& dataFolder) {
    game.dataFolder = dataFolder;
    const fs::path folder(dataFolder);
    game.settingsPath = folder / kSettingsFileName;
    game.recordPath = folder / kLastMatchFileName;
}
