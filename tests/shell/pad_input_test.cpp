// Game controllers through the scripted platform: which keys a pad's buttons press in a
// round and outside it, held buttons repeating, round changes while a button is held,
// controllers going and coming, several pads at once, and a pad steering in a real round.
#include "shell/pad_input.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "match/match.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"
#include "tests/support/test_game.h"

using platform::PadButton;
using Keys = std::vector<int>;

namespace {

// The codes whose keyDown entry is set, in code order.
Keys keysDown(const Game& game) {
    Keys down;
    for (int code = 0; code < kKeyTableSize; ++code) {
        if (game.keyboard.keyDown[code] != 0) down.push_back(code);
    }
    return down;
}

// Pumps until the clock reads `ms` (exactly, on the scripted clock).
void pumpUntil(Game& game, uint32_t ms) {
    markFrameStart(game);
    waitSinceMark(game, ms - game.platform->ticks());
}

struct PadGame : TestGame {
    uint32_t now() { return game->platform->ticks(); }
    // Pumps the next millisecond, in which the scripted events `script` happen.
    Keys step(const std::function<void(uint32_t)>& script) {
        script(now() + 1);
        pumpUntil(*game, now() + 1);
        return keysDown(*game);
    }
    // What a press leaves in the key table; its release must leave nothing.
    Keys keysOfPress(int pad, PadButton button) {
        const Keys pressed = step([&](uint32_t t) { machine.padDown(t, pad, button); });
        EXPECT_EQ(step([&](uint32_t t) { machine.padUp(t, pad, button); }), Keys{});
        return pressed;
    }
};

}  // namespace

TEST(PadInput, ButtonsPressTheSlotsOwnKeysInARoundAndTheMenuKeysElsewhere) {
    PadGame pads;
    using enum PadButton;
    const PadButton buttons[] = {Left, Right, Up, Down, Fire, Start, Back, LeftShoulder,
                                 RightShoulder};
    // On the menus and the score table every pad is the arrows, Enter and Esc.
    const int inMenus[] = {37, 39, 38, 40, 13, 13, 27, 0, 0};
    // In a round: turn left, turn right, -, -, item, Enter, Esc, turn left, turn right.
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
    // Pads and buttons the game does not have press nothing.
    EXPECT_EQ(pads.keysOfPress(4, Fire), Keys{});
    EXPECT_EQ(pads.keysOfPress(0, static_cast<PadButton>(platform::kPadButtonCount)), Keys{});
}

TEST(PadInput, AHeldButtonRepeatsAfterADelayAtASteadyRateAndStopsOnRelease) {
    PadGame pads;
    Game& game = *pads;
    const uint32_t down = pads.now() + 100, up = down + 1000;
    pads.machine.padDown(down, 0, PadButton::Down);
    pads.machine.padUp(up, 0, PadButton::Down);
    // A reader that takes the press every millisecond, as the title menu does.
    std::vector<uint32_t> pressedAt;
    for (uint32_t ms = pads.now(); ms <= up + 1000; ++ms) {
        pumpUntil(game, ms);
        if (game.keyboard.take(key::Down)) pressedAt.push_back(ms);
    }
    // At the press, after the delay, then at a steady rate close to a keyboard's (25 to 40
    // a second) until the release.
    ASSERT_GE(pressedAt.size(), 3u);
    EXPECT_EQ(pressedAt[0], down);
    EXPECT_EQ(pressedAt[1], down + kPadRepeatDelayMs);
    for (size_t i = 2; i < pressedAt.size(); ++i) {
        EXPECT_EQ(pressedAt[i] - pressedAt[i - 1], kPadRepeatIntervalMs) << i;
    }
    EXPECT_GE(kPadRepeatIntervalMs, 25u);
    EXPECT_LE(kPadRepeatIntervalMs, 40u);
    EXPECT_LT(pressedAt.back(), up);
    EXPECT_GE(pressedAt.back() + kPadRepeatIntervalMs, up);

    // A long wait that blocks for events wakes for every repeat of a held button.
    pads.step([&](uint32_t t) { pads.machine.padDown(t, 1, PadButton::Right); });
    ASSERT_TRUE(game.keyboard.take(key::Right));
    const uint64_t waits = pads.machine.waitCount();
    busyDelay(game, 250);  // a second
    EXPECT_EQ(game.keyboard.keyDown[key::Right], 1);
    EXPECT_GE(pads.machine.waitCount() - waits, (1000 - kPadRepeatDelayMs) / 33);
}

