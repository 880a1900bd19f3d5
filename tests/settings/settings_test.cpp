// The settings record and "dod_eved.dat": exact bytes, reading back every file the game can
// write, damaged files, clamping, and the atomic save.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/settings.h"
#include "tests/support/test_game.h"

namespace {

namespace fs = std::filesystem;

// A fresh directory per test, removed afterwards.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { dir = makeTempDir(); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string path(const std::string& name = kSettingsFileName) const {
        return dir + "/" + name;
    }
    std::string dir;
};

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Three 32-bit integers, little-endian, spelled out byte by byte.
std::string block(uint32_t a, uint32_t b, uint32_t c) {
    std::string out;
    for (const uint32_t v : {a, b, c}) {
        out += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    }
    return out;
}

Settings decoded(const std::string& bytes) {
    Settings settings;
    decodeSettings(bytes, settings);
    return settings;
}

bool inMenuRanges(const Settings& s) {
    return s.wait >= 0 && s.wait <= 999 && s.itemsOn >= 0 && s.itemsOn <= 1 &&
           s.explosionType >= 0 && s.explosionType <= 2 && s.explosionValue[0] >= 0 &&
           s.explosionValue[0] <= 100 && s.explosionValue[1] >= 0 &&
           s.explosionValue[1] <= 9050 && s.explosionValue[2] >= 0 &&
           s.explosionValue[2] <= 9050 && s.meteoritesOn >= 0 && s.meteoritesOn <= 1 &&
           s.meteoriteTime >= 1 && s.meteoriteTime <= 999 && s.meteoriteValue >= 50 &&
           s.meteoriteValue <= 9050;
}

std::string describe(const Settings& s) {
    return std::to_string(s.wait) + " " + std::to_string(s.itemsOn) + " " +
           std::to_string(s.explosionType) + " [" + std::to_string(s.explosionValue[0]) + " " +
           std::to_string(s.explosionValue[1]) + " " + std::to_string(s.explosionValue[2]) +
           "] " + std::to_string(s.meteoritesOn) + " " + std::to_string(s.meteoriteTime) + " " +
           std::to_string(s.meteoriteValue);
}

Settings record(int32_t wait, int32_t items, int32_t type, int32_t bomb, int32_t cosmo,
                int32_t cosmo2, int32_t meteors, int32_t time, int32_t value) {
    Settings s;
    s.wait = wait;
    s.itemsOn = items;
    s.explosionType = type;
    s.explosionValue[0] = bomb;
    s.explosionValue[1] = cosmo;
    s.explosionValue[2] = cosmo2;
    s.meteoritesOn = meteors;
    s.meteoriteTime = time;
    s.meteoriteValue = value;
    return s;
}

TEST_F(SettingsFile, DefaultsAreTheTwentyFiveBytesAndReadBack) {
    const std::string expected = std::string("1 1 0") + std::string("\x10\0\0\0", 4) +
                                 std::string("\x96\0\0\0", 4) + std::string("\x96\0\0\0", 4) +
                                 "0 60 100";
    ASSERT_EQ(expected.size(), 25u);
    const Settings defaults;
    EXPECT_EQ(encodeSettings(defaults), expected);
    ASSERT_TRUE(defaults.saveSettings(path()));
    EXPECT_EQ(readBytes(path()), expected);
    EXPECT_FALSE(fs::exists(path() + ".tmp"));

    Settings loaded = record(7, 0, 2, 3, 4, 5, 1, 6, 700);
    loaded.loadSettings(path());
    EXPECT_EQ(loaded, defaults);

    // A missing file keeps whatever is current.
    Settings kept = record(7, 0, 2, 3, 4, 5, 1, 6, 700);
    kept.loadSettings(path("missing.dat"));
    EXPECT_EQ(kept, record(7, 0, 2, 3, 4, 5, 1, 6, 700));
}

