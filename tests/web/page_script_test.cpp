// The web backend's side that runs on any machine: its key table, and the page test's script
// (page_script.txt) played by the desktop build's game on the scripted platform. Every page
// the script names must be the page the desktop game shows at that point, so that the browser
// test, playing the same script on the web build in Chromium, compares the canvas with what
// the desktop game shows. After a deliberate change of what those pages show, the failure
// prints the script's new hashes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/keys.h"
#include "platform/web_keys.h"
#include "tests/support/test_game.h"

namespace {

using Page = platform::ScriptedPlatform::PresentedPage;

constexpr uint32_t kPressMs = 40;  // how long a key is held
constexpr uint32_t kStepMs = 300;  // from one key to the next

// FNV-1a over the page as a canvas holds it: red, green, blue, alpha for every pixel.
uint32_t canvasHash(const Page& page) {
    uint32_t hash = 2166136261u;
    for (const uint8_t index : page.pixels) {
        const platform::PaletteEntry& colour = page.palette[index];
        for (const uint8_t byte : {colour.red, colour.green, colour.blue, uint8_t{0xFF}})
            hash = (hash ^ byte) * 16777619u;
    }
    return hash;
}

struct Step {
    std::string action;  // press, pause, see, reload, ended, hide
    std::string name;    // the key's code, or the page's name
    uint32_t value = 0;  // pause: ms; see: the hash
};

std::vector<Step> readScript() {
    std::ifstream in(sourcePath("tests/web/page_script.txt"));
    std::vector<Step> steps;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        Step step;
        words >> step.action;
        if (step.action == "pause" || step.action == "hide") {
            words >> step.value;
        } else if (step.action != "reload") {
            words >> step.name;
            if (step.action == "see") {
                std::string hash;
                words >> hash;
                step.value = uint32_t(std::stoul(hash, nullptr, 16));
            }
        }
        steps.push_back(step);
    }
    return steps;
}

