// The message pump and the waits on the scripted clock: how long waits last and how often
// they poll, Ctrl, the key table, the endings, the tick wrap and presents during waits.
#include "shell/pacing.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/game.h"
#include "tests/support/test_game.h"

using platform::Event;
using platform::EventKind;

namespace {

constexpr uint32_t kStartMs = 5000;

// A Game on the scripted platform whose clock reads kStartMs.
struct PacedGame : TestGame {
    PacedGame() { machine.setTicks(kStartMs); }
    uint64_t micros() const { return machine.nowMicros(); }
};

}  // namespace

// Waits of 0 poll exactly once; busyDelay(n) lasts n * 4 ms and waitSinceMark counts from
// the mark, both blocking for the time left instead of polling through it, and both right
// across the tick count's wrap past 2^32; a loop that only pumps does not spin.
TEST(Pacing, WaitsLastTheirTimeWithoutSpinning) {
    for (const bool delay : {false, true}) {
        PacedGame paced;
        markFrameStart(*paced);
        delay ? busyDelay(*paced, 0) : waitSinceMark(*paced, 0);
        EXPECT_EQ(paced.machine.pollCount(), 1u);
        EXPECT_EQ(paced.machine.waitCount(), 0u);
    }
    for (const int32_t n : {1, 10, 999}) {
        PacedGame paced;
        busyDelay(*paced, n);
        const uint64_t lasted = paced.micros() - uint64_t{kStartMs} * 1000;
        EXPECT_GE(lasted, n * 4000u) << n;
        EXPECT_LE(lasted, n * 4000u + 2 * paced.machine.pollCostMicros) << n;
        EXPECT_LE(paced.machine.pollCount(), 3u) << n;
    }
    PacedGame paced;
    paced.machine.setTicks(UINT32_MAX - 5);
    markFrameStart(*paced);
    paced.machine.advance(3);
    waitSinceMark(*paced, 20);
    EXPECT_EQ(paced.machine.ticks(), 14u);
    paced.machine.setTicks(UINT32_MAX - 1);
    busyDelay(*paced, 10);
    EXPECT_EQ(paced.machine.ticks(), 38u);

    const uint64_t polls = paced.machine.pollCount();
    for (int i = 0; i < 1000; ++i) waitSinceMark(*paced, 0);
    EXPECT_EQ(paced.machine.pollCount() - polls, 1000u);
    EXPECT_GE(paced.machine.ticks() - 38, 990u);  // a millisecond per empty pump
    EXPECT_LE(paced.machine.ticks() - 38, 1005u);
}

// While Ctrl is held every wait ends after one poll; pressed during a wait it ends it at
// once; released, the pacing is back.
TEST(Pacing, CtrlHeldEndsEveryWaitAfterOnePoll) {
    PacedGame paced;
    paced.machine.keyDown(kStartMs, key::Ctrl);
    pumpMessages(*paced);
    const uint64_t polls = paced.machine.pollCount();
    markFrameStart(*paced);
    waitSinceMark(*paced, 900);
    busyDelay(*paced, 999);
    EXPECT_EQ(paced.machine.pollCount() - polls, 2u);
    EXPECT_EQ(paced.machine.ticks(), kStartMs);

    paced.machine.keyUp(kStartMs, key::Ctrl);
    paced.machine.keyDown(kStartMs + 7, key::Ctrl);
    busyDelay(*paced, 250);  // a second, cut short after 7 ms
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 7);
    paced.machine.keyUp(kStartMs + 7, key::Ctrl);
    busyDelay(*paced, 5);
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 27);
}

// Key-downs and key-ups set and clear keyDown (codes of 200 and above are not recorded);
// a key that arrives during a wait is taken at its own time.
TEST(Pacing, KeysReachTheKeyTable) {
    PacedGame paced;
    for (const int code : {key::Ctrl, int{'Q'}, 199, 200, 255, 100000, -3}) {
        paced.machine.keyDown(kStartMs, code);
    }
    pumpMessages(*paced);
    int down = 0;
    for (const uint8_t entry : paced->keyboard.keyDown) down += entry;
    EXPECT_EQ(down, 3);
    EXPECT_EQ(paced->keyboard.keyDown[199], 1);
    EXPECT_EQ(paced->keyboard.pacingOn, 0);  // Ctrl's, and nothing written past the table

    paced.machine.keyUp(kStartMs + 20, 'Q');
    paced.machine.keyDown(kStartMs + 70, 'Z');
    pumpMessagesWaiting(*paced, 1000);
    EXPECT_EQ(paced->keyboard.keyDown['Q'], 0);
    pumpMessagesWaiting(*paced, 1000);
    EXPECT_EQ(paced->keyboard.keyDown['Z'], 1);
    EXPECT_EQ(paced.machine.ticks(), kStartMs + 70);
}

// Pause, the right button, closing the window and a quit request end the program with
// status 0 at once, from inside any wait, and give the display back; Pause's key-up does not.
TEST(Pacing, EndingsLeaveWithStatusZero) {
    for (const Event ending : {Event{EventKind::KeyDown, key::Pause, false},
                               Event{EventKind::RightButton, 0, false},
                               Event{EventKind::Close, 0, false},
                               Event{EventKind::Quit, 0, false}}) {
        PacedGame paced;
        paced.machine.push(kStartMs + 100, ending);
        try {
            busyDelay(*paced, 999);
            ADD_FAILURE() << "no ending " << int(ending.kind);
        } catch (const ProgramExit& exit) {
            EXPECT_EQ(exit.status, 0);
        }
        EXPECT_EQ(paced.machine.ticks(), kStartMs + 100);
        EXPECT_FALSE(paced.machine.displayOpen());
    }
    PacedGame paced;
    paced.machine.keyUp(kStartMs, key::Pause);
    EXPECT_NO_THROW(pumpMessages(*paced));
}

// A present that falls due during a round frame's wait is made at its start (at most the
// spin guard's millisecond in), never in its last millisecond; the page is still presented
// at least once every refresh interval.
TEST(Pacing, APresentDueDuringAWaitHappensAtItsStart) {
    for (const int32_t wait : {1, 2, 3, 4}) {
        PacedGame paced;
        std::vector<uint64_t> presents;
        paced.machine.onPresent = [&](const auto& page) { presents.push_back(page.atMicros); };
        for (int frame = 0; frame < 300; ++frame) {
            const uint64_t frameStart = paced.micros();
            const size_t before = presents.size();
            busyDelay(*paced, wait);
            for (size_t i = before; i < presents.size(); ++i) {
                EXPECT_LE(presents[i] - frameStart, 1100u) << "WAIT " << wait;
                EXPECT_LT(presents[i] + 1000, paced.micros()) << "WAIT " << wait;
            }
        }
        ASSERT_GT(presents.size(), 10u);
        for (size_t i = 1; i < presents.size(); ++i) {
            EXPECT_LE(presents[i] - presents[i - 1], paced.machine.refreshMs * 1000u + 1100);
        }
    }
}