TEST(PadInput, AButtonHeldWhileARoundStartsOrEndsLetsGoOfItsKey) {
    PadGame pads;
    Game& game = *pads;
    auto& machine = pads.machine;
    // Held on the score table, it is the Left arrow; the round starts and it lets go at
    // once, so 3P (whose turn-left key that is) never sees it, and nothing repeats later.
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padDown(t, 0, PadButton::Left); }),
              Keys{key::Left});
    {
        const RoundRunning round(game);
        EXPECT_EQ(keysDown(game), Keys{});
        pumpUntil(game, pads.now() + 2000);
        EXPECT_EQ(pads.step([&](uint32_t t) { machine.padUp(t, 0, PadButton::Left); }), Keys{});
        // Pressed anew it acts for 1P.
        EXPECT_EQ(pads.step([&](uint32_t t) {
            machine.padDown(t, 0, PadButton::Left);
            machine.padDown(t, 1, PadButton::Fire);
        }),
                  (Keys{'N', 'Q'}));
    }
    // The round ended with Q and N held: both let go, and their releases change nothing.
    EXPECT_EQ(keysDown(game), Keys{});
    pumpUntil(game, pads.now() + 1000);
    EXPECT_EQ(pads.step([&](uint32_t t) {
        machine.padUp(t, 0, PadButton::Left);
        machine.padUp(t, 1, PadButton::Fire);
    }),
              Keys{});
    // The flag set directly takes effect at the next pump all the same.
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padDown(t, 2, PadButton::Right); }),
              Keys{key::Right});
    game.roundRunning = true;
    EXPECT_EQ(pads.step([](uint32_t) {}), Keys{});
    pumpUntil(game, pads.now() + 1000);
    EXPECT_EQ(keysDown(game), Keys{});
}

TEST(PadInput, PadsAreIndependentAndAnUnpluggedOneHoldsNothing) {
    PadGame pads;
    Game& game = *pads;
    auto& machine = pads.machine;
    // On the menus two pads hold Left: the arrow stays down until both let go.
    pads.step([&](uint32_t t) {
        machine.padDown(t, 0, PadButton::Left);
        machine.padDown(t, 3, PadButton::Left);
    });
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padUp(t, 0, PadButton::Left); }),
              Keys{key::Left});
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padUp(t, 3, PadButton::Left); }), Keys{});

    // In a round, 1P's and 3P's pads turn at the same moment, each with its own key; 2P
    // fires a little later; each repeats on its own schedule.
    const RoundRunning round(game);
    const uint32_t at = pads.now() + 1;
    EXPECT_EQ(pads.step([&](uint32_t t) {
        machine.padDown(t, 0, PadButton::Left);
        machine.padDown(t, 2, PadButton::Left);
        machine.padDown(t + 100, 1, PadButton::Fire);
    }),
              (Keys{0x25, 'Q'}));
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padUp(t, 0, PadButton::Left); }), Keys{0x25});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, at + 100);
    EXPECT_EQ(keysDown(game), Keys{'N'});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, at + kPadRepeatDelayMs);
    EXPECT_EQ(keysDown(game), Keys{0x25});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, at + 100 + kPadRepeatDelayMs - 1);
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, at + 100 + kPadRepeatDelayMs);
    EXPECT_EQ(keysDown(game), Keys{'N'});

    // 2P's pad is unplugged holding Fire: N is let go and never repeats; 3P's goes on. A
    // pad in slot 1 again is 2P's, and a late release of the old one changes nothing.
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.padRemoved(t, 1); }), Keys{});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, pads.now() + 1000);
    EXPECT_EQ(keysDown(game), Keys{0x25});
    EXPECT_EQ(pads.step([&](uint32_t t) {
        machine.padAdded(t, 1);
        machine.padDown(t, 1, PadButton::RightShoulder);
        machine.padUp(t, 1, PadButton::Fire);
    }),
              (Keys{0x25, 'M'}));
    // The keyboard goes on working alongside.
    EXPECT_EQ(pads.step([&](uint32_t t) { machine.keyDown(t, 'Z'); }), (Keys{0x25, 'M', 'Z'}));
}

// A real round, 1P and 3P people, 1P on a pad. A push held from the countdown (the Left
// arrow then) turns nobody; pressed in the round it turns 1P only, again while held; Back
// abandons the round.
TEST(PadInput, APadSteersItsOwnPlayerInARealRound) {
    PadGame pads;
    Game& game = *pads;
    game.players.type = {PlayerMan, PlayerNon, PlayerMan, PlayerNon};
    game.settings.itemsOn = 0;
    game.settings.wait = 1;
    startRound(game);
    pads.machine.padDown(pads.now() + 1000, 0, PadButton::Left);
    runCountdown(game);
    EXPECT_EQ(game.keyboard.keyDown[0x25], 1);

    const RoundRunning round(game);
    game.match.secondStamp = pads.now();
    pads.machine.quitWhenIdleAfter(pads.now() + 60000);
    const auto playFor = [&](uint32_t ms) {
        for (const uint32_t end = pads.now() + ms; pads.now() < end;) {
            ASSERT_FALSE(playRoundFrame(game));
        }
    };
    playFor(600);
    EXPECT_EQ(game.players.direction[0], startDirection[0]);
    pads.machine.padUp(pads.now() + 1, 0, PadButton::Left);
    pads.machine.padDown(pads.now() + 2, 0, PadButton::Left);
    playFor(100);  // one turn, well before the first repeat
    EXPECT_EQ(game.players.direction[0], startDirection[0] + 30);
    playFor(kPadRepeatDelayMs);  // the repeats turn 1P again
    EXPECT_GT(game.players.direction[0], startDirection[0] + 30);
    EXPECT_EQ(game.players.direction[2], startDirection[2]);

    pads.machine.padPress(pads.now() + 1, 0, PadButton::Back);
    bool over = false;
    for (int frame = 0; frame < 100 && !over; ++frame) over = playRoundFrame(game);
    EXPECT_TRUE(over);
}
