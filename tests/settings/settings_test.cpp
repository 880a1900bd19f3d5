// The settings record and its file "dod_eved.dat": the exact bytes, reading back every file
// the game can write, damaged files, clamping on load, and the atomic save under faults.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <vector>

#include "shell/settings.h"
#include "tests/support/test_game.h"

// Failure messages show a record as its nine numbers in file order.
void PrintTo(const Settings& s, std::ostream* os) {
    *os << s.wait << ' ' << s.itemsOn << ' ' << s.explosionType << " [" << s.explosionValue[0]
        << ' ' << s.explosionValue[1] << ' ' << s.explosionValue[2] << "] " << s.meteoritesOn
        << ' ' << s.meteoriteTime << ' ' << s.meteoriteValue;
}

namespace {

namespace fs = std::filesystem;

constexpr int kFields = 9;
using Values = std::array<int32_t, kFields>;
// The option menu's range of every field, in file order.
constexpr Values kMin = {0, 0, 0, 0, 0, 0, 0, 1, 50};
constexpr Values kMax = {999, 1, 2, 100, 9050, 9050, 1, 999, 9050};

int32_t& field(Settings& s, int i) {
    int32_t* const fields[kFields] = {
        &s.wait, &s.itemsOn, &s.explosionType, &s.explosionValue[0], &s.explosionValue[1],
        &s.explosionValue[2], &s.meteoritesOn, &s.meteoriteTime, &s.meteoriteValue};
    return *fields[i];
}

Settings record(const Values& values, Settings s = {}) {
    for (int i = 0; i < kFields; ++i) field(s, i) = values[i];
    return s;
}

bool inMenuRanges(Settings s) {
    int inRange = 0;
    for (int i = 0; i < kFields; ++i) inRange += field(s, i) >= kMin[i] && field(s, i) <= kMax[i];
    return inRange == kFields;
}

Settings decoded(const std::string& bytes, Settings s = {}) {
    decodeSettings(bytes, s);
    return s;
}

// Three 32-bit integers, little-endian, spelled out byte by byte.
std::string block(uint32_t a, uint32_t b, uint32_t c) {
    std::string out;
    for (const uint32_t v : {a, b, c})
        for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
    return out;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class SettingsFile : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(dir); }
    const std::string dir = makeTempDir();
    const std::string path = dir + "/" + kSettingsFileName;
};

// The defaults are exactly these 25 bytes; every save replaces the file and loads back.
TEST_F(SettingsFile, DefaultBytesAndRoundTrip) {
    const std::string defaults("1 1 0" "\x10\0\0\0" "\x96\0\0\0" "\x96\0\0\0" "0 60 100", 25);
    std::string error;
    ASSERT_TRUE(Settings{}.saveSettings(path, error)) << error;
    EXPECT_EQ(readBytes(path), defaults);
    Settings loaded = record(kMax);
    loaded.loadSettings(path);
    EXPECT_EQ(loaded, Settings{});

    const Settings other = record({999, 0, 2, 100, 9050, 0, 1, 999, 9050});
    ASSERT_TRUE(other.saveSettings(path, error)) << error;
    EXPECT_EQ(readBytes(path), "999 0 2" + block(100, 9050, 0) + "1 999 9050");
    loaded.loadSettings(path);
    EXPECT_EQ(loaded, other);
    loaded.loadSettings(dir + "/missing.dat");  // no file: the current values stay
    EXPECT_EQ(loaded, other);
    // A shorter file replaces it whole.
    ASSERT_TRUE(Settings{}.saveSettings(path, error)) << error;
    EXPECT_EQ(readBytes(path), defaults);
}

// Every record the option menu can hold reads back from its file. On bases whose BOMB value
// has a digit code for its low byte (which a plain "%d" takes as more of explosionType) each
// field runs over its whole range; the BOMB sweeps thus cross 0..100 with every type.
TEST(SettingsReader, ReadsBackEveryFileTheGameCanWrite) {
    int checked = 0;
    for (int32_t bomb = 48; bomb <= 57; ++bomb) {
        const int32_t step = bomb - 48;
        const Settings base = record({step * 111, step % 2, bomb % 3, bomb, step * 1000,
                                      9050 - step * 1000, bomb % 2, 1 + step * 110,
                                      50 + step * 1000});
        for (int i = 0; i < kFields; ++i) {
            Settings s = base;
            for (field(s, i) = kMin[i]; field(s, i) <= kMax[i]; ++field(s, i), ++checked) {
                ASSERT_EQ(decoded(encodeSettings(s)), s);  // stops at the first misread record
            }
        }
    }
    EXPECT_GT(checked, 280000);
}

