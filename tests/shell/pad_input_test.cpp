// Game controllers through the scripted platform: which keys a pad's buttons press in a
// round and outside it, held buttons repeating, round changes while a button is held,
// controllers going and coming, and several pads at once.
#include "shell/pad_input.h"

#include <gtest/gtest.h>

#include <vector>

#include "match/match.h"
#include "round/round.h"
#include "shell/game.h"
#include "shell/pacing.h"
#include "tests/support/test_game.h"

using platform::PadButton;

namespace {

constexpr uint32_t kStartMs = 10000;

// The codes whose keyDown entry is set, in code order.
std::vector<int> keysDown(const Game& game) {
    std::vector<int> down;
    for (int code = 0; code < kKeyTableSize; ++code) {
        if (game.keyboard.keyDown[code] != 0) down.push_back(code);
    }
    return down;
}

// Runs the pump until the clock reads `ms` (it lands there exactly on the scripted clock).
void pumpUntil(Game& game, uint32_t ms) {
    markFrameStart(game);
    waitSinceMark(game, ms - game.platform->ticks());
}

struct PadGame {
    PadGame() {
        test.machine.setTicks(kStartMs);
        installScreenWaitHook(*test);
    }
    Game& game() { return *test; }
    // A press and its release, each pumped; what the press left in the key table.
    std::vector<int> keysOfPress(int pad, PadButton button) {
        const uint32_t now = game().platform->ticks();
        test.machine.padDown(now + 1, pad, button);
        test.machine.padUp(now + 2, pad, button);
        pumpUntil(game(), now + 1);
        const std::vector<int> pressed = keysDown(game());
        pumpUntil(game(), now + 2);
        EXPECT_TRUE(keysDown(game()).empty()) << "the release leaves nothing down";
        return pressed;
    }
    TestGame test;
};

using Keys = std::vector<int>;

}  // namespace

TEST(PadInput, ButtonsPressTheSlotsOwnKeysInARoundAndTheMenuKeysElsewhere) {
    PadGame pads;
    Game& game = pads.game();

    // On the menus and the score table every pad is the arrows, Enter and Esc.
    for (int pad = 0; pad < platform::kMaxPads; ++pad) {
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Left), Keys{37}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Up), Keys{38}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Right), Keys{39}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Down), Keys{40}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Fire), Keys{13}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Start), Keys{13}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Back), Keys{27}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::LeftShoulder), Keys{}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::RightShoulder), Keys{}) << pad;
    }

    // In a round each pad is its own slot's turn-left, item and turn-right keys.
    const RoundRunning inRound(game);
    EXPECT_TRUE(game.roundRunning);
    const int turnLeft[] = {'Q', 'B', 0x25, 0x63};
    const int item[] = {'A', 'N', 0x28, 0x66};
    const int turnRight[] = {'Z', 'M', 0x27, 0x69};
    for (int pad = 0; pad < platform::kMaxPads; ++pad) {
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Left), Keys{turnLeft[pad]}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::LeftShoulder), Keys{turnLeft[pad]}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Right), Keys{turnRight[pad]}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::RightShoulder), Keys{turnRight[pad]})
            << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Fire), Keys{item[pad]}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Up), Keys{}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Down), Keys{}) << pad;
        // Start goes on from the round's end, Back abandons the round, as Enter and Esc do.
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Start), Keys{13}) << pad;
        EXPECT_EQ(pads.keysOfPress(pad, PadButton::Back), Keys{27}) << pad;
    }
    // 1P's pad pushed left in a round is Q, never the Left arrow (3P's turn-left key).
    EXPECT_EQ(pads.keysOfPress(0, PadButton::Left), Keys{'Q'});

    // Pads and buttons the game does not have press nothing.
    EXPECT_EQ(padKeyFor(4, PadButton::Left, true), 0);
    EXPECT_EQ(padKeyFor(-1, PadButton::Fire, false), 0);
    EXPECT_EQ(padKeyFor(0, static_cast<PadButton>(platform::kPadButtonCount), false), 0);
    pads.test.machine.padDown(game.platform->ticks() + 1, 7, PadButton::Fire);
    pumpUntil(game, game.platform->ticks() + 1);
    EXPECT_EQ(keysDown(game), Keys{});
}

