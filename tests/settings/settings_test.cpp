// The settings file "dod_eved.dat": its exact bytes, every file the game can write read back,
// damaged and hand-edited files, and saves that fail part way.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "platform/regular_file.h"
#include "settings/settings.h"
#include "tests/support/test_game.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFields = 9;
using Values = std::array<int32_t, kFields>;
constexpr Values kMin = {0, 0, 0, 0, 0, 0, 0, 1, 50};  // the option menu's ranges, file order
constexpr Values kMax = {999, 1, 2, 100, 9050, 9050, 1, 999, 9050};

int32_t& field(Settings& s, int i) {
    int32_t* const fields[kFields] = {&s.wait,
                                      &s.itemsOn,
                                      &s.explosionType,
                                      &s.explosionValue[0],
                                      &s.explosionValue[1],
                                      &s.explosionValue[2],
                                      &s.meteoritesOn,
                                      &s.meteoriteTime,
                                      &s.meteoriteValue};
    return *fields[i];
}

Settings record(const Values& values) {
    Settings s;
    for (int i = 0; i < kFields; ++i) field(s, i) = values[i];
    return s;
}

std::string block(uint32_t a, uint32_t b, uint32_t c) {  // three raw little-endian integers
    std::string out;
    for (const uint32_t v : {a, b, c})
        for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
    return out;
}

struct SettingsFile : ::testing::Test {
    TestGame test;  // lends its folder
    const std::string path = test.dir + "/dod_eved.dat";
    void write(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    Settings load() {
        Settings s;
        s.loadSettings(path);
        return s;
    }
};

}  // namespace

// The defaults are exactly these 25 bytes; a save replaces the file whole and loads back; a
// missing file keeps the values.
TEST_F(SettingsFile, BytesOfASaveAndItsReadingBack) {
    std::string error;
    ASSERT_TRUE(record(kMax).saveSettings(path, error)) << error;
    EXPECT_EQ(readFile(path), "999 1 2" + block(100, 9050, 9050) + "1 999 9050");
    EXPECT_EQ(load(), record(kMax));
    ASSERT_TRUE(Settings{}.saveSettings(path, error)) << error;
    EXPECT_EQ(readFile(path), "1 1 0" + block(16, 150, 150) + "0 60 100");
    Settings kept = record(kMax);
    kept.loadSettings(test.dir + "/missing.dat");
    EXPECT_EQ(kept, record(kMax));
}

// Every record the option menu can hold reads back from its file, most of all those whose
// BOMB value has a digit code for its low byte (48..57): a plain "%d" would take it as more
// of explosionType. Each field runs over its whole range on such bases.
TEST(SettingsReader, ReadsBackEveryFileTheGameCanWrite) {
    int checked = 0;
    for (int32_t bomb = 48; bomb <= 57; ++bomb) {
        const int32_t k = bomb - 48;
        const Values base = {k * 111,         k % 2,    bomb % 3,    bomb,         k * 1000,
                             9050 - k * 1000, bomb % 2, 1 + k * 110, 50 + k * 1000};
        for (int i = 0; i < kFields; ++i) {
            Settings s = record(base);
            for (field(s, i) = kMin[i]; field(s, i) <= kMax[i]; ++field(s, i), ++checked) {
                Settings read;
                decodeSettings(encodeSettings(s), read);
                ASSERT_EQ(read, s);
            }
        }
    }
    EXPECT_GT(checked, 280000);
}

// A damaged or short file keeps what it has before the damage and the defaults after it; a
// hand-edited one may carry white space, signs, long numbers and values out of range, which
// are brought into the menu's ranges.
TEST_F(SettingsFile, DamagedAndHandEditedFiles) {
    const std::string b = block(20, 300, 450);
    const std::string saved = encodeSettings(record({32, 0, 2, 77, 300, 450, 1, 45, 250}));
    const std::pair<std::string, Values> cases[] = {
        {"", {1, 1, 0, 16, 150, 150, 0, 60, 100}},
        {"7 x 2" + b + "1 2 300", {7, 1, 0, 16, 150, 150, 0, 60, 100}},
        {saved.substr(0, 10), {32, 0, 2, 77, 150, 150, 0, 60, 100}},  // whole integers only
        {saved.substr(0, 22), {32, 0, 2, 77, 300, 450, 1, 45, 100}},
        {"3 0 1" + b + "?", {3, 0, 1, 20, 300, 450, 0, 60, 100}},
        {"\n 3\t+1\r\n2" + b + " 1\n20  300\n", {3, 1, 2, 20, 300, 450, 1, 20, 300}},
        {"1 1 0" + block(53, 300, 450) + "1 30 250", {1, 1, 0, 53, 300, 450, 1, 30, 250}},
        {"1 1 000000000000000002" + block(53, 300, 450) + "1 30 250",
         {1, 1, 2, 53, 300, 450, 1, 30, 250}},
        {"1 1 12" + block(50, 300, 450) + "0 60 100", {1, 1, 2, 50, 300, 450, 0, 60, 100}},
        {"-5 1 7" + block(101, 10001, 12000) + "2 0 20000", {0, 1, 2, 100, 9050, 9050, 1, 1, 9050}},
        {"99999999999999999999 1 2" + block(0x7FFFFFFF, 12000, 10001) + "1 99999999999 99999",
         kMax},
        {"-99999999999 -1 -3" + block(0xFFFFFFFF, 0x80000000, 0xFFFFFF9C) + "-1 -60 -100", kMin},
    };
    for (const auto& [bytes, values] : cases) {
        write(bytes);
        EXPECT_EQ(load(), record(values)) << ::testing::PrintToString(bytes);
    }
}

// A save that fails (a full disk after any number of bytes, a rename that fails) reports it
// and leaves the previous file whole and alone in its folder; with room it succeeds.
TEST_F(SettingsFile, FailedSavesLeaveThePreviousFile) {
    const std::string previous = encodeSettings(record({9, 0, 1, 53, 300, 450, 1, 30, 250}));
    write(previous);
    const std::string bytes = encodeSettings(record(kMax));
    std::string error;
    std::signal(SIGXFSZ, SIG_IGN);
    const auto saveWithRoom = [&](rlim_t room) {  // the kernel's file size limit as a full disk
        rlimit normal{};
        ::getrlimit(RLIMIT_FSIZE, &normal);
        const rlimit lowered{room, normal.rlim_max};
        const bool saved =
            ::setrlimit(RLIMIT_FSIZE, &lowered) == 0 && record(kMax).saveSettings(path, error);
        ::setrlimit(RLIMIT_FSIZE, &normal);
        return saved;
    };
    for (rlim_t room = 0; room < bytes.size(); ++room) EXPECT_FALSE(saveWithRoom(room)) << room;
    EXPECT_FALSE(platform::replaceFileAtomically(
        path, bytes, error, [](int fd, const char* data, std::size_t size) {
            fs::remove(
                fs::read_symlink("/proc/self/fd/" + std::to_string(fd)));  // the rename fails
            return platform::writeAllBytes(fd, data, size);
        }));
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(test.dir), fs::directory_iterator()), 1);
    std::ofstream(path + ".tmp") << "stale";  // a stale temporary file is replaced
    EXPECT_TRUE(saveWithRoom(bytes.size()));
    EXPECT_EQ(readFile(path), bytes);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}