// A damaged or short file: the fields before the damage are read, the rest keep their
// defaults; whatever is read is brought into the option menu's ranges.
TEST_F(SettingsFile, DamagedFilesKeepTheRestAndValuesAreClamped) {
    const std::string b = block(20, 300, 450);
    const std::string saved = encodeSettings(record({32, 0, 2, 77, 300, 450, 1, 45, 250}));
    const std::pair<std::string, Values> cases[] = {
        {"5 0 2", {5, 0, 2, 16, 150, 150, 0, 60, 100}},
        {"", {1, 1, 0, 16, 150, 150, 0, 60, 100}},
        {"abc", {1, 1, 0, 16, 150, 150, 0, 60, 100}},
        {"7 x 2" + b + "1 2 300", {7, 1, 0, 16, 150, 150, 0, 60, 100}},
        {"7 0 -" + b, {7, 0, 0, 16, 150, 150, 0, 60, 100}},
        {saved.substr(0, 1), {3, 1, 0, 16, 150, 150, 0, 60, 100}},
        {saved.substr(0, 10), {32, 0, 2, 77, 150, 150, 0, 60, 100}},  // whole integers only
        {saved.substr(0, 22), {32, 0, 2, 77, 300, 450, 1, 45, 100}},
        {"3 0 1" + b + "1 30 x", {3, 0, 1, 20, 300, 450, 1, 30, 100}},
        {"3 0 1" + b + "?", {3, 0, 1, 20, 300, 450, 0, 60, 100}},
        // White space and signs as "%d" takes them.
        {"\n 3\t+1\r\n2" + b + " 1\n20  300\n", {3, 1, 2, 20, 300, 450, 1, 20, 300}},
        // BOMB value 53 is '5' after "1 1 0": it belongs to the block, not to explosionType.
        {"1 1 0" + block(53, 300, 450) + "1 30 250", {1, 1, 0, 53, 300, 450, 1, 30, 250}},
        // explosionType 12 and 7, meteoriteTime 0, counts above 10000, negative wait.
        {"1 1 12" + block(50, 300, 450) + "0 60 100", {1, 1, 2, 50, 300, 450, 0, 60, 100}},
        {"-5 1 7" + block(101, 10001, 12000) + "2 0 20000", {0, 1, 2, 100, 9050, 9050, 1, 1, 9050}},
        {"99999999999999999999 1 2" + block(0x7FFFFFFF, 12000, 10001) + "1 99999999999 99999",
         kMax},
        {"-99999999999 -1 -3" + block(0xFFFFFFFF, 0x80000000, 0xFFFFFF9C) + "-1 -60 -100", kMin},
    };
    for (const auto& [bytes, values] : cases) {
        writeBytes(path, bytes);
        Settings loaded;
        loaded.loadSettings(path);
        EXPECT_EQ(loaded, record(values)) << "file " << ::testing::PrintToString(bytes);
    }
}

// Arbitrary bytes never crash the reader nor leave a value outside the menu's ranges: saved
// files cut short, with random bytes added and one byte changed.
TEST(SettingsReader, ArbitraryBytesStayInRange) {
    uint32_t state = 12345;
    auto next = [&] { return (state = state * 214013u + 2531011u) >> 16; };
    const std::string saved = encodeSettings(record({32, 0, 2, 53, 300, 450, 1, 45, 250}));
    const std::string alphabet("0123456789 -+\t\n\0\xff", 17);
    for (int i = 0; i < 6000; ++i) {
        std::string bytes = saved.substr(0, next() % (saved.size() + 1));
        for (uint32_t n = next() % 8; n > 0; --n) bytes += alphabet[next() % alphabet.size()];
        if (!bytes.empty()) bytes[next() % bytes.size()] = static_cast<char>(next());
        ASSERT_TRUE(inMenuRanges(decoded(bytes))) << ::testing::PrintToString(bytes);
    }
}

// A write that stops part way: half the bytes reach the file, then the write fails.
bool writeHalfThenFail(int fd, const char* data, std::size_t size) {
    writeAllBytes(fd, data, size / 2);
    return false;
}

// Writes everything, then another program removes the temporary file: the rename fails.
bool writeThenLoseTheFile(int fd, const char* data, std::size_t size) {
    const bool written = writeAllBytes(fd, data, size);
    fs::remove(fs::read_symlink("/proc/self/fd/" + std::to_string(fd)));
    return written;
}

// Every fault during a save reports failure and leaves the previous file byte for byte and
// alone in its directory; with room for the whole file the same save succeeds.
TEST_F(SettingsFile, FailedSavesLeaveThePreviousFile) {
    const std::string previous = encodeSettings(record({9, 0, 1, 53, 300, 450, 1, 30, 250}));
    writeBytes(path, previous);
    const Settings changed = record(kMax);
    const std::string bytes = encodeSettings(changed);
    std::string error;
    // A full disk: the kernel's file size limit, lowered for one save (SIGXFSZ is ignored).
    std::signal(SIGXFSZ, SIG_IGN);
    auto saveWithRoom = [&](rlim_t room) {
        rlimit normal{};
        ::getrlimit(RLIMIT_FSIZE, &normal);
        const rlimit lowered{room, normal.rlim_max};
        const bool saved =
            ::setrlimit(RLIMIT_FSIZE, &lowered) == 0 && changed.saveSettings(path, error);
        ::setrlimit(RLIMIT_FSIZE, &normal);
        return saved;
    };
    std::vector<std::pair<std::string, std::function<bool()>>> faults = {
        {"write fails part way",
         [&] { return replaceFileAtomically(path, bytes, error, writeHalfThenFail); }},
        {"rename fails",
         [&] { return replaceFileAtomically(path, bytes, error, writeThenLoseTheFile); }},
    };
    for (rlim_t room = 0; room < bytes.size(); ++room) {
        faults.emplace_back("disk full after " + std::to_string(room) + " bytes",
                            [&, room] { return saveWithRoom(room); });
    }
    for (const auto& [what, save] : faults) {
        EXPECT_FALSE(save()) << what;
        EXPECT_EQ(readBytes(path), previous) << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << what;
    }
    writeBytes(path + ".tmp", std::string(64, 'x'));  // a stale temporary file is replaced
    EXPECT_TRUE(saveWithRoom(bytes.size()));
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

}  // namespace
