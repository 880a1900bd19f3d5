// Where the game finds char.bmp and keeps its files: run from its build folder, in the
// working folder as always; installed (PREFIX/bin/diraviru beside PREFIX/share/diraviru/
// char.bmp), in the user's data folder, made on the first save, with nothing written where
// it was started.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "menus/key_menu.h"
#include "platform/regular_file.h"
#include "replay/replay.h"
#include "settings/settings.h"
#include "shell/game_folders.h"
#include "shell/match_recording.h"
#include "tests/support/test_game.h"

namespace {

namespace fs = std::filesystem;

// A temporary folder of the test's own, removed with it.
struct Scratch {
    Scratch() {
        static int count = 0;
        path = fs::temp_directory_path() /
               ("diraviru-folders-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

// An installed game under `prefix`: the program's folder and its char.bmp.
std::string installUnder(const std::string& prefix) {
    fs::create_directories(prefix + "/bin");
    fs::create_directories(prefix + "/share/diraviru");
    fs::copy_file(sourcePath("assets/char.bmp"), prefix + "/share/diraviru/char.bmp");
    return prefix + "/bin";
}

// Runs the process in `folder` until the guard ends.
struct InFolder {
    explicit InFolder(const fs::path& folder) : previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(previous); }
    fs::path previous;
};

int permissionsOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? int(status.st_mode & 0777) : -1;
}

}  // namespace

TEST(GameFolders, ABuildFolderKeepsItsFilesInTheWorkingFolder) {
    Scratch scratch;
    fs::create_directories(scratch / "build");
    fs::copy_file(sourcePath("assets/char.bmp"), scratch / "build/char.bmp");
    const GameFolders folders = findGameFolders(scratch / "build", {"/x/data", "/home/ann"});
    EXPECT_FALSE(folders.installed);
    EXPECT_EQ(folders.assets, scratch / "build");
    EXPECT_EQ(folders.data, "");
    EXPECT_EQ(folders.error, "");
    // A program alone (no char.bmp anywhere of its own) is no installed game either.
    EXPECT_FALSE(findGameFolders(scratch / "elsewhere", {"", "/home/ann"}).installed);
    EXPECT_FALSE(findGameFolders("", {"", "/home/ann"}).installed);
}

// XDG_DATA_HOME when it is absolute, else HOME/.local/share; neither: the reason why.
TEST(GameFolders, AnInstalledGameKeepsItsFilesInTheUsersDataFolder) {
    Scratch scratch;
    const std::string bin = installUnder(scratch / "usr");
    const struct {
        UserFolders user;
        const char* data;
    } cases[] = {
        {{"/x/data", "/home/ann"}, "/x/data/diraviru"},
        {{"/x/data/", "/home/ann"}, "/x/data/diraviru"},
        {{"", "/home/ann"}, "/home/ann/.local/share/diraviru"},
        {{"relative/data", "/home/ann"}, "/home/ann/.local/share/diraviru"},
        {{"", ""}, ""},
        {{"relative", "also/relative"}, ""},
    };
    for (const auto& c : cases) {
        const GameFolders folders = findGameFolders(bin, c.user);
        EXPECT_TRUE(folders.installed);
        EXPECT_EQ(folders.assets, scratch / "usr/share/diraviru");
        EXPECT_EQ(folders.data, c.data) << c.user.xdgDataHome << " | " << c.user.home;
        EXPECT_EQ(folders.error.empty(), *c.data != 0) << folders.error;
        EXPECT_EQ(describeDataFolder(folders), *c.data ? c.data : "none: " + folders.error);
    }
    EXPECT_EQ(describeDataFolder(GameFolders{}),
              fs::current_path().string() + " (the working folder)");
}

// The settings and the last match go into the data folder, the working folder when none.
TEST(GameFolders, FilesArePlacedInTheDataFolder) {
    TestGame test;
    placeFiles(*test, "/x/data/diraviru");
    EXPECT_EQ(test->settingsPath, "/x/data/diraviru/dod_eved.dat");
    EXPECT_EQ(test->recordPath, "/x/data/diraviru/last_match.dvr");
    EXPECT_EQ(test->dataFolder, "/x/data/diraviru");
    placeFiles(*test, "");
    EXPECT_EQ(test->settingsPath, "dod_eved.dat");
    EXPECT_EQ(test->recordPath, "last_match.dvr");
}

// Every missing folder is made private to the user; one that is there is left as it is; a
// file in the way, or a folder that cannot be written, is named with the reason.
TEST(GameFolders, TheDataFolderIsMadeWhenMissing) {
    Scratch scratch;
    std::string error;
    EXPECT_TRUE(platform::makeMissingFolders("", error));
    EXPECT_TRUE(platform::makeMissingFolders(scratch / "home/.local/share/diraviru", error))
        << error;
    EXPECT_TRUE(fs::is_directory(scratch / "home/.local/share/diraviru"));
    EXPECT_EQ(permissionsOf(scratch / "home/.local/share/diraviru"), 0700);
    EXPECT_EQ(permissionsOf(scratch / "home/.local"), 0700);
    fs::permissions(scratch / "home/.local", fs::perms(0755));
    EXPECT_TRUE(platform::makeMissingFolders(scratch / "home/.local/share/diraviru", error))
        << error;
    EXPECT_EQ(permissionsOf(scratch / "home/.local"), 0755);

    std::ofstream(scratch / "file") << "in the way";
    EXPECT_FALSE(platform::makeMissingFolders(scratch / "file", error));
    EXPECT_EQ(error, scratch / "file" + ": not a folder");
    EXPECT_FALSE(platform::makeMissingFolders(scratch / "file/diraviru", error));
    EXPECT_EQ(error, scratch / "file/diraviru" + ": Not a directory");
}

// A recorded match, and keys chosen on the key screen, are written into the data folder,
// made for whichever comes first.
TEST(GameFolders, TheLastMatchAndTheKeysGoToTheDataFolder) {
    Scratch scratch;
    TestGame test;
    placeFiles(*test, scratch / "match/diraviru");
    MatchRecording(*test).decided(Decision::EndMatch);
    Replay replay;
    std::string error;
    EXPECT_TRUE(readReplayFile(scratch / "match/diraviru/last_match.dvr", replay, error)) << error;

    placeFiles(*test, scratch / "keys/diraviru");
    uint32_t at = 100;
    for (const int code : {key::Up, key::Enter, key::Esc}) test.machine.keyPress(at += 100, code);
    test.machine.quitWhenIdleAfter(at + 10'000);
    runKeyMenu(*test);  // USUAL KEYS (above EXIT, where the pointer starts), then back
    EXPECT_EQ(readFile(scratch / "keys/diraviru/diraviru_keys.txt").substr(0, 9), "1P Q A Z\n");
}

// The installed program started from an unrelated folder: char.bmp from PREFIX/share/diraviru,
// the settings saved into the data folder (made for it) and read back by the next start;
// nothing appears in the working folder.
TEST(GameFolders, TheInstalledGameKeepsItsSettingsBetweenStarts) {
    Scratch scratch;
    const GameFolders folders =
        findGameFolders(installUnder(scratch / "usr"), {"", scratch / "home"});
    fs::create_directories(scratch / "work");
    const InFolder working(scratch / "work");
    const std::string saved = scratch / "home/.local/share/diraviru/dod_eved.dat";
    for (const bool first : {true, false}) {
        platform::ScriptedPlatform machine;
        machine.keyDown(0, key::Ctrl), machine.keyUp(1, key::Ctrl);  // through the logo
        uint32_t at = 100;
        // First start: OPTION, WAIT one higher, EXIT there (saved), then EXIT on the title
        // (the pointer back on START). Second start: EXIT, which saves what was read.
        const std::vector<int> firstKeys = {key::Up, key::Up,    key::Enter, key::Down, key::Right,
                                            key::Up, key::Enter, key::Up,    key::Enter};
        const std::vector<int> secondKeys = {key::Up, key::Enter};
        for (const int code : first ? firstKeys : secondKeys) machine.keyPress(at += 100, code);
        machine.quitWhenIdleAfter(at + 10000);
        EXPECT_EQ(runProgram(machine, folders, {}), 0);
        EXPECT_LT(machine.ticks(), at + 10000) << "ended by EXIT, not by the quit";
        EXPECT_TRUE(fs::is_empty(scratch / "work"));
        Settings read;
        read.loadSettings(saved);
        EXPECT_EQ(read.wait, Settings{}.wait + 1) << (first ? "first" : "second") << " start";
    }
    EXPECT_EQ(permissionsOf(scratch / "home/.local/share/diraviru"), 0700);
}

// Installed without a data folder the game does not start (one line says why); a replay's
// playback needs none.
TEST(GameFolders, WithoutADataFolderTheInstalledGameDoesNotStart) {
    Scratch scratch;
    const GameFolders folders = findGameFolders(installUnder(scratch / "usr"), {"", ""});
    platform::ScriptedPlatform machine;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runProgram(machine, folders, {}), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "diraviru: " + folders.error + "\n");
    EXPECT_FALSE(machine.displayOpen());
    Options play;
    play.mode = Options::Mode::Play;
    play.playPath = scratch / "none.dvr";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runProgram(machine, folders, play), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot play"), std::string::npos);
}
