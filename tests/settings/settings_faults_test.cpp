// Saving "dod_eved.dat" when the machine fails: a disk that fills up after any number of
// bytes, a real write limit from the kernel, and a temporary file that cannot be renamed.
// In every case the save reports failure, the previous file keeps every byte, and no
// temporary file is left behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "shell/settings.h"
#include "tests/support/test_game.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Settings changedRecord() {
    Settings s;
    s.wait = 500;
    s.explosionType = ExplosionCosmo2;
    s.explosionValue[ExplosionCosmo2] = 9050;
    s.meteoritesOn = 1;
    s.meteoriteTime = 999;
    s.meteoriteValue = 9050;
    return s;
}

// The disk fills up once this many bytes have been written; the write then fails with
// ENOSPC. A function pointer cannot carry state, so the budget lives here.
std::size_t diskRoom = 0;

bool writeUntilDiskFull(int fd, const char* data, std::size_t size) {
    const std::size_t fits = std::min(size, diskRoom);
    if (fits > 0 && !writeAllBytes(fd, data, fits)) return false;
    if (fits == size) return true;
    errno = ENOSPC;
    return false;
}

// Another program removes the temporary file before it is renamed into place.
std::string vanishingTemp;

bool writeThenLoseTheFile(int fd, const char* data, std::size_t size) {
    const bool written = writeAllBytes(fd, data, size);
    ::unlink(vanishingTemp.c_str());
    return written;
}

// The kernel's limit on the size of files this process writes, lowered for one scope. A
// write past it fails with EFBIG (SIGXFSZ is ignored meanwhile, as it would end the test).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit lowered = previous_;
        lowered.rlim_cur = bytes;
        applied_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    bool applied() const { return applied_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool applied_ = false;
};

class SettingsSaveFault : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeTempDir();
        path = dir + "/" + kSettingsFileName;
        Settings previousRecord;
        previousRecord.wait = 9;
        previousRecord.explosionValue[ExplosionBomb] = 53;  // a digit code in the block
        previous = encodeSettings(previousRecord);
        writeBytes(path, previous);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    // The previous file is whole and alone in the directory.
    void expectPreviousIntact(const std::string& when) {
        EXPECT_EQ(readBytes(path), previous) << when;
        EXPECT_FALSE(fs::exists(path + ".tmp")) << when;
        int entries = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir)) ++entries;
        EXPECT_EQ(entries, 1) << when;
    }

    std::string dir;
    std::string path;
    std::string previous;
};

TEST_F(SettingsSaveFault, DiskFullAfterAnyNumberOfBytesKeepsThePreviousFile) {
    const std::string bytes = encodeSettings(changedRecord());
    ASSERT_GT(bytes.size(), previous.size());
    for (diskRoom = 0; diskRoom < bytes.size(); ++diskRoom) {
        EXPECT_FALSE(replaceFileAtomically(path, bytes, writeUntilDiskFull)) << diskRoom;
        expectPreviousIntact("disk full after " + std::to_string(diskRoom) + " bytes");
    }
    // With room for the whole file the same writer saves it.
    diskRoom = bytes.size();
    EXPECT_TRUE(replaceFileAtomically(path, bytes, writeUntilDiskFull));
    EXPECT_EQ(readBytes(path), bytes);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(SettingsSaveFault, KernelWriteLimitStopsTheRealSaveAndKeepsThePreviousFile) {
    const Settings changed = changedRecord();
    const std::string bytes = encodeSettings(changed);
    for (const rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{7}, rlim_t{19}, bytes.size() - 1}) {
        bool saved = true;
        {
            FileSizeLimit small(limit);
            ASSERT_TRUE(small.applied());
            saved = changed.saveSettings(path);
        }
        EXPECT_FALSE(saved) << limit;
        expectPreviousIntact("write limit " + std::to_string(limit));
    }
    {
        FileSizeLimit exact(bytes.size());
        ASSERT_TRUE(exact.applied());
        EXPECT_TRUE(changed.saveSettings(path));
    }
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(SettingsSaveFault, RenameThatFailsKeepsThePreviousFile) {
    const std::string bytes = encodeSettings(changedRecord());
    // The temporary file is gone when its rename comes.
    vanishingTemp = path + ".tmp";
    EXPECT_FALSE(replaceFileAtomically(path, bytes, writeThenLoseTheFile));
    expectPreviousIntact("temporary file removed before the rename");

    // A directory stands where the file should go: the rename is refused and the
    // directory keeps what it holds.
    const std::string taken = dir + "/taken";
    fs::create_directory(taken);
    writeBytes(taken + "/inside", previous);
    EXPECT_FALSE(changedRecord().saveSettings(taken));
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_EQ(readBytes(taken + "/inside"), previous);
    EXPECT_FALSE(fs::exists(taken + ".tmp"));
}

}  // namespace
