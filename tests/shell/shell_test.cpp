// The message pump and its waits on the scripted clock, and game controllers as keys.
#include <functional>

#include "input/pacing.h"
#include "input/pad_input.h"
#include "tests/support/test_game.h"

using platform::PadButton;
using Keys = std::vector<int>;

// busyDelay(n) lasts n x 4 ms, with one poll for 0; waitSinceMark counts from its mark; both
// across the tick count's wrap. With Ctrl held every wait ends after one poll; pressed, Ctrl
// ends a wait at once. Keys set and clear their entries; codes outside the table are not
// recorded.
TEST(Pacing, WaitsLastTheirTimeUnlessCtrlIsHeld) {
    TestGame test;
    auto& machine = test.machine;
    machine.setTicks(UINT32_MAX - 5);
    busyDelay((*test).devices, 0);
    EXPECT_EQ(machine.pollCount(), 1u);
    markFrameStart((*test).devices);
    machine.advance(3);
    waitSinceMark((*test).devices, 20);
    EXPECT_EQ(machine.ticks(), 14u);
    for (const int32_t n : {1, 10, 999}) {
        const uint32_t start = machine.ticks();
        busyDelay((*test).devices, n);
        EXPECT_EQ(machine.ticks() - start, 4u * n) << n;
    }
    machine.setTicks(0);
    for (const int code : {key::Ctrl, int{'Q'}, 199, 255, 256, 100000, -3})
        machine.keyDown(0, code);
    markFrameStart((*test).devices);
    waitSinceMark((*test).devices, 900);
    busyDelay((*test).devices, 999);
    busyDelay((*test).devices, 999);
    EXPECT_EQ(machine.ticks(), 0u);
    EXPECT_EQ(
        std::count(test->devices.keyboard.keyDown.begin(), test->devices.keyboard.keyDown.end(), 1),
        4);
    EXPECT_EQ(test->devices.keyboard.keyDown[255], 1);
    machine.keyUp(0, 'Q');
    machine.keyUp(0, key::Ctrl);
    busyDelay((*test).devices, 5);
    EXPECT_EQ(machine.ticks(), 20u);
    EXPECT_EQ(test->devices.keyboard.keyDown['Q'], 0);
    machine.keyDown(27, key::Ctrl);
    busyDelay((*test).devices, 250);
    EXPECT_EQ(machine.ticks(), 27u);
}

namespace {

struct PadGame : TestGame {
    uint32_t now() { return game->devices.platform->ticks(); }
    // Pumps for `ms` milliseconds; `script` happens in the first. The codes then down.
    Keys step(const std::function<void(uint32_t)>& script, uint32_t ms = 1) {
        script(now() + 1);
        markFrameStart((*game).devices);
        waitSinceMark((*game).devices, ms);
        Keys down;
        for (int code = 0; code < kKeyTableSize; ++code) {
            if (game->devices.keyboard.keyDown[code] != 0) down.push_back(code);
        }
        return down;
    }
    Keys press(int pad, PadButton button) {  // what a press sets; its release leaves nothing
        const Keys pressed = step([&](uint32_t t) { machine.padDown(t, pad, button); });
        EXPECT_EQ(step([&](uint32_t t) { machine.padUp(t, pad, button); }), Keys{});
        return pressed;
    }
};

}  // namespace

// In a round a pad presses its own slot's keys, as chosen (1P's Left is Q, never the Left
// arrow); on the menus every pad presses the arrows, Enter and Esc.
TEST(PadInput, ButtonsPressTheSlotsOwnKeysInARoundAndTheMenuKeysElsewhere) {
    PadGame pads;
    using namespace key;
    const int inMenus[] = {Left, Right, Up, Down, Enter, Enter, Esc, 0, 0};  // PadButton order
    const int n3 = numpad(3), n6 = numpad(6), n9 = numpad(9);
    const int inRoundKeys[4][9] = {{'Q', 'Z', 0, 0, 'A', Enter, Esc, 'Q', 'Z'},
                                   {'B', 'M', 0, 0, 'N', Enter, Esc, 'B', 'M'},
                                   {Left, Right, 0, 0, Down, Enter, Esc, Left, Right},
                                   {n3, n9, 0, 0, n6, Enter, Esc, n3, n9}};
    for (const bool inRound : {false, true}) {
        setRoundRunning(pads->devices, inRound);
        for (int pad = 0; pad < platform::kMaxPads; ++pad)
            for (int b = 0; b < platform::kPadButtonCount; ++b) {
                const int code = inRound ? inRoundKeys[pad][b] : inMenus[b];
                const Keys pressed = pads.press(pad, PadButton(b));
                EXPECT_EQ(pressed, code ? Keys{code} : Keys{}) << inRound << " " << pad << " " << b;
            }
    }
    // The slot's keys as chosen: 1P on J, K and L.
    pads->devices.playerKeys[0] = {'J', 'K', 'L'};
    EXPECT_EQ(pads.press(0, PadButton::Left), Keys{'J'});
    EXPECT_EQ(pads.press(0, PadButton::Fire), Keys{'K'});
    EXPECT_EQ(pads.press(0, PadButton::RightShoulder), Keys{'L'});
}

