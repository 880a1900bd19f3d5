// What the message pump and the waits work on: the platform, the screen they present, the
// key table, the game controllers and the pacing. The state of play and the Game are built
// on it; the pump knows nothing more of the game.
#pragma once

#include <cstdint>

#include "display/screen.h"
#include "input/keyboard.h"
#include "input/pad_input.h"
#include "input/player_keys.h"
#include "platform/platform.h"

// Thrown by every ending of the program (the pump throws it for Pause, the right button,
// closing the window and a quit request); it unwinds to the program's handler, which clears
// and gives back the display and returns the status. 0 for the player's endings, 1 when the
// program cannot start or "EXIT" could not save the settings.
struct ProgramExit {
    int status = 0;
};

struct Pacing {
    uint32_t frameStart = 0;     // set by markFrameStart, read by waitSinceMark
    uint32_t lastEmptyPoll = 0;  // when a poll last found the queue empty
    bool polledEmpty = false;
};

struct Devices {
    explicit Devices(platform::Platform& machine) : platform(&machine) {}

    platform::Platform* platform;
    Screen screen;
    Keyboard keyboard;
    Pacing pacing;
    PadInput pads;
    // The keys the people at this machine play with (the keys file's choice, or the usual
    // ones); always playable (keysPlayable). Replays and network play never see them: they
    // carry MatchKeys.
    PlayerKeyTable playerKeys = kUsualPlayerKeys;
    // True while a round is being played (from the start of runRound until it returns):
    // game controllers then press their own slot's keys instead of the menu keys.
    bool roundRunning = false;
};
