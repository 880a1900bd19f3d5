// Everything the game keeps for the whole run, in one object. Nothing else is mutable and
// global: a test makes a fresh Game on the heap, drives it, and throws it away.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/screen.h"
#include "items/explosions.h"
#include "items/item_box.h"
#include "match/match.h"
#include "match/match_input.h"
#include "menus/option_menu.h"
#include "menus/title_menu.h"
#include "platform/platform.h"
#include "round/meteorites.h"
#include "round/player.h"
#include "shell/keyboard.h"
#include "shell/live_input.h"
#include "shell/options.h"
#include "shell/pad_input.h"
#include "shell/random.h"
#include "shell/settings.h"

// Thrown by every ending of the program; it unwinds to main, which gives the display back
// and returns the status. 0 for the player's endings, 1 when the program cannot start or
// "EXIT" could not save the settings.
struct ProgramExit {
    int status = 0;
};

struct Pacing {
    uint32_t frameStart = 0;     // set by markFrameStart, read by waitSinceMark
    uint32_t lastEmptyPoll = 0;  // when a poll last found the queue empty
    bool polledEmpty = false;
};

struct Game {
    explicit Game(platform::Platform& machine) : platform(&machine) {}
    Game(const Game&) = delete;  // liveInput and matchInput refer to this Game
    Game& operator=(const Game&) = delete;

    platform::Platform* platform;
    Screen screen;
    Settings settings;
    Keyboard keyboard;
    Pacing pacing;
    PadInput pads;
    // True while a round is being played (from the start of runRound until it returns):
    // game controllers then press their own slot's keys instead of the menu keys.
    bool roundRunning = false;
    Random random;
    DirectionTables directions;
    TitleMenu titleMenu;
    OptionMenu optionMenu;
    Match match;
    Players players;
    ItemBox itemBox;
    Explosions explosions;
    Meteorites meteorites;

    // Where the match reads its players' input: the people at this machine unless the
    // program chose another source (a replay, a network game) for the match.
    LiveInput liveInput{*this};
    MatchInput* matchInput = &liveInput;
    // Sees every match's input and round ends (a recorder); none when null.
    MatchObserver* matchObserver = nullptr;

    Options options;  // the command line's
    std::string settingsPath = kSettingsFileName;
    std::string recordPath = kLastMatchFileName;  // where every match is recorded
    std::string charBitmapName = "char.bmp";      // looked for here, then beside the program
};

// A fresh Game on the heap (it is several megabytes).
std::unique_ptr<Game> makeGame(platform::Platform& machine);
