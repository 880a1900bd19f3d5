// The lockstep rules, frame by frame, over an in-memory star of machines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "net/lockstep.h"
#include "tests/net/loopback_match.h"

using namespace net;

namespace {

constexpr int kDelay = 3;
constexpr KeyChange kDown = KeyChange::Down;

FrameInput keys(std::initializer_list<std::pair<int, KeyChange>> changes, bool mark = false) {
    FrameInput input;
    for (auto [key, change] : changes) input.setChange(key, change);
    input.secondMark = mark;
    return input;
}

MatchStart matchOf(MachineMask machines, std::array<uint8_t, kNetSlots> owners) {
    return {0, 0, {}, 0, {}, {1, 1, 1, 1}, owners, machines, kDelay, 4 * kDelay, 100};
}

// Machines 0 .. n-1 of one match; `exchange` passes what each would send to the host or
// from it.
struct Star {
    std::vector<Lockstep> machines;
    MachineMask deaf = 0;  // machines that neither send nor receive any more
    MachineMask idle = 0;  // machines that play no frames for now

    Star(int n, const MatchStart& start) : machines(n) {
        for (int m = 0; m < n; ++m) machines[m].start(start, uint8_t(m), 0);
    }
    Lockstep& operator[](int m) { return machines[m]; }
    void exchange(int64_t nowMs = 0) {
        for (auto& from : machines) {
            for (auto& to : machines) {
                Inputs inputs;
                const bool hostLink = (from.self() == kHostMachine) != (to.self() == kHostMachine);
                if (!hostLink || hasMachine(deaf, from.self()) || hasMachine(deaf, to.self()) ||
                    !from.inputsFor(to.self(), inputs, 1100, nowMs)) {
                    continue;
                }
                to.receiveInputs(from.self(), inputs, nowMs);
            }
        }
    }
    // Every machine that still plays submits its scripted keys and takes what frames it can.
    void playRound(std::vector<std::vector<NetFrame>>& played) {
        for (std::size_t m = 0; m < machines.size(); ++m) {
            if (hasMachine(deaf | idle, uint8_t(m))) continue;
            Lockstep& machine = machines[m];
            NetFrame frame;
            do {
                const uint32_t f = machine.nextFrame();
                if (machine.wantsLocalInput()) {
                    machine.submitLocal(loopback::scriptedChanges(int(m), f),
                                        loopback::scriptedMark(f));
                }
            } while (machine.takeFrame(frame) && (played[m].push_back(frame), true));
        }
    }
};

}  // namespace

TEST(Lockstep, LocalKeysActAfterTheDelayOnceEveryMachineHasSpoken) {
    Star star(3, matchOf(0b111, {0, 1, 2, 0}));
    NetFrame frame;
    // Each presses a key of its own, one of another slot's and one of the host's keys.
    const FrameInput host =
        keys({{slotKey(0, 0), kDown}, {MatchKeyEsc, kDown}, {slotKey(1, 1), kDown}});
    const FrameInput guest =
        keys({{slotKey(1, 2), KeyChange::Up}, {slotKey(0, 2), kDown}, {MatchKeyEnter, kDown}});
    star[0].submitLocal(host.changes, true);
    star[1].submitLocal(guest.changes, true);  // only the host's marks count
    star[2].submitLocal(0, false);
    EXPECT_FALSE(star[0].wantsLocalInput());  // one record per played frame
    for (uint32_t f = 0; f < kDelay; ++f) {
        ASSERT_TRUE(star[0].takeFrame(frame) && frame.frame == f && frame.input == FrameInput{});
    }
    EXPECT_FALSE(star[0].takeFrame(frame));  // the guest's record for frame 3 is missing
    // A guest that sends keys it does not own, or records in another machine's name.
    Inputs forged{0, 0, {}, 0, Decision::NextRound, 2, {}};
    forged.windows[0] = {1, kDelay, 1, {guest.changes | kSecondMark}};
    forged.windows[1] = {2, kDelay, 1, {keys({{slotKey(2, 0), kDown}}).changes}};
    star[0].receiveInputs(1, forged, 0);
    star.exchange();
    star.exchange();  // the host passes each guest's record on to the other
    const FrameInput expected =
        keys({{slotKey(0, 0), kDown}, {MatchKeyEsc, kDown}, {slotKey(1, 2), KeyChange::Up}}, true);
    for (int m = 0; m < 3; ++m) {
        for (int f = m ? 0 : kDelay; f < kDelay; ++f) star[m].takeFrame(frame);
        ASSERT_TRUE(star[m].takeFrame(frame));
        EXPECT_EQ(frame.input, expected) << "machine " << m;
    }
}

TEST(Lockstep, ASilentMachineTurnsComAtTheSameFrameOnEveryMachine) {
    const MatchStart start = matchOf(0b111, {0, 1, 2, 2});
    Star star(3, start);
    std::vector<std::vector<NetFrame>> played(3);
    for (int turn = 0; turn < 50; ++turn) {
        if (turn == 45) star.idle = 0b001;  // the host lags; the others play what it passed on
        star.playRound(played);
        star.exchange(turn);
    }
    star.deaf = 0b100;
    for (int turn = 0; turn < 50; ++turn) {
        star.playRound(played);
        star.exchange(3000);
    }
    EXPECT_EQ(star[0].silentPeers(3048, 3000), 0);
    EXPECT_EQ(star[0].silentPeers(3049, 3000), 0b100);
    EXPECT_EQ(star[1].silentPeers(3999, 3000), 0);  // it hears the host, not machine 2
    // The frame after the last record of machine 2 the host holds: nobody played past it.
    const uint32_t from = star[0].dropMachine(2);
    EXPECT_GT(from, played[0].size());
    star[1].machineGone(2, from);
    star.deaf = star.idle = 0;  // a late packet of the gone machine changes nothing
    for (int turn = 0; turn < 200; ++turn) {
        star.playRound(played);
        star.exchange(4000);
    }
    for (int m = 0; m < 2; ++m) {
        ASSERT_GT(played[m].size(), from + 100);
        for (uint32_t f = 0; f < from + 100; ++f) {
            EXPECT_EQ(played[m][f].input.toComputer, f == from ? 0b1100 : 0) << m << " " << f;
            EXPECT_EQ(played[m][f].input, played[0][f].input);
        }
    }
}

