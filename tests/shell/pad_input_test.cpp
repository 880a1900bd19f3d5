// Game controllers as keys: which keys a pad's buttons press in a round and elsewhere, held
// buttons repeating, pads going and coming, two at once, and a whole match on one pad.
#include "shell/pad_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "match/match.h"
#include "shell/game.h"
#include "shell/pacing.h"
#include "tests/support/test_game.h"

using platform::PadButton;
using Keys = std::vector<int>;

namespace {

struct PadGame : TestGame {
    uint32_t now() { return game->platform->ticks(); }
    // Pumps for `ms` milliseconds; `script` happens in the first. The codes then down.
    Keys step(const std::function<void(uint32_t)>& script, uint32_t ms = 1) {
        script(now() + 1);
        markFrameStart(*game);
        waitSinceMark(*game, ms);
        Keys down;
        for (int code = 0; code < kKeyTableSize; ++code) {
            if (game->keyboard.keyDown[code] != 0) down.push_back(code);
        }
        return down;
    }
    // What a press leaves in the key table; its release must leave nothing.
    Keys keysOfPress(int pad, PadButton button) {
        const Keys pressed = step([&](uint32_t t) { machine.padDown(t, pad, button); });
        EXPECT_EQ(step([&](uint32_t t) { machine.padUp(t, pad, button); }), Keys{});
        return pressed;
    }
};

}  // namespace

// In a round a pad presses its own slot's keys (1P's Left is Q, never the Left arrow); on
// the menus every pad presses the arrows, Enter and Esc.
TEST(PadInput, ButtonsPressTheSlotsOwnKeysInARoundAndTheMenuKeysElsewhere) {
    PadGame pads;
    using enum PadButton;
    const PadButton buttons[] = {Left, Right, Up, Down, Fire, Start, Back, LeftShoulder,
                                 RightShoulder};
    const int inMenus[] = {37, 39, 38, 40, 13, 13, 27, 0, 0};
    const int inRound[4][9] = {{'Q', 'Z', 0, 0, 'A', 13, 27, 'Q', 'Z'},
                               {'B', 'M', 0, 0, 'N', 13, 27, 'B', 'M'},
                               {0x25, 0x27, 0, 0, 0x28, 13, 27, 0x25, 0x27},
                               {0x63, 0x69, 0, 0, 0x66, 13, 27, 0x63, 0x69}};
    const auto keys = [](int code) { return code == 0 ? Keys{} : Keys{code}; };
    for (int pad = 0; pad < platform::kMaxPads; ++pad) {
        for (int b = 0; b < platform::kPadButtonCount; ++b) {
            EXPECT_EQ(pads.keysOfPress(pad, buttons[b]), keys(inMenus[b])) << pad << " " << b;
        }
    }
    const RoundRunning round(*pads);
    for (int pad = 0; pad < platform::kMaxPads; ++pad) {
        for (int b = 0; b < platform::kPadButtonCount; ++b) {
            EXPECT_EQ(pads.keysOfPress(pad, buttons[b]), keys(inRound[pad][b])) << pad << b;
        }
    }
    EXPECT_EQ(pads.keysOfPress(4, Fire), Keys{});  // a pad slot the game does not have
}

// A held button presses its key at once, again after the repeat delay, then at a steady
// rate until released; a wait that blocks for events wakes for every repeat.
TEST(PadInput, AHeldButtonRepeatsAfterADelayAtASteadyRateAndStopsOnRelease) {
    PadGame pads;
    const uint32_t down = pads.now() + 100, up = down + 1000, end = up + 1000;
    pads.machine.padDown(down, 0, PadButton::Down);
    pads.machine.padUp(up, 0, PadButton::Down);
    std::vector<uint32_t> pressedAt;
    while (pads.now() < end) {
        pumpMessagesWaiting(*pads, end - pads.now());
        if (pads->keyboard.take(key::Down)) pressedAt.push_back(pads.now());
    }
    ASSERT_GE(pressedAt.size(), 3u);
    EXPECT_EQ(pressedAt[0], down);
    EXPECT_EQ(pressedAt[1], down + kPadRepeatDelayMs);
    for (size_t i = 2; i < pressedAt.size(); ++i) {
        EXPECT_EQ(pressedAt[i] - pressedAt[i - 1], kPadRepeatIntervalMs) << i;
    }
    EXPECT_LT(pressedAt.back(), up);
    EXPECT_GE(pressedAt.back() + kPadRepeatIntervalMs, up);
}

// Two pads holding the same key do not let go of each other's; an unplugged pad lets go of
// its keys for good, and one plugged in again in its slot plays for that slot.
TEST(PadInput, TwoPadsDoNotInterfereAndAnUnpluggedPadLetsGo) {
    PadGame pads;
    auto& pad = pads.machine;
    using enum PadButton;
    pads.step([&](uint32_t t) { pad.padDown(t, 0, Left); pad.padDown(t, 3, Left); });
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padUp(t, 0, Left); }), Keys{key::Left});
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padUp(t, 3, Left); }), Keys{});

    const RoundRunning round(*pads);
    const auto bothLeft = [&](uint32_t t) { pad.padDown(t, 0, Left); pad.padDown(t, 2, Left); };
    EXPECT_EQ(pads.step(bothLeft), (Keys{0x25, 'Q'}));
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padUp(t, 0, Left); }), Keys{0x25});
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padRemoved(t, 2); }, 1000), Keys{});
    EXPECT_EQ(pads.step([&](uint32_t t) {
        pad.padUp(t, 2, Left);  // a late release from the unplugged pad
        pad.padAdded(t, 2);
        pad.padDown(t, 2, RightShoulder);
    }),
              Keys{0x27});
}

// A match on one pad: Fire on the score table is Enter; Left held through the countdown
// (the Left arrow there, 3P's key in a round) is let go as the round starts and turns
// nobody; pressed anew it turns 1P; Back abandons the round, and again ends the match.
TEST(PadInput, APadAlonePlaysAWholeMatch) {
    PadGame pads;
    Game& game = *pads;
    game.players.type = {PlayerMan, PlayerCom, PlayerMan, PlayerNon};
    game.settings.itemsOn = 0;
    const uint32_t roundStart = pads.now() + 100 + 3600;  // after Enter and the countdown
    pads.machine.padPress(pads.now() + 100, 0, PadButton::Fire);
    pads.machine.padPress(roundStart - 500, 0, PadButton::Left, 800);
    pads.machine.padPress(roundStart + 400, 0, PadButton::Left);
    pads.machine.padPress(roundStart + 700, 0, PadButton::Back);
    pads.machine.padPress(roundStart + 1100, 0, PadButton::Back);
    pads.machine.quitWhenIdleAfter(roundStart + 60000);
    runMatch(game);
    EXPECT_EQ(game.match.round, 1);
    EXPECT_EQ(game.players.direction[0], 30);
    EXPECT_EQ(game.players.direction[2], startDirection[2]);
    EXPECT_FALSE(game.roundRunning);
}
