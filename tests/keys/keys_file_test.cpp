// The players' keys file "diraviru_keys.txt": the bytes it holds, every key's name read back,
// and files damaged or edited by hand, which never give two players one key.
#include <filesystem>

#include "input/keys_file.h"
#include "tests/support/test_game.h"

namespace {

constexpr const char* kUsualFile = "1P Q A Z\n2P B N M\n3P LEFT DOWN RIGHT\n4P KP3 KP6 KP9\n";

PlayerKeyTable withSlot(int slot, PlayerKeys keys) {
    PlayerKeyTable table = kUsualPlayerKeys;
    table[slot] = keys;
    return table;
}

}  // namespace

// The usual keys are written as the README shows them; every key a player may have is
// written by its name and read back as itself, and so are names in small letters and lines
// ending in CR LF.
TEST(KeysFile, EveryPlayersKeyIsWrittenByItsNameAndReadBack) {
    EXPECT_EQ(encodeKeys(kUsualPlayerKeys), kUsualFile);
    std::vector<int> codes;
    for (const key::KeyName& entry : key::kKeyNames) {
        if (isPlayerKey(entry.code)) codes.push_back(entry.code);
    }
    ASSERT_GT(codes.size(), 80u);
    for (size_t first = 0; first < codes.size(); first += kSlots * kKeysPerSlot) {
        PlayerKeyTable keys;
        for (int k = 0; k < kSlots * kKeysPerSlot; ++k) {
            keys[k / kKeysPerSlot].at(k % kKeysPerSlot) = codes[(first + k) % codes.size()];
        }
        std::vector<std::string> problems;
        EXPECT_EQ(decodeKeys(encodeKeys(keys), problems), keys) << encodeKeys(keys);
        EXPECT_TRUE(problems.empty()) << problems.front();
    }
    std::vector<std::string> problems;
    EXPECT_EQ(decodeKeys("4p j k l\r\n\n  1P\t; ' /  \r\n", problems),
              (PlayerKeyTable{{{key::Semicolon, key::Apostrophe, key::Slash},
                               kUsualPlayerKeys[1],
                               kUsualPlayerKeys[2],
                               {'J', 'K', 'L'}}}));
    EXPECT_TRUE(problems.empty());
}

// A damaged line gives its player the usual keys and says why, naming the line; a line
// without a player, or a player given again, is passed over. Keys that clash are settled: a
// player without a line keeps the usual keys, an earlier line stands before a later one, and
// a line that gave way frees keys no other line may then keep.
TEST(KeysFile, DamagedAndClashingLinesNeverGiveTwoPlayersOneKey) {
    const PlayerKeyTable usual = kUsualPlayerKeys, four = withSlot(3, {'J', 'K', 'L'});
    const PlayerKeyTable swapped{{usual[1], usual[0], usual[2], usual[3]}};
    const std::string passed = "1P to 4P at its start, so it is passed over";
    const struct {
        const char* text;
        PlayerKeyTable keys;
        std::string problems;  // one a line
    } cases[] = {
        {"", usual, ""},
        {"4P J K L\n", four, ""},
        {"4P J K\n", usual, "line 1: three keys are needed; 4P plays with the usual keys"},
        {"2P J K L U\n", usual, "line 1: three keys are needed; 2P plays with the usual keys"},
        {"\n4P J K KP\n", usual, "line 2: no key is named \"KP\"; 4P plays with the usual keys"},
        {"4P J K PAGEUP", usual,
         "line 1: PAGEUP is the game's own key; 4P plays with the usual keys"},
        {"4P J J L\n", usual, "line 1: J is given twice; 4P plays with the usual keys"},
        {"5P J K L\n# keys\n4P J K L", four,
         "line 1: no player " + passed + "\nline 2: no player " + passed},
        {"4P J K L\n4P U I O\n", four,
         "line 2: 4P was given on an earlier line, so it is passed over"},
        {"1P B N M\n", usual, "line 1: B is 2P's key too; 1P plays with the usual keys"},
        {"1P B N M\n2P Q A Z\n", swapped, ""},
        {"1P J K L\n3P U I J\n", withSlot(0, {'J', 'K', 'L'}),
         "line 2: J is 1P's key too; 3P plays with the usual keys"},
        {"1P B X Y\n2P B U I\n", usual,
         "line 2: B is 1P's key too; 2P plays with the usual keys\n"
         "line 1: B is 2P's key too; 1P plays with the usual keys"},
        {"\xff\xfe 4P \x01 \n4P\n", usual,
         "line 1: no player " + passed +
             "\nline 2: three keys are needed; 4P plays with the usual keys"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        EXPECT_EQ(decodeKeys(c.text, problems), c.keys) << c.text;
        std::string told;
        for (const std::string& problem : problems) told += (told.empty() ? "" : "\n") + problem;
        EXPECT_EQ(told, c.problems) << c.text;
    }
    std::string many;
    for (int line = 0; line < 20; ++line) many += "JUNK\n";
    std::vector<std::string> problems;
    EXPECT_EQ(decodeKeys(many + "3P J K L", problems), withSlot(2, {'J', 'K', 'L'}));
    ASSERT_EQ(problems.size(), size_t(kMostProblemsTold + 1));
    EXPECT_EQ(problems.back(), "12 more lines like these");
}

// No file is the usual keys, silently; something that is not a file is the usual keys, said
// once; a save writes the file whole, and a save over a folder fails and leaves it.
TEST(KeysFile, LoadingAndSaving) {
    TestGame test;
    const std::string path = test.dir + "/" + kKeysFileName;
    EXPECT_EQ(keysFileBeside(test->settingsPath), path);
    EXPECT_EQ(keysFileBeside("dod_eved.dat"), kKeysFileName);
    std::vector<std::string> problems;
    EXPECT_EQ(loadKeys(path, problems), kUsualPlayerKeys);
    EXPECT_TRUE(problems.empty());

    const PlayerKeyTable chosen = withSlot(3, {key::Space, key::LeftShift, key::Backspace});
    std::string error;
    ASSERT_TRUE(saveKeys(path, chosen, error)) << error;
    EXPECT_EQ(readFile(path),
              "1P Q A Z\n2P B N M\n3P LEFT DOWN RIGHT\n4P SPACE LSHIFT BACKSPACE\n");
    EXPECT_EQ(loadKeys(path, problems), chosen);
    EXPECT_TRUE(problems.empty());

    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(loadKeys(path, problems), kUsualPlayerKeys);
    EXPECT_EQ(problems,
              std::vector<std::string>{"not a regular file; everybody plays with the usual keys"});
    EXPECT_FALSE(saveKeys(path, chosen, error));
    EXPECT_EQ(error, "not a regular file, not replaced");
    EXPECT_TRUE(std::filesystem::is_directory(path));
}
