// Everything the game keeps for the whole run, in one object. Nothing else is mutable and
// global: a test makes a fresh Game on the heap, drives it, and throws it away.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "input/devices.h"
#include "input/keys_file.h"
#include "play/play.h"

struct Game;

inline constexpr int kNoticeLength = 40;  // characters: the page's width in 16-pixel cells

// The title's state.
struct TitleMenu {
    int32_t cursor = 0;            // 0 START, 1..4 the player rows, 5 OPTION, 6 EXIT
    const char* notice = nullptr;  // the line under the rows while it is shown (in noticeText)
    std::array<char, kNoticeLength + 1> noticeText{};
    uint32_t noticeShownAt = 0;  // platform ticks when it appeared
    // Called on every pass of the title's wait for a key (network play notices joins and
    // leaves from here); empty for a game on one machine.
    std::function<void(Game&)> idle;
};

// Which machine plays each slot in network play: machine 0 is the host (and the only machine
// of a game played without the network), `self` the machine this program is.
struct SlotOwners {
    std::array<uint8_t, kSlots> machine{};
    uint8_t self = 0;

    bool elsewhere(int slot) const { return machine[slot] != self; }
};

// The option menu's state.
struct OptionMenu {
    int32_t cursor = 0;  // 0 EXIT .. 7 METEORITE VALUE, 8 KEY CONFIG
};

// Where every match played here is recorded unless the command line names another file.
inline constexpr const char* kLastMatchFileName = "last_match.dvr";

// The devices, the state of play on their screen, the menus and the files.
struct Game {
    explicit Game(platform::Platform& machine) : devices(machine), play(devices.screen) {}
    Game(const Game&) = delete;  // several megabytes: made once, passed by reference
    Game& operator=(const Game&) = delete;

    Devices devices;
    Play play;

    TitleMenu titleMenu;
    OptionMenu optionMenu;
    SlotOwners owners;

    std::string settingsPath = kSettingsFileName;
    // The players' keys are kept beside the settings.
    std::string keysPath() const { return keysFileBeside(settingsPath); }
    std::string recordPath = kLastMatchFileName;  // where every match is recorded
    std::string charBitmapName = "char.bmp";      // looked for here, then beside the program
};

// A fresh Game on the heap (it is several megabytes).
std::unique_ptr<Game> makeGame(platform::Platform& machine);