TEST(PadInput, AHeldButtonRepeatsAfterADelayAtASteadyRateAndStopsOnRelease) {
    PadGame pads;
    Game& game = pads.game();
    const uint32_t down = kStartMs + 100;
    const uint32_t up = down + 1000;
    pads.test.machine.padDown(down, 0, PadButton::Down);
    pads.test.machine.padUp(up, 0, PadButton::Down);

    // A reader that takes the press every millisecond, as the title menu does.
    std::vector<uint32_t> pressedAt;
    for (uint32_t ms = kStartMs; ms <= up + 1000; ++ms) {
        pumpUntil(game, ms);
        if (game.keyboard.take(key::Down)) pressedAt.push_back(ms);
    }
    ASSERT_GE(pressedAt.size(), 3u);
    EXPECT_EQ(pressedAt[0], down);
    EXPECT_EQ(pressedAt[1], down + kPadRepeatDelayMs);
    for (size_t i = 2; i < pressedAt.size(); ++i) {
        EXPECT_EQ(pressedAt[i] - pressedAt[i - 1], kPadRepeatIntervalMs) << i;
    }
    // A keyboard repeats 25 to 40 times a second; the last repeat comes before the release.
    EXPECT_GE(kPadRepeatIntervalMs, 25u);
    EXPECT_LE(kPadRepeatIntervalMs, 40u);
    EXPECT_LT(pressedAt.back(), up);
    EXPECT_GT(pressedAt.back() + kPadRepeatIntervalMs, up);
    const size_t repeats = (up - 1 - down - kPadRepeatDelayMs) / kPadRepeatIntervalMs + 1;
    EXPECT_EQ(pressedAt.size(), 1 + repeats);

    // A long wait that blocks for events still wakes for every repeat of a held button.
    pads.test.machine.padDown(game.platform->ticks(), 1, PadButton::Right);
    pumpUntil(game, game.platform->ticks());
    ASSERT_TRUE(game.keyboard.take(key::Right));
    const uint64_t waits = pads.test.machine.waitCount();
    busyDelay(game, 250);  // a second
    EXPECT_EQ(game.keyboard.keyDown[key::Right], 1);
    EXPECT_GE(pads.test.machine.waitCount() - waits, (1000 - kPadRepeatDelayMs) / 33);
    // While nothing is held a wait is not cut short.
    pads.test.machine.padUp(game.platform->ticks(), 1, PadButton::Right);
    pumpUntil(game, game.platform->ticks());
    EXPECT_EQ(msUntilPadRepeat(game), UINT32_MAX);
}

TEST(PadInput, AButtonHeldWhileARoundStartsOrEndsLetsGoOfItsKey) {
    PadGame pads;
    Game& game = pads.game();
    auto& machine = pads.test.machine;
    uint32_t t = kStartMs;

    // Held on the score table: the Left arrow. The round starts: let go at once, so 3P
    // (whose turn-left key it is) never sees it, and no repeat presses it or Q later.
    machine.padDown(t + 1, 0, PadButton::Left);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{key::Left});
    {
        const RoundRunning inRound(game);
        EXPECT_EQ(keysDown(game), Keys{});
        pumpUntil(game, t += 2000);
        EXPECT_EQ(keysDown(game), Keys{});
        machine.padUp(t + 1, 0, PadButton::Left);
        pumpUntil(game, t += 1);
        EXPECT_EQ(keysDown(game), Keys{});
        // Pressed anew it acts for 1P.
        machine.padDown(t + 1, 0, PadButton::Left);
        machine.padDown(t + 1, 1, PadButton::Fire);
        pumpUntil(game, t += 1);
        EXPECT_EQ(keysDown(game), (Keys{'N', 'Q'}));
    }
    // The round ended with Q and N held: both let go, the menus see nothing of them.
    EXPECT_FALSE(game.roundRunning);
    EXPECT_EQ(keysDown(game), Keys{});
    pumpUntil(game, t += 1000);
    machine.padUp(t + 1, 0, PadButton::Left);
    machine.padUp(t + 1, 1, PadButton::Fire);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{});

    // The flag set directly takes effect at the next pump all the same.
    machine.padDown(t + 1, 2, PadButton::Right);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{key::Right});
    game.roundRunning = true;
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{});
    pumpUntil(game, t += 1000);
    EXPECT_EQ(keysDown(game), Keys{});
}

TEST(PadInput, AnUnpluggedPadHoldsNothingAndItsSlotWorksAgainWhenPluggedBackIn) {
    PadGame pads;
    Game& game = pads.game();
    auto& machine = pads.test.machine;
    const RoundRunning inRound(game);
    uint32_t t = kStartMs;

    machine.padAdded(t + 1, 1);
    machine.padDown(t + 2, 1, PadButton::Fire);
    machine.padDown(t + 2, 1, PadButton::RightShoulder);
    machine.padDown(t + 2, 3, PadButton::Left);
    pumpUntil(game, t += 2);
    EXPECT_EQ(keysDown(game), (Keys{'M', 'N', 0x63}));
    // Pad 1 goes without releasing its buttons: its keys are let go and never repeat; 4P's
    // pad goes on holding its key.
    machine.padRemoved(t + 1, 1);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{0x63});
    game.keyboard.keyDown[0x63] = 0;
    pumpUntil(game, t += 1000);
    EXPECT_EQ(keysDown(game), Keys{0x63});
    // A controller in slot 1 again: its buttons are 2P's keys.
    machine.padAdded(t + 1, 1);
    machine.padDown(t + 2, 1, PadButton::Left);
    pumpUntil(game, t += 2);
    EXPECT_EQ(keysDown(game), (Keys{'B', 0x63}));
    // A late release from the old controller of the slot clears only what is held.
    machine.padUp(t + 1, 1, PadButton::Fire);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), (Keys{'B', 0x63}));
}

