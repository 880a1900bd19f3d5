#include "shell/pacing.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/scripted_platform.h"
#include "shell/game.h"

using platform::Event;
using platform::EventKind;
using platform::ScriptedPlatform;

namespace {

constexpr uint32_t kStartMs = 5000;  // a whole millisecond, so waits end on exact ticks

// A Game on the scripted platform with its display open and the Screen's waits pumping.
struct PacedGame {
    PacedGame() : game(makeGame(machine)) {
        std::string error;
        EXPECT_TRUE(game->screen.Open(machine, error)) << error;
        installScreenWaitHook(*game);
        machine.setTicks(kStartMs);
    }
    uint64_t micros() const { return machine.nowMicros(); }

    ScriptedPlatform machine;
    std::unique_ptr<Game> game;
};

// Runs `body` and returns the status of the ProgramExit it throws (-1 when none).
template <typename Body>
int exitStatusOf(Body body) {
    try {
        body();
    } catch (const ProgramExit& ending) {
        return ending.status;
    }
    return -1;
}

}  // namespace

TEST(Pacing, WaitSinceMarkWaitsThatLongFromTheMarkWithoutSpinning) {
    for (uint32_t ms : {0u, 1u, 10u, 900u}) {
        PacedGame paced;
        Game& game = *paced.game;
        markFrameStart(game);
        const uint64_t polls = paced.machine.pollCount();
        waitSinceMark(game, ms);
        EXPECT_EQ(paced.machine.ticks() - kStartMs, ms) << "WAIT " << ms;
        const uint64_t pollsTaken = paced.machine.pollCount() - polls;
        if (ms == 0) {
            EXPECT_EQ(pollsTaken, 1u);
            EXPECT_EQ(paced.machine.waitCount(), 0u);
        } else {
            // It blocks for the time left instead of polling through it.
            EXPECT_GE(pollsTaken, 1u) << "WAIT " << ms;
            EXPECT_LE(pollsTaken, 3u) << "WAIT " << ms;
            EXPECT_LE(paced.machine.waitCount(), 2u) << "WAIT " << ms;
        }
    }

    // The time is counted from the mark, not from the call.
    PacedGame paced;
    Game& game = *paced.game;
    markFrameStart(game);
    paced.machine.advance(30);
    waitSinceMark(game, 100);
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 100);
    // A mark already further back than the wait: one poll.
    const uint64_t polls = paced.machine.pollCount();
    waitSinceMark(game, 50);
    EXPECT_EQ(paced.machine.pollCount() - polls, 1u);
    EXPECT_LE(paced.machine.ticks(), kStartMs + 101);  // at most the rest of a millisecond
}

TEST(Pacing, BusyDelayLastsWaitUnitsOfFourMilliseconds) {
    for (int32_t wait : {0, 1, 10, 999}) {
        PacedGame paced;
        const uint64_t start = paced.micros();
        busyDelay(*paced.game, wait);
        const uint64_t lasted = paced.micros() - start;
        const uint64_t expected = uint64_t(wait) * 4000;
        const uint64_t pollCost = paced.machine.pollCostMicros;
        EXPECT_GE(lasted, expected) << "WAIT " << wait;
        EXPECT_LE(lasted, expected + 2 * pollCost) << "WAIT " << wait;
        if (wait == 0) {
            EXPECT_EQ(paced.machine.pollCount(), 1u);
        }
        EXPECT_LE(paced.machine.pollCount(), 3u) << "WAIT " << wait;
    }

    // A negative count is no delay (WAIT is never negative; it must not wait for ever).
    PacedGame paced;
    busyDelay(*paced.game, -5);
    EXPECT_EQ(paced.machine.pollCount(), 1u);
    EXPECT_EQ(paced.machine.waitCount(), 0u);
}