TEST_F(SettingsFile, LayoutOfOtherValuesAndRoundTrip) {
    const Settings s = record(999, 0, 2, 100, 9050, 0, 1, 999, 9050);
    const std::string expected = "999 0 2" + block(100, 9050, 0) + "1 999 9050";
    EXPECT_EQ(encodeSettings(s), expected);
    ASSERT_TRUE(s.saveSettings(path()));
    EXPECT_EQ(readBytes(path()), expected);
    Settings loaded;
    loaded.loadSettings(path());
    EXPECT_EQ(loaded, s);

    // Saving again replaces the old file completely (the new one is shorter).
    ASSERT_TRUE(Settings{}.saveSettings(path()));
    EXPECT_EQ(readBytes(path()).size(), 25u);
}

// Every record inside the option menu's ranges must come back unchanged from its file.
// The fields beside the unterminated first group (explosionType, the BOMB value whose low
// byte may be a digit code, the start of the last group) are crossed in full; every field
// is then swept over its whole range on a few bases.
TEST(SettingsReader, ReadsBackEveryFileTheGameCanWrite) {
    int failures = 0;
    int checked = 0;
    auto check = [&](const Settings& s) {
        ++checked;
        if (decoded(encodeSettings(s)) == s) return;
        if (++failures <= 5) ADD_FAILURE() << "misread: " << describe(s);
    };

    for (int32_t type = 0; type <= 2; ++type)
        for (int32_t bomb = 0; bomb <= 100; ++bomb)
            for (int32_t meteors = 0; meteors <= 1; ++meteors)
                for (int32_t time : {1, 9, 10, 60, 999})
                    for (int32_t wait : {0, 5, 999})
                        check(record(wait, 1, type, bomb, 150, 150, meteors, time, 100));

    // Bases whose BOMB value's low byte is a digit code, the case a plain reader gets wrong.
    const Settings digitLow = record(1, 1, 0, 48, 150, 150, 0, 60, 100);
    const Settings digitHigh = record(999, 0, 2, 57, 9050, 9050, 1, 999, 9050);
    const std::vector<Settings> bases = {Settings{}, record(0, 0, 0, 0, 0, 0, 0, 1, 50),
                                         record(999, 1, 2, 100, 9050, 9050, 1, 999, 9050),
                                         digitLow, digitHigh};
    for (const Settings& base : bases) {
        Settings s = base;
        for (s.wait = 0; s.wait <= 999; ++s.wait) check(s);
        s = base;
        for (s.itemsOn = 0; s.itemsOn <= 1; ++s.itemsOn) check(s);
        s = base;
        for (s.explosionType = 0; s.explosionType <= 2; ++s.explosionType) check(s);
        s = base;
        for (s.explosionValue[0] = 0; s.explosionValue[0] <= 100; ++s.explosionValue[0]) check(s);
        s = base;
        for (s.meteoritesOn = 0; s.meteoritesOn <= 1; ++s.meteoritesOn) check(s);
        s = base;
        for (s.meteoriteTime = 1; s.meteoriteTime <= 999; ++s.meteoriteTime) check(s);
    }
    // The wide counts: steps of 50 and every value between them.
    for (const Settings& base : {digitLow, digitHigh}) {
        Settings s = base;
        for (s.explosionValue[1] = 0; s.explosionValue[1] <= 9050; ++s.explosionValue[1]) check(s);
        s = base;
        for (s.explosionValue[2] = 0; s.explosionValue[2] <= 9050; ++s.explosionValue[2]) check(s);
        s = base;
        for (s.meteoriteValue = 50; s.meteoriteValue <= 9050; ++s.meteoriteValue) check(s);
    }
    EXPECT_EQ(failures, 0) << "of " << checked << " records";
    EXPECT_GT(checked, 70000);
}

TEST(SettingsReader, DigitCodeAfterTheFirstGroupIsTheBlock) {
    // "1 1 0" then a BOMB value of 53 ('5'): a plain "%d" would read explosionType 5.
    const std::string file = "1 1 0" + block(53, 300, 450) + "1 30 250";
    const Settings s = decoded(file);
    EXPECT_EQ(s, record(1, 1, 0, 53, 300, 450, 1, 30, 250));

    // An out-of-range explosionType of two digits is still split where it ends, then clamped.
    const Settings wide = decoded("1 1 12" + block(50, 300, 450) + "0 60 100");
    EXPECT_EQ(wide, record(1, 1, 2, 50, 300, 450, 0, 60, 100));
}