// The script's pages as the desktop game shows them: one start of the game per part between
// reloads, all in one folder, from no settings file.
class DesktopRun {
public:
    std::vector<uint32_t> play(const std::vector<Step>& steps) {
        size_t from = 0;
        while (from < steps.size()) {
            size_t to = from;
            while (to < steps.size() && steps[to].action != "reload") ++to;
            playPart(steps, from, to);
            from = to + 1;
        }
        return seen_;
    }

private:
    void playPart(const std::vector<Step>& steps, size_t from, size_t to) {
        platform::ScriptedPlatform machine;
        machine.pollCostMicros = 0;
        const auto game = makeGame(machine);
        game->settingsPath = ref_->settingsPath;
        game->recordPath = ref_->recordPath;
        game->charBitmapName = ref_->charBitmapName;
        std::vector<uint64_t> seeAt;  // when each of the part's pages is looked at, in µs
        uint32_t time = 0;
        bool ends = false;  // the part's keys end the game
        for (size_t i = from; i < to; ++i) {
            const Step& step = steps[i];
            if (step.action == "press") {
                const int code = platform::virtualKeyForCode(step.name);
                EXPECT_NE(code, 0) << step.name << " is not a key the game reads";
                machine.keyPress(time, code, kPressMs);
                time += kStepMs;
            } else if (step.action == "pause") {
                time += step.value;
            } else if (step.action == "see") {
                seeAt.push_back(uint64_t{time} * 1000);
            } else if (step.action == "hide") {
                // A desktop window has no background tab: the game goes on as it was.
            } else if (step.action == "ended") {
                ends = true;
            }
        }
        if (!ends) machine.push(time, platform::Event{platform::EventKind::Close});
        machine.quitWhenIdleAfter(time + 60'000);
        // Each look takes the last page presented before its time (a key pressed at that time
        // acts after the look).
        size_t next = 0;
        Page shown;  // the last page presented so far (copied: hashing every page is slow)
        machine.onPresent = [&](const Page& page) {
            while (next < seeAt.size() && page.atMicros >= seeAt[next]) {
                seen_.push_back(canvasHash(shown));
                ++next;
            }
            shown = page;
        };
        EXPECT_EQ(runGame(*game, ""), 0);
        EXPECT_LE(machine.ticks(), time) << "the game went on after the script";
        for (; next < seeAt.size(); ++next) seen_.push_back(canvasHash(shown));
    }

    TestGame ref_;  // lends its folder and char.bmp
    std::vector<uint32_t> seen_;
};

TEST(PageScript, TheDesktopGameShowsEveryPageTheBrowserTestLooksFor) {
    const std::vector<Step> steps = readScript();
    ASSERT_FALSE(steps.empty());
    const std::vector<uint32_t> seen = DesktopRun().play(steps);
    std::string expected, actual;
    size_t look = 0;
    for (const Step& step : steps) {
        if (step.action != "see") continue;
        const auto line = [&](uint32_t hash) {
            char text[64];
            std::snprintf(text, sizeof text, "see %s 0x%08x\n", step.name.c_str(), hash);
            return std::string(text);
        };
        expected += line(step.value);
        actual += line(look < seen.size() ? seen[look++] : 0u);
    }
    EXPECT_EQ(actual, expected) << "the desktop game shows other pages (see above)";
}

// Pages the script names only once are pages that change as it goes on: each must differ
// from the one before it, or the browser test would pass without the keys doing anything.
TEST(PageScript, EveryKeyOfTheScriptChangesWhatThePageShows) {
    const std::vector<Step> steps = readScript();
    uint32_t previous = 0;
    for (const Step& step : steps) {
        if (step.action != "see") continue;
        EXPECT_NE(step.value, previous) << step.name << " looks like the page before it";
        previous = step.value;
    }
}

// 1P's Q A Z, 2P's B N M, 3P's arrows, 4P's keypad 3 6 9, punctuation and the other keys
// players may choose: by their place on the keyboard. Keys the game does not read (0) stay
// the browser's.
TEST(WebKeys, KeysAreTakenByTheirPlaceOnTheKeyboard) {
    // clang-format off
    const std::pair<const char*, int> places[] = {
        {"KeyQ", key::letter('Q')}, {"KeyA", key::letter('A')}, {"KeyZ", key::letter('Z')},
        {"KeyM", key::letter('M')}, {"ArrowLeft", key::Left}, {"ArrowUp", key::Up},
        {"ArrowRight", key::Right}, {"ArrowDown", key::Down}, {"Numpad3", key::numpad(3)},
        {"Numpad9", key::numpad(9)}, {"Digit7", key::digit(7)}, {"NumpadEnter", key::Enter},
        {"ControlRight", key::Ctrl}, {"PageDown", key::PageDown}, {"Pause", key::Pause},
        {"Semicolon", key::Semicolon}, {"ShiftRight", key::RightShift}, {"F5", 0},
        {"AltLeft", 0}, {"ContextMenu", 0}, {"Key", 0}, {"", 0}};
    // clang-format on
    for (const auto& [code, expected] : places)
        EXPECT_EQ(platform::virtualKeyForCode(code), expected) << code;
}

// The page gets every key of the table, each with a name (the key screen can show it, the
// keys file hold it): every key a player may choose but the function keys, Alt and Menu,
// which stay the browser's.
TEST(WebKeys, ThePageGetsEveryKeyOfTheTableAndNoOther) {
    std::istringstream table(platform::webKeyTable());
    std::set<int> reached;
    for (std::string code; std::getline(table, code);) {
        const size_t space = code.find(' ');
        ASSERT_NE(space, std::string::npos) << code;
        const int key = std::stoi(code.substr(space + 1));
        EXPECT_EQ(key, platform::virtualKeyForCode(code.substr(0, space))) << code;
        EXPECT_NE(key::nameOf(key), nullptr) << code;
        reached.insert(key);
    }
    for (const key::KeyName& entry : key::kKeyNames) {
        const bool browsers =
            entry.code == key::Alt || entry.code == key::Menu ||
            (entry.code >= key::functionKey(1) && entry.code <= key::functionKey(12));
        EXPECT_EQ(reached.count(entry.code), browsers ? 0u : 1u) << entry.name;
    }
}

}  // namespace