TEST(Pacing, CtrlHeldEndsEveryWaitAfterOnePoll) {
    PacedGame paced;
    Game& game = *paced.game;
    paced.machine.keyDown(kStartMs, 17);
    pumpMessages(game);
    EXPECT_EQ(game.keyboard.pacingOn, 0);
    EXPECT_EQ(game.keyboard.keyDown[17], 1);

    const uint64_t start = paced.micros();
    const uint64_t polls = paced.machine.pollCount();
    markFrameStart(game);
    waitSinceMark(game, 900);
    EXPECT_EQ(paced.machine.pollCount() - polls, 1u);
    busyDelay(game, 999);
    EXPECT_EQ(paced.machine.pollCount() - polls, 2u);
    // A loop that only pumps is not slowed down either while Ctrl is held.
    for (int i = 0; i < 100; ++i) waitSinceMark(game, 0);
    EXPECT_EQ(paced.machine.waitCount(), 0u);
    EXPECT_EQ(paced.micros() - start, 102 * uint64_t{paced.machine.pollCostMicros});

    // Flip does not wait for the display either.
    game.screen.Flip();
    EXPECT_EQ(paced.machine.waitCount(), 0u);

    // Releasing Ctrl restores the pacing.
    paced.machine.keyUp(paced.machine.ticks(), 17);
    pumpMessages(game);
    EXPECT_EQ(game.keyboard.pacingOn, 1);
    EXPECT_EQ(game.keyboard.keyDown[17], 0);
    const uint64_t restored = paced.micros();
    busyDelay(game, 5);
    EXPECT_GE(paced.micros() - restored, 20000u);
}

TEST(Pacing, CtrlPressedDuringAWaitEndsItAtOnce) {
    PacedGame paced;
    Game& game = *paced.game;
    paced.machine.keyDown(kStartMs + 7, 17);
    busyDelay(game, 250);  // a second, cut short after 7 ms
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 7);
    EXPECT_EQ(game.keyboard.pacingOn, 0);

    paced.machine.keyUp(kStartMs + 9, 17);
    paced.machine.keyDown(kStartMs + 20, 17);
    markFrameStart(game);
    waitSinceMark(game, 900);  // Ctrl still held: one poll
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 7);
    markFrameStart(game);
    paced.machine.advance(2);   // Ctrl up is now due, then pacing is on again until 20
    waitSinceMark(game, 900);
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 20);
}

TEST(Pacing, KeysReachTheKeyTable) {
    PacedGame paced;
    Game& game = *paced.game;
    ScriptedPlatform& machine = paced.machine;
    machine.keyDown(kStartMs, 17);  // Ctrl held: pacingOn is 0 and must stay so
    machine.keyDown(kStartMs, 'Q');
    machine.keyDown(kStartMs, 13);
    machine.keyDown(kStartMs, 199);
    machine.keyDown(kStartMs, 200);
    machine.keyDown(kStartMs, 255);
    machine.keyDown(kStartMs, 100000);
    machine.keyDown(kStartMs, -3);
    machine.keyUp(kStartMs, 201);
    pumpMessages(game);
    EXPECT_EQ(machine.pollCount(), 10u);  // every pending event in one pump
    int down = 0;
    for (uint8_t entry : game.keyboard.keyDown) down += entry;
    EXPECT_EQ(down, 4);
    EXPECT_EQ(game.keyboard.pacingOn, 0);  // nothing was written past the table
    machine.keyUp(kStartMs, 17);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 1);
    EXPECT_EQ(game.keyboard.keyDown[13], 1);
    EXPECT_EQ(game.keyboard.keyDown[199], 1);

    // A consumer takes the press; an auto-repeat sets it again; the key-up clears it.
    EXPECT_TRUE(game.keyboard.take('Q'));
    pumpMessages(game);  // takes Ctrl's key-up
    EXPECT_EQ(game.keyboard.pacingOn, 1);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 0);
    machine.keyDown(kStartMs + 30, 'Q', true);
    machine.keyUp(kStartMs + 40, 13);
    waitSinceMark(game, 0);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 0);  // not due yet
    markFrameStart(game);
    waitSinceMark(game, 35);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 1);
    EXPECT_EQ(game.keyboard.keyDown[13], 1);
    machine.keyUp(kStartMs + 50, 'Q');
    busyDelay(game, 5);
    EXPECT_EQ(game.keyboard.keyDown['Q'], 0);
    EXPECT_EQ(game.keyboard.keyDown[13], 0);

    // A key that arrives during a wait wakes it: the event is taken at its own time.
    machine.keyDown(kStartMs + 70, 'Z');
    pumpMessagesWaiting(game, 1000);
    EXPECT_EQ(game.keyboard.keyDown['Z'], 1);
    EXPECT_EQ(machine.ticks(), kStartMs + 70);
}