TEST(SettingsReader, ShortAndDamagedFilesKeepTheRest) {
    const Settings defaults;
    EXPECT_EQ(decoded("5 0 2"), record(5, 0, 2, 16, 150, 150, 0, 60, 100));
    EXPECT_EQ(decoded(""), defaults);
    EXPECT_EQ(decoded("abc"), defaults);
    EXPECT_EQ(decoded("7"), record(7, 1, 0, 16, 150, 150, 0, 60, 100));
    EXPECT_EQ(decoded("7 x 2" + block(20, 300, 450) + "1 2 300"),
              record(7, 1, 0, 16, 150, 150, 0, 60, 100));
    EXPECT_EQ(decoded("7 0 -" + block(20, 300, 450)), record(7, 0, 0, 16, 150, 150, 0, 60, 100));
    // A short block fills only its complete integers.
    EXPECT_EQ(decoded("3 0 1" + block(20, 300, 450).substr(0, 6)),
              record(3, 0, 1, 20, 150, 150, 0, 60, 100));
    // The last group: as many numbers as read before the damage.
    EXPECT_EQ(decoded("3 0 1" + block(20, 300, 450) + "1 30"),
              record(3, 0, 1, 20, 300, 450, 1, 30, 100));
    EXPECT_EQ(decoded("3 0 1" + block(20, 300, 450) + "1 30 x"),
              record(3, 0, 1, 20, 300, 450, 1, 30, 100));
    EXPECT_EQ(decoded("3 0 1" + block(20, 300, 450) + "?"),
              record(3, 0, 1, 20, 300, 450, 0, 60, 100));
    // White space and signs as a "%d" reader takes them, a line end after the last number.
    EXPECT_EQ(decoded("\n 3\t+1\r\n2" + block(20, 300, 450) + " 1\n20  300\n"),
              record(3, 1, 2, 20, 300, 450, 1, 20, 300));

    // Every prefix of a saved file: the pieces that are complete take the file's values.
    const Settings full = record(32, 0, 2, 77, 300, 450, 1, 45, 250);
    const std::string file = encodeSettings(full);  // "32 0 2", 12 bytes, "1 45 250"
    ASSERT_EQ(file.size(), 6u + 12u + 8u);
    for (std::size_t length = 0; length <= file.size(); ++length) {
        const Settings s = decoded(file.substr(0, length));
        EXPECT_TRUE(inMenuRanges(s)) << length;
    }
    EXPECT_EQ(decoded(file.substr(0, 6)), record(32, 0, 2, 16, 150, 150, 0, 60, 100));
    EXPECT_EQ(decoded(file.substr(0, 10)), record(32, 0, 2, 77, 150, 150, 0, 60, 100));
    EXPECT_EQ(decoded(file.substr(0, 17)), record(32, 0, 2, 77, 300, 150, 0, 60, 100));
    EXPECT_EQ(decoded(file.substr(0, 18)), record(32, 0, 2, 77, 300, 450, 0, 60, 100));
    EXPECT_EQ(decoded(file.substr(0, 19)), record(32, 0, 2, 77, 300, 450, 1, 60, 100));
    EXPECT_EQ(decoded(file.substr(0, 22)), record(32, 0, 2, 77, 300, 450, 1, 45, 100));
    EXPECT_EQ(decoded(file), full);
}

