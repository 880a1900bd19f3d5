// Saves that cannot be made, with the whole program on the scripted platform: the player
// sees "SETTINGS NOT SAVED" on the title for two seconds while the keys still work, standard
// error gets one line with the file and the reason, "EXIT" ends with status 1, and whatever
// stood at the path is left as it was, with nothing of ours beside it.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/stat.h>

#include "menus/title_menu.h"
#include "shell/program.h"
#include "tests/menus/menu_checks.h"

namespace {

namespace fs = std::filesystem;

const int kNoticeX = (kScreenWidth - kGlyphCell * int(std::strlen(kSettingsNotSaved))) / 2;

// What stands in the way of the save, made at the settings path (`file` in a fresh folder);
// the reason the line gives after the path; the WAIT the program starts with (7 from a file
// it could read, else the default 1).
struct Obstacle {
    const char* what;
    const char* file;
    std::function<void(const std::string& path)> make;
    std::function<std::string(const std::string& path)> reason;
    int32_t wait;
};

const std::string kSavedBefore =
    "7 0 1" + std::string("\x20\0\0\0\x96\0\0\0\x96\0\0\0", 12) + "1 30 200";
std::string notReplaced(const std::string&) { return "not a regular file, not replaced"; }

const Obstacle kObstacles[] = {
    {"a folder named dod_eved.dat.tmp", "dod_eved.dat",
     [](const std::string& p) {
         std::ofstream(p) << kSavedBefore;
         fs::create_directory(p + ".tmp");
     },
     [](const std::string& p) { return p + ".tmp: Is a directory"; }, 7},
    {"a named pipe as dod_eved.dat", "dod_eved.dat",
     [](const std::string& p) { ::mkfifo(p.c_str(), 0600); }, notReplaced, 1},
    {"a folder as dod_eved.dat", "dod_eved.dat",
     [](const std::string& p) { fs::create_directory(p); }, notReplaced, 1},
    {"no folder for dod_eved.dat", "gone/dod_eved.dat", [](const std::string&) {},
     [](const std::string& p) { return p + ".tmp: No such file or directory"; }, 1},
};

// What is at the path and beside it: names with their kind and content.
std::set<std::string> folderState(const fs::path& dir) {
    std::set<std::string> state;
    std::error_code none;
    for (const auto& entry : fs::directory_iterator(dir, none)) {
        std::string item = entry.path().filename().string() + " " +
                           std::to_string(int(entry.symlink_status().type()));
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            item += " " + std::string(std::istreambuf_iterator<char>(in), {});
        }
        state.insert(item);
    }
    return state;
}

// When the notice was on the presented title pages, and what those pages showed meanwhile.
struct NoticeWatch {
    uint64_t firstMs = 0, lastMs = 0;
    bool pointerMoved = false;  // a page with the notice shows the pointer on 1 PLAYER
    bool erased = false;        // a title page after the notice has nothing on its line
};

struct FailedSaveRun {
    TestGame ref;
    platform::ScriptedPlatform machine;
    std::unique_ptr<Game> game = makeGame(machine);
    NoticeWatch notice;
    uint32_t at = 100;

    FailedSaveRun(const Obstacle& obstacle, const std::string& settingsPath) {
        obstacle.make(settingsPath);
        game->settingsPath = settingsPath;
        game->charBitmapName = ref->charBitmapName;
        machine.keyDown(0, key::Ctrl), machine.keyUp(1, key::Ctrl);  // through the logo
        machine.onPresent = [this](const platform::ScriptedPlatform::PresentedPage& page) {
            watch(page.pixels.data(), page.atMicros / 1000);
        };
    }
    void watch(const uint8_t* page, uint64_t ms) {
        Screen& s = ref->screen;
        if (shows(s, page, kSettingsNotSaved, kNoticeX, kNoticeY, kNoticeTile)) {
            notice.firstMs = notice.firstMs ? notice.firstMs : ms;
            notice.lastMs = ms;
            notice.pointerMoved = notice.pointerMoved || shows(s, page, ">", 218, 234);
        } else if (notice.firstMs && shows(s, page, "START", 250, 206, 7)) {
            const uint8_t* line = page + kNoticeY * kSurfacePitch;
            notice.erased = std::count(line, line + kGlyphCell * kSurfacePitch, 0) ==
                            kGlyphCell * kSurfacePitch;
        }
    }
    void press(std::initializer_list<int> codes, uint32_t gapMs = 100) {
        for (int code : codes) machine.keyPress(at, code, 40), at += gapMs;
    }
    int run() {
        machine.quitWhenIdleAfter(at + 10000);
        ::testing::internal::CaptureStderr();
        const int status = runGame(*game, "");
        stderrText = ::testing::internal::GetCapturedStderr();
        return status;
    }
    std::string stderrText;
};

}  // namespace

// Leaving the option menu: the notice shows on the title for two seconds, the pointer still
// moves under it, then it is erased; a later Pause ends with status 0. "EXIT": the notice,
// then status 1, also when Pause cuts the notice short.
TEST(UnsavedSettings, ArePointedOutOnTheTitleAndEndExitWithStatusOne) {
    enum Leaving { OptionMenu, Exit, ExitCutShort };
    for (const Obstacle& obstacle : kObstacles) {
        for (Leaving leaving : {OptionMenu, Exit, ExitCutShort}) {
            SCOPED_TRACE(std::string(obstacle.what) + ", leaving " + std::to_string(leaving));
            const std::string dir = makeTempDir();
            const std::string path = dir + "/" + obstacle.file;
            FailedSaveRun run(obstacle, path);
            const auto before = folderState(dir);
            if (leaving == OptionMenu) run.press({key::Up, key::Up, key::Enter, key::Enter});
            else run.press({key::Up, key::Enter});
            if (leaving == OptionMenu) run.press({key::Down}, kNoticeMs + 500);
            if (leaving != Exit) run.press({key::Pause});

            EXPECT_EQ(run.run(), leaving == OptionMenu ? 0 : 1);
            EXPECT_EQ(run.stderrText, "diraviru: cannot save the settings to " + path + ": " +
                                          obstacle.reason(path) + "\n");
            EXPECT_EQ(folderState(dir), before);
            EXPECT_EQ(run.game->settings.wait, obstacle.wait);
            ASSERT_NE(run.notice.firstMs, 0u) << "no notice";
            const uint64_t shownMs = run.notice.lastMs - run.notice.firstMs;
            if (leaving == ExitCutShort) {
                EXPECT_LT(shownMs, 600u);
            } else {
                EXPECT_GE(shownMs + 30, kNoticeMs);  // until the present before it went
                EXPECT_LE(shownMs, kNoticeMs + 30);
            }
            EXPECT_EQ(run.notice.pointerMoved, leaving == OptionMenu);
            EXPECT_EQ(run.notice.erased, leaving == OptionMenu);
            fs::remove_all(dir);
        }
    }
}