TEST(Lockstep, TheFirstCheckpointThatDiffersIsReported) {
    Star star(2, matchOf(0b11, {0, 1, 0, 0}));
    const Checkpoint at[] = {{CheckpointKind::Frame, 99},
                             {CheckpointKind::Round, 0},
                             {CheckpointKind::Frame, 199},
                             {CheckpointKind::Frame, 299}};
    const Checkpoint guestAt[] = {at[0], at[1], {CheckpointKind::Round, 1}, at[3]};
    const uint64_t host[] = {5, 6, 7, 8};
    const uint64_t guest[] = {5, 6, 7, 80};  // the third was taken at another checkpoint
    for (int i = 0; i < 2; ++i) star[1].receiveChecksum(0, star[0].submitChecksum(at[i], host[i]));
    for (int i = 0; i < 4; ++i) {
        star[0].receiveChecksum(1, star[1].submitChecksum(guestAt[i], guest[i]));
    }
    Checkpoint first;
    EXPECT_FALSE(star[1].diverged(first));  // it has not seen the host's third yet
    for (int i = 2; i < 4; ++i) star[1].receiveChecksum(0, star[0].submitChecksum(at[i], host[i]));
    ASSERT_TRUE(star[0].diverged(first));
    EXPECT_EQ(first, at[2]);
    ASSERT_TRUE(star[1].diverged(first));
    EXPECT_EQ(first, guestAt[2]);
}

TEST(Lockstep, InputDelayCoversTheLongestPathThroughTheHost) {
    const struct {
        std::vector<uint32_t> roundTrips;
        double periodMs;
        int delay;
    } cases[] = {
        {{}, 4, 3},              // the margin alone: 12 ms
        {{1}, 4, 4},             // 1 + 12 ms
        {{100}, 4, 16},          // half a round trip and the margin: 62 ms, 15.5 frames
        {{100, 60, 100}, 4, 28},  // guest to guest through the host: 112 ms
        {{100}, 40, 2},          // the same 62 ms in frames of WAIT 10
        {{2000}, 4, kMaxInputDelay},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseInputDelay(c.roundTrips, c.periodMs), c.delay) << c.roundTrips.size();
    }
}

// The delay is kept in milliseconds. WAIT changes in a frame every machine plays, and each then
// tells the lockstep the new frame length before the next frame: a key read while playing frame
// F acts in frame F + delay, the delay being as many frames of that length as cover the same
// time (64 ms: 16 frames of WAIT 1, 2 of WAIT 10), and both machines play the same frames.
TEST(Lockstep, TheInputDelayStaysTheSameTimeWhenTheFramesChangeLength) {
    MatchStart start = matchOf(0b11, {0, 1, 0, 0});
    start.inputDelay = 16;
    start.inputDelayMs = 64;
    Star star(2, start);
    const int key = slotKey(1, 0);
    const std::vector<uint32_t> presses = {50, 150, 160, 300};
    std::vector<std::vector<NetFrame>> played(2);
    for (int step = 0; step < 2000 && played[0].size() < 400; ++step) {
        for (int m = 0; m < 2; ++m) {
            const auto f = uint32_t(star[m].nextFrame());
            if (played[m].size() == f) {  // before playing frame f: WAIT 10 from 100 to 200
                star[m].setFramePeriod(f >= 100 && f < 200 ? 40 : 4);
            }
            FrameInput local;
            for (uint32_t p : presses) {
                if (m == 1 && f == p) local.setChange(key, kDown);
                if (m == 1 && f == p + 1) local.setChange(key, KeyChange::Up);
            }
            for (bool first = true; star[m].wantsLocalInput(); first = false) {
                star[m].submitLocal(first ? local.changes : 0, false);
            }
            NetFrame frame;
            if (star[m].takeFrame(frame)) played[m].push_back(frame);
        }
        star.exchange();
    }
    ASSERT_GE(played[1].size(), 350u);
    std::vector<uint32_t> actsIn;
    for (std::size_t f = 0; f < played[1].size(); ++f) {
        EXPECT_EQ(played[1][f].input, played[0][f].input) << f;
        if (played[1][f].input.change(key) == kDown) actsIn.push_back(uint32_t(f));
    }
    // Read at 50 (WAIT 1), 150 and 160 (WAIT 10, once the records given ahead are used up),
    // 300 (WAIT 1 again).
    EXPECT_EQ(actsIn, (std::vector<uint32_t>{50 + 16, 150 + 2, 160 + 2, 300 + 16}));
}

// Frame numbers go past 2^32 like any other; "gone from no frame" is no number a machine can
// be told: a machine gone from frame 2^32 - 1 is gone.
TEST(Lockstep, AMachineGoneFromAnyFrameIsGone) {
    Star star(3, matchOf(0b111, {0, 1, 2, 0}));
    star[1].machineGone(2, UINT32_MAX);
    EXPECT_TRUE(star[1].gone(2));
    star[2].machineGone(1, Frame(1) << 40);
    EXPECT_TRUE(star[2].gone(1));
    EXPECT_FALSE(star[0].gone(1));
}