TEST(SettingsReader, OutOfRangeValuesAreClamped) {
    // Huge numbers stop at the range ends; negative ones at the lower ends.
    EXPECT_EQ(decoded("99999999999999999999 1 2" + block(0x7FFFFFFF, 12000, 10001) +
                      "1 99999999999 99999999999"),
              record(999, 1, 2, 100, 9050, 9050, 1, 999, 9050));
    EXPECT_EQ(decoded("-5 -1 -3" + block(0xFFFFFFFF, static_cast<uint32_t>(-100), 0x80000000) +
                      "-1 -60 -100"),
              record(0, 0, 0, 0, 0, 0, 0, 1, 50));
    EXPECT_EQ(decoded("-99999999999999999999 0 0" + block(0, 0, 0) + "0 0 0"),
              record(0, 0, 0, 0, 0, 0, 0, 1, 50));

    // A record the menu could never hold, saved and loaded again.
    Settings wild = record(-3, 2, 7, 101, 12000, 10001, -1, 0, 20000);
    Settings loaded;
    decodeSettings(encodeSettings(wild), loaded);
    EXPECT_EQ(loaded, record(0, 1, 2, 100, 9050, 9050, 0, 1, 9050));

    clampSettings(wild);
    EXPECT_EQ(wild, record(0, 1, 2, 100, 9050, 9050, 0, 1, 9050));
    Settings low = record(1000, -1, -1, -1, -1, -1, 2, 1000, 49);
    clampSettings(low);
    EXPECT_EQ(low, record(999, 0, 0, 0, 0, 0, 1, 999, 50));
}

TEST(SettingsReader, ArbitraryBytesStayInRange) {
    // A small deterministic spray of random files and of mutated saved files.
    uint32_t state = 12345;
    auto next = [&] { return (state = state * 214013u + 2531011u) >> 16; };
    const std::string saved = encodeSettings(record(32, 0, 2, 53, 300, 450, 1, 45, 250));
    static const char kAlphabet[] = "0123456789 -+\t\n\0\x30\xff";
    const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        if (round % 2 == 0) {
            const std::size_t length = next() % 64;
            for (std::size_t i = 0; i < length; ++i) {
                bytes.push_back(next() % 3 == 0 ? static_cast<char>(next())
                                                : alphabet[next() % alphabet.size()]);
            }
        } else {
            bytes = saved;
            bytes[next() % bytes.size()] = static_cast<char>(next());
        }
        Settings s;
        decodeSettings(bytes, s);
        ASSERT_TRUE(inMenuRanges(s)) << describe(s);
    }
}

TEST_F(SettingsFile, FailedSaveLeavesThePreviousFile) {
    const std::string previous = encodeSettings(record(9, 0, 1, 20, 300, 450, 1, 30, 250));
    writeBytes(path(), previous);
    const Settings changed = record(500, 1, 2, 60, 600, 650, 0, 99, 900);

    // The temporary file cannot be created (its name is taken by a directory).
    fs::create_directory(path() + ".tmp");
    EXPECT_FALSE(changed.saveSettings(path()));
    EXPECT_EQ(readBytes(path()), previous);
    fs::remove(path() + ".tmp");

    // A write that stops part way (a full disk) and one that writes nothing.
    auto halfThenFail = [](int fd, const char* data, std::size_t size) {
        writeAllBytes(fd, data, size / 2);
        return false;
    };
    auto failAtOnce = [](int, const char*, std::size_t) { return false; };
    for (const FileWriter writer : {+halfThenFail, +failAtOnce}) {
        EXPECT_FALSE(replaceFileAtomically(path(), encodeSettings(changed), writer));
        EXPECT_EQ(readBytes(path()), previous);
        EXPECT_FALSE(fs::exists(path() + ".tmp"));
    }

    // The directory does not exist: nothing is created anywhere.
    const std::string nowhere = dir + "/no-such-dir/" + kSettingsFileName;
    EXPECT_FALSE(changed.saveSettings(nowhere));
    EXPECT_FALSE(fs::exists(dir + "/no-such-dir"));

    // The target is a directory: the rename fails and the temporary file goes away.
    fs::create_directory(path("taken"));
    EXPECT_FALSE(changed.saveSettings(path("taken")));
    EXPECT_TRUE(fs::is_directory(path("taken")));
    EXPECT_FALSE(fs::exists(path("taken") + ".tmp"));

    // A stale temporary file from an interrupted run does not stop the next save.
    writeBytes(path() + ".tmp", "stale");
    ASSERT_TRUE(changed.saveSettings(path()));
    EXPECT_EQ(readBytes(path()), encodeSettings(changed));
    EXPECT_FALSE(fs::exists(path() + ".tmp"));
}

}  // namespace
