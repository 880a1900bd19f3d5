// Saves that cannot be made or kept, with the whole program on the scripted platform: the player
// sees "SETTINGS NOT SAVED" on the title for two seconds while the keys still work, standard
// error gets one line with the file and the reason, "EXIT" ends with status 1, and what
// stood at the path is left as it was, with nothing of ours beside it.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "menus/title_menu.h"
#include "shell/program.h"
#include "tests/support/test_game.h"

namespace {

namespace fs = std::filesystem;

// Every name in the folder with its content (regular files) or its kind.
std::map<std::string, std::string> folderState(const std::string& dir) {
    std::map<std::string, std::string> state;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string& item = state[entry.path().filename()];
        item = std::to_string(int(entry.symlink_status().type()));
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            item += std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return state;
}

}  // namespace

// A named pipe as the settings file (read as nothing, without waiting; not replaced), a
// folder in the way of the temporary file (the previous file read, and kept), or a platform
// that cannot keep the file written (a browser's storage that refuses it). Leaving the
// option menu: the notice, the pointer moving under it, then its erasing; a later Pause
// ends with status 0. "EXIT": the notice, then status 1, also when Pause cuts it short.
TEST(UnsavedSettings, ArePointedOutOnTheTitleAndEndExitWithStatusOne) {
    const std::string blank(std::strlen(kSettingsNotSaved), ' ');
    const int noticeX = (kScreenWidth - kGlyphCell * int(blank.size())) / 2;
    enum Leaving { OptionMenu, Exit, ExitCutShort };
    enum Obstacle { Pipe, Folder, Storage };
    for (Obstacle obstacle : {Pipe, Folder, Storage}) {
        for (Leaving leaving : {OptionMenu, Exit, ExitCutShort}) {
            SCOPED_TRACE("obstacle " + std::to_string(obstacle) + ", leaving " +
                         std::to_string(leaving));
            TestGame ref;
            const std::string path = ref->settingsPath;
            if (obstacle == Pipe) {
                ::mkfifo(path.c_str(), 0600);
            } else if (obstacle == Folder) {
                std::ofstream(path) << "7 0 1";
                fs::create_directory(path + ".tmp");
            }
            const auto before = folderState(ref.dir);

            platform::ScriptedPlatform machine;
            if (obstacle == Storage) machine.refuseKeeping = "the storage is full";
            const auto game = makeGame(machine);
            game->settingsPath = path;
            game->charBitmapName = ref->charBitmapName;
            uint64_t firstMs = 0, lastMs = 0;
            bool pointerMoved = false, erased = false;
            machine.onPresent = [&](const platform::ScriptedPlatform::PresentedPage& page) {
                const uint8_t* pixels = page.pixels.data();
                Game& s = *ref;
                if (shows(s, pixels, kSettingsNotSaved, noticeX, kNoticeY, kNoticeTile)) {
                    firstMs = firstMs ? firstMs : page.atMicros / 1000;
                    lastMs = page.atMicros / 1000;
                    pointerMoved = pointerMoved || shows(s, pixels, ">", 218, 234);
                } else if (firstMs && shows(s, pixels, "START", 250, 206, 7)) {
                    erased = shows(s, pixels, blank.c_str(), noticeX, kNoticeY);
                }
            };
            uint32_t at = 100;
            auto press = [&](int code, uint32_t gap = 100) {
                machine.keyPress(at, code, 40);
                at += gap;
            };
            machine.keyDown(0, key::Ctrl), machine.keyUp(1, key::Ctrl);  // through the logo
            press(key::Up);
            if (leaving == OptionMenu) press(key::Up), press(key::Enter);  // OPTION
            press(key::Enter);
            if (leaving == OptionMenu) press(key::Down, kNoticeMs + 500);
            if (leaving != Exit) press(key::Pause);
            machine.quitWhenIdleAfter(at + 10000);
            ::testing::internal::CaptureStderr();
            EXPECT_EQ(runGame(*game, ""), leaving == OptionMenu ? 0 : 1);

            const std::string reason = obstacle == Pipe     ? "not a regular file, not replaced"
                                       : obstacle == Folder ? path + ".tmp: Is a directory"
                                                            : machine.refuseKeeping;
            EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                      "diraviru: cannot save the settings to " + path + ": " + reason + "\n");
            if (obstacle != Storage) {
                EXPECT_EQ(folderState(ref.dir), before);
            }
            EXPECT_EQ(game->play.settings.wait, obstacle == Folder ? 7 : 1);
            ASSERT_NE(firstMs, 0u) << "no notice";
            if (leaving == ExitCutShort) {
                EXPECT_LT(lastMs - firstMs, 500u);
            } else {  // two seconds, give or take the refresh before and after
                EXPECT_NEAR(double(lastMs - firstMs), kNoticeMs, 30);
            }
            EXPECT_EQ(pointerMoved, leaving == OptionMenu);
            EXPECT_EQ(erased, leaving == OptionMenu);
        }
    }
}

// The last match when the platform cannot keep it (a browser's storage that refuses it): one
// line on standard error after the round and one at the match's end, and play goes on.
TEST(UnsavedReplay, IsToldOnStandardErrorAndPlayGoesOn) {
    TestGame ref;
    platform::ScriptedPlatform machine;
    machine.refuseKeeping = "the storage is full";
    const auto game = makeGame(machine);
    game->settingsPath = ref->settingsPath;
    game->recordPath = ref->recordPath;
    game->charBitmapName = ref->charBitmapName;
    machine.keyDown(0, key::Ctrl), machine.keyUp(1, key::Ctrl);  // through the logo
    uint32_t at = 100;
    for (int code : {key::Down, key::Down, key::Down, key::Enter, key::Enter, key::Down, key::Enter,
                     key::Enter, key::Down, key::Down, key::Down, key::Enter, key::Enter}) {
        machine.keyPress(at += 300, code);  // 3P and 4P to NON; START; the first round
    }
    machine.keyPress(at += 4500, key::Esc);  // the round abandoned after the countdown
    machine.keyPress(at += 300, key::Esc);   // the match ended
    machine.keyPress(at += 300, key::Pause);
    machine.quitWhenIdleAfter(at + 10'000);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(runGame(*game, ""), 0);
    const std::string line =
        "diraviru: cannot save the replay to " + ref->recordPath + ": the storage is full\n";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), line + line);
    EXPECT_EQ(machine.ticks(), at);  // Pause ended it: nothing stopped the game before
}