// A held button presses its key again after 400 ms, then every 33 ms; two pads holding one
// key keep it down until both let go; a round starting, or the pad going, lets go of it.
TEST(PadInput, HeldButtonsRepeatUntilReleasedOrTheRoundOrThePadChanges) {
    PadGame pads;
    auto& pad = pads.machine;
    std::vector<uint32_t> pressedAt;
    const uint32_t down = pads.now() + 100;
    pad.padPress(down, 0, PadButton::Down, 1000);
    while (pads.now() < down + 1100) {
        pumpMessagesWaiting((*pads).devices, 1000);
        if (pads->devices.keyboard.take(key::Down)) pressedAt.push_back(pads.now() - down);
    }
    ASSERT_EQ(pressedAt.size(), 20u);
    for (size_t i = 1; i < pressedAt.size(); ++i) EXPECT_EQ(pressedAt[i], 367 + 33 * i) << i;

    pads.step([&](uint32_t t) {
        pad.padDown(t, 0, PadButton::Left);
        pad.padDown(t, 3, PadButton::Left);
    });
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padUp(t, 0, PadButton::Left); }), Keys{key::Left});
    const PadsInRound round(pads->devices);
    EXPECT_EQ(pads.step([](uint32_t) {}, 1000), Keys{});
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padDown(t, 2, PadButton::Left); }), Keys{key::Left});
    EXPECT_EQ(pads.step([&](uint32_t t) { pad.padRemoved(t, 2); }, 1000), Keys{});
}

// The people's keys as a match reads them: a key down when the round starts counts as
// pressed in its first frame, but not Esc, nor a slot's key pressed before the score table
// started the round; a frame sees each key's last change since the one before (a tap between
// two frames is an Up: it does nothing); a press a frame handed on is the round's and no
// screen after it sees it, while a key pressed after the last frame stays pressed.
TEST(LiveInput, FramesSeeEachKeysLastChangeAndThePressesTheyHandOnAreTheRounds) {
    TestGame test;
    Game& game = *test;
    auto& machine = test.machine;
    machine.keyDown(0, 'B');  // 2P, before the score table's Enter
    machine.keyPress(10, key::Enter);
    machine.keyDown(100, 'Q');  // during the countdown
    machine.keyDown(100, key::Esc);
    EXPECT_EQ(test.people.nextDecision(), Decision::NextRound);
    machine.advance(200);
    busyDelay(game.devices, 1);
    test.people.beginRound();
    const FrameInput first = test.people.nextFrame();
    EXPECT_EQ(first.changes, FrameInput{}.changes | 1u << 2 * slotKey(0, SlotKeyTurnLeft));
    machine.keyPress(machine.ticks(), 'Z', 1);
    machine.keyDown(machine.ticks() + 2, key::PageDown);
    busyDelay(game.devices, 1);
    FrameInput second;
    second.setChange(slotKey(0, SlotKeyTurnRight), KeyChange::Up);
    second.setChange(MatchKeyPageDown, KeyChange::Down);
    EXPECT_EQ(test.people.nextFrame(), second);

    machine.keyDown(machine.ticks(), 'M');  // after the last frame
    busyDelay(game.devices, 1);
    test.people.roundLeft();
    EXPECT_EQ(game.devices.keyboard.keyDown['Q'], 0);
    EXPECT_EQ(game.devices.keyboard.keyDown[key::PageDown], 0);
    EXPECT_EQ(game.devices.keyboard.keyDown['M'], 1);
}

// The round's second marks by the tick count: one in the first frame 1000 ms or more after
// the round's start or the last mark, never two in a frame however long it took, across the
// tick count's wrap; none once the round's frames are over (its pause keeps the time).
TEST(LiveInput, MarksASecondOnceAThousandMillisecondsHavePassed) {
    TestGame test;
    auto& machine = test.machine;
    machine.setTicks(UINT32_MAX - 400);
    test.people.beginRound();
    for (const auto& [advance, mark] :
         {std::pair{999u, false}, {1u, true}, {5000u, true}, {0u, false}, {999u, false}}) {
        machine.advance(advance);
        EXPECT_EQ(test.people.nextFrame().secondMark, mark) << advance;
    }
    test.people.roundEnded({});
    machine.advance(5000);
    EXPECT_FALSE(test.people.nextFrame().secondMark);
    test.people.beginRound();
    machine.advance(1000);
    EXPECT_TRUE(test.people.nextFrame().secondMark);
}