TEST(Pacing, EndingsLeaveWithStatusZero) {
    const Event endings[] = {
        Event{EventKind::KeyDown, 19, false},
        Event{EventKind::RightButton, 0, false},
        Event{EventKind::Close, 0, false},
        Event{EventKind::Quit, 0, false},
    };
    for (const Event& ending : endings) {
        PacedGame paced;
        Game& game = *paced.game;
        paced.machine.push(kStartMs + 100, ending);
        const int status = exitStatusOf([&] {
            busyDelay(game, 999);
            FAIL() << "the delay did not end the program";
        });
        EXPECT_EQ(status, 0) << int(ending.kind);
        EXPECT_EQ(paced.machine.ticks(), kStartMs + 100);  // at once, not after the delay
        EXPECT_FALSE(paced.machine.displayOpen());        // the display was given back
    }

    // Pause's key-up, a left click or a stray key are not endings.
    PacedGame paced;
    Game& game = *paced.game;
    paced.machine.keyUp(kStartMs, 19);
    paced.machine.keyDown(kStartMs, 0x1B);
    EXPECT_EQ(exitStatusOf([&] { pumpMessages(game); }), -1);
    EXPECT_EQ(game.keyboard.keyDown[19], 0);
}

TEST(Pacing, APollingLoopDoesNotSpin) {
    PacedGame paced;
    Game& game = *paced.game;
    // A menu loop: waitSinceMark(0) again and again. Each pump after an empty one in the
    // same millisecond waits out that millisecond, so the loop gives the processor away.
    for (int i = 0; i < 1000; ++i) waitSinceMark(game, 0);
    const uint32_t spent = paced.machine.ticks() - kStartMs;
    EXPECT_GE(spent, 990u);
    EXPECT_LE(spent, 1005u);
    EXPECT_EQ(paced.machine.pollCount(), 1000u);

    // A key in the middle of such a wait is taken at its own time, not a millisecond later.
    paced.machine.setTicks(20000);
    waitSinceMark(game, 0);
    paced.machine.push(20001, Event{EventKind::KeyDown, 'N', false});
    waitSinceMark(game, 0);  // an empty pump in the same millisecond: waits, and N wakes it
    EXPECT_EQ(game.keyboard.keyDown['N'], 1);
    EXPECT_GE(paced.micros(), 20001u * 1000);
    EXPECT_LE(paced.micros(), 20001u * 1000 + paced.machine.pollCostMicros);

    // The display is presented whenever a refresh interval has passed, from the pump.
    const uint64_t presents = paced.machine.presentCount();
    for (int i = 0; i < 100; ++i) waitSinceMark(game, 0);
    const uint64_t expected = 100 / paced.machine.refreshMs;
    EXPECT_GE(paced.machine.presentCount() - presents, expected - 1);
    EXPECT_LE(paced.machine.presentCount() - presents, expected + 1);
}

TEST(Pacing, TheTickCountWrapsDuringAWait) {
    PacedGame paced;
    Game& game = *paced.game;
    paced.machine.setTicks(UINT32_MAX - 5);
    markFrameStart(game);
    uint64_t start = paced.micros();
    waitSinceMark(game, 20);
    EXPECT_EQ(paced.machine.ticks(), 14u);  // wrapped past 2^32
    EXPECT_GE(paced.micros() - start, 20000u);
    EXPECT_LE(paced.micros() - start, 21000u);

    paced.machine.setTicks(UINT32_MAX - 1);
    start = paced.micros();
    busyDelay(game, 10);
    EXPECT_EQ(paced.machine.ticks(), 38u);
    EXPECT_GE(paced.micros() - start, 40000u);
    EXPECT_LE(paced.micros() - start, 40010u);

    // A mark just before the wrap and a zero wait: still a single poll.
    paced.machine.setTicks(UINT32_MAX);
    markFrameStart(game);
    const uint64_t polls = paced.machine.pollCount();
    paced.machine.advance(1);
    waitSinceMark(game, 0);
    EXPECT_EQ(paced.machine.pollCount() - polls, 1u);
}

TEST(Pacing, FlipWaitsForTheRefreshWhilePumping) {
    PacedGame paced;
    Game& game = *paced.game;
    paced.machine.keyDown(kStartMs + 5, 'B');
    const uint64_t presents = paced.machine.presentCount();
    game.screen.Flip();
    EXPECT_GT(paced.machine.presentCount(), presents);
    EXPECT_EQ(game.keyboard.keyDown['B'], 1);  // taken while Flip waited
    EXPECT_GE(paced.machine.ticks() - kStartMs, paced.machine.refreshMs);
    EXPECT_LE(paced.machine.ticks() - kStartMs, paced.machine.refreshMs + 1);
    EXPECT_LE(paced.machine.pollCount(), 6u);  // blocked, not spun

    // A quit request while Flip waits ends the program from inside it.
    paced.machine.push(paced.machine.ticks() + 3, Event{EventKind::Quit, 0, false});
    EXPECT_EQ(exitStatusOf([&] { game.screen.Flip(); }), 0);
}
