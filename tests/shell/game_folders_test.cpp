// Where the game keeps its files: the working folder for a build, else the user's data folder.
#include <filesystem>
#include <fstream>

#include "menus/key_menu.h"
#include "shell/game_folders.h"
#include "shell/match_recording.h"
#include "tests/support/test_game.h"

// XDG_DATA_HOME when it is absolute, else HOME/.local/share; neither: the game does not start.
TEST(GameFolders, OneRuleSaysWhereTheFilesGo) {
    TestGame test;
    const std::string share = test.dir + "/usr/share/diraviru";
    std::filesystem::create_directories(share);
    std::ofstream(share + "/char.bmp") << "the artwork";
    EXPECT_EQ(findGameFolders(share, {"/x/data", "/home/ann"}).data, "");  // beside the program
    const std::pair<UserFolders, std::string> cases[] = {
        {{"/x/data/", "/home/ann"}, "/x/data/diraviru"},
        {{"relative/data", "/home/ann"}, "/home/ann/.local/share/diraviru"},
        {{"relative", ""}, ""},
    };
    for (const auto& [user, data] : cases) {
        const GameFolders folders = findGameFolders(test.dir + "/usr/bin", user);
        EXPECT_EQ(folders.assets, share);
        EXPECT_EQ(describeDataFolder(folders), data.empty() ? "none: " + folders.error : data);
        EXPECT_EQ(makeProgramGame(test.machine, folders, {}) == nullptr, data.empty());
    }
}

TEST(GameFolders, TheKeysAndTheLastMatchGoToTheDataFolderMadePrivate) {
    TestGame test;
    const std::string data = test.dir + "/share/diraviru";
    placeFiles(*test, data);
    uint32_t at = 0;
    for (const int code : {key::Up, key::Enter, key::Esc}) test.machine.keyPress(at += 100, code);
    test.machine.quitWhenIdleAfter(10'000);
    runKeyMenu(*test);  // USUAL KEYS (above EXIT, where the pointer starts), then back
    MatchRecording(*test).decided(Decision::EndMatch);
    EXPECT_EQ(std::filesystem::status(data).permissions(), std::filesystem::perms::owner_all);
    EXPECT_EQ(readFile(data + "/diraviru_keys.txt").substr(0, 9), "1P Q A Z\n");
    EXPECT_NE(readFile(data + "/last_match.dvr"), "");
}