TEST(PadInput, TwoPadsPressingAtOnceDoNotInterfere) {
    PadGame pads;
    Game& game = pads.game();
    auto& machine = pads.test.machine;
    uint32_t t = kStartMs;

    // On the menus two pads hold Left: the arrow stays down until both let go.
    machine.padDown(t + 1, 0, PadButton::Left);
    machine.padDown(t + 1, 3, PadButton::Left);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{key::Left});
    machine.padUp(t + 1, 0, PadButton::Left);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{key::Left});
    machine.padUp(t + 1, 3, PadButton::Left);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{});

    // In a round, 1P's and 3P's pads turn at the same moment: each its own key.
    const RoundRunning inRound(game);
    const uint32_t downAt = t + 1;
    machine.padDown(downAt, 0, PadButton::Left);
    machine.padDown(downAt, 2, PadButton::Left);
    machine.padDown(downAt + 100, 1, PadButton::Fire);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), (Keys{0x25, 'Q'}));
    machine.padUp(t + 1, 0, PadButton::Left);
    pumpUntil(game, t += 1);
    EXPECT_EQ(keysDown(game), Keys{0x25});
    // The ones still held repeat on their own schedules: 3P's from its press, 2P's from
    // its own.
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, downAt + 100);
    EXPECT_EQ(keysDown(game), Keys{'N'});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, downAt + kPadRepeatDelayMs);
    EXPECT_EQ(keysDown(game), Keys{0x25});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, downAt + 100 + kPadRepeatDelayMs - 1);
    EXPECT_EQ(keysDown(game), Keys{0x25});
    game.keyboard.keyDown.fill(0);
    pumpUntil(game, downAt + 100 + kPadRepeatDelayMs);
    EXPECT_EQ(keysDown(game), Keys{'N'});

    // The keyboard goes on working alongside: Z for 1P while the pads hold theirs.
    machine.keyDown(game.platform->ticks() + 1, 'Z');
    pumpUntil(game, game.platform->ticks() + 1);
    EXPECT_EQ(game.keyboard.keyDown['Z'], 1);
}

// A real round: 1P and 3P are people, 1P plays on a pad. A push held from the countdown
// (the Left arrow then) turns nobody; pressed in the round it turns 1P only, again and again
// while held; Back abandons the round.
TEST(PadInput, APadSteersItsOwnPlayerInARealRound) {
    PadGame pads;
    Game& game = pads.game();
    auto& machine = pads.test.machine;
    game.players.type = {PlayerMan, PlayerNon, PlayerMan, PlayerNon};
    game.settings.itemsOn = 0;
    game.settings.wait = 1;
    startRound(game);
    machine.padDown(game.platform->ticks() + 1000, 0, PadButton::Left);
    runCountdown(game);
    EXPECT_EQ(game.keyboard.keyDown[0x25], 1);  // as the menus read it

    const RoundRunning inRound(game);
    game.match.secondStamp = game.platform->ticks();
    machine.quitWhenIdleAfter(game.platform->ticks() + 60000);
    const auto playFor = [&](uint32_t ms) {
        const uint32_t end = game.platform->ticks() + ms;
        while (game.platform->ticks() < end) ASSERT_FALSE(playRoundFrame(game));
    };
    playFor(600);
    EXPECT_EQ(game.players.direction[0], startDirection[0]);
    EXPECT_EQ(game.players.direction[2], startDirection[2]);

    machine.padUp(game.platform->ticks() + 1, 0, PadButton::Left);
    machine.padDown(game.platform->ticks() + 2, 0, PadButton::Left);
    playFor(100);  // one turn, well before the first repeat
    EXPECT_EQ(game.players.direction[0], (startDirection[0] + 30) % 360);
    EXPECT_EQ(game.players.direction[2], startDirection[2]);
    playFor(kPadRepeatDelayMs);  // the repeats turn 1P again
    EXPECT_NE(game.players.direction[0], (startDirection[0] + 30) % 360);
    EXPECT_EQ(game.players.direction[2], startDirection[2]);
    EXPECT_EQ(game.keyboard.keyDown[0x25], 0);

    machine.padPress(game.platform->ticks() + 1, 0, PadButton::Back);
    bool over = false;
    for (int frame = 0; frame < 100 && !over; ++frame) over = playRoundFrame(game);
    EXPECT_TRUE(over);
}
