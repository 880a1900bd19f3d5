// Whole sessions over ENet on the loopback address: joins and refusals, matches of two and
// four machines played directly and through a slow, lossy relay, a machine that stops
// answering, a host that leaves, and checksums that differ.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/net/loopback_match.h"

using namespace net;

namespace {

// Polls `session` for up to 5 s for an event of `kind`.
bool awaitEvent(NetSession& session, NetEvent::Kind kind, NetEvent& event) {
    for (int i = 0; i < 2500; ++i) {
        while (session.pollEvent(event)) {
            if (event.kind == kind) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

RefusalReason refusalOf(const NetSession& host, uint32_t gameVersion) {
    SessionOptions options;
    options.gameVersion = gameVersion;
    std::string error;
    auto guest = NetSession::join("127.0.0.1:" + std::to_string(host.port()), options, error);
    NetEvent event;
    EXPECT_TRUE(guest && awaitEvent(*guest, NetEvent::Kind::Refused, event));
    return event.refusal;
}

StopReason stopReason(NetSession& session, Checkpoint* at = nullptr) {
    StopReason reason{};
    Checkpoint where;
    EXPECT_TRUE(session.stopped(reason, at ? *at : where));
    return reason;
}

}  // namespace

TEST(Session, JoinsAreRefusedFromAnotherVersionToAFullGameAndDuringAMatch) {
    loopback::Machines machines = loopback::gather(4);
    EXPECT_EQ(machines.sessions[3]->lobby().names[2].view(), "GUEST2");
    EXPECT_EQ(refusalOf(*machines.sessions[0], 8), RefusalReason::OtherVersion);
    EXPECT_EQ(refusalOf(*machines.sessions[0], 7), RefusalReason::GameFull);
    machines.sessions.pop_back();  // machine 3 leaves: its slot goes back to the host
    NetEvent event;
    ASSERT_TRUE(awaitEvent(*machines.sessions[1], NetEvent::Kind::MachineLeft, event));
    EXPECT_EQ(event.name.view(), "GUEST3");
    EXPECT_EQ(machines.sessions[1]->lobby().slotOwner[3], kHostMachine);
    loopback::startMatch(machines);
    EXPECT_EQ(refusalOf(*machines.sessions[0], 7), RefusalReason::MatchUnderWay);
}

// Every machine plays the scripted frames, the same ones, and ends the match normally.
TEST(Session, TwoAndFourMachinesPlayTheSameFramesDirectlyAndThroughDelayAndLoss) {
    const struct {
        int count;
        loopback::Distance distance;
        int frames;
    } cases[] = {{2, {}, 3000}, {4, {}, 3000}, {2, {50, 0.02}, 600}, {4, {50, 0.02}, 600}};
    for (const auto& c : cases) {
        loopback::Machines machines = loopback::gather(c.count, c.distance);
        const MatchStart start = loopback::startMatch(machines);
        const auto played = loopback::play(machines, {c.frames});
        const std::vector<FrameInput> expected = loopback::expectedFrames(start, c.frames);
        for (int m = 0; m < c.count; ++m) {
            ASSERT_EQ(played[m].frames.size(), std::size_t(c.frames)) << "machine " << m;
            EXPECT_EQ(played[m].allocations, 0) << "machine " << m;
            for (int f = 0; f < c.frames; ++f) {
                ASSERT_EQ(played[m].frames[f].input, expected[f])
                    << "machine " << m << " frame " << f;
            }
        }
        for (net::Decision d : {net::Decision::NextRound, net::Decision::EndMatch})
            machines.sessions[0]->sendDecision(d);
        for (int m = 1; m < c.count; ++m) {
            for (net::Decision sent : {net::Decision::NextRound, net::Decision::EndMatch}) {
                net::Decision taken{};
                EXPECT_EQ(machines.sessions[m]->takeDecision(taken, 5000), FrameStatus::Ready);
                EXPECT_EQ(taken, sent);
            }
            NetFrame frame;
            EXPECT_EQ(machines.sessions[m]->takeFrame(frame), FrameStatus::Stopped);  // ended
            StopReason reason;
            Checkpoint at;
            EXPECT_FALSE(machines.sessions[m]->stopped(reason, at));  // every checksum agreed
        }
    }
}

TEST(Session, ASilentMachineTurnsComAtTheSameFrameEverywhereThenTheHostLeaves) {
    loopback::Machines machines = loopback::gather(3, {20, 0});
    loopback::startMatch(machines);
    loopback::Script script{1500};
    script.quitter = 2;
    script.quitAt = 300;
    script.quit = [&](int) { machines.relay->cut(1); };
    const auto played = loopback::play(machines, script);
    const double quitMs = played[2].atMs.back();
    ASSERT_EQ(played[0].frames.size(), 1500u);
    ASSERT_EQ(played[1].frames.size(), 1500u);
    int comFrames = 0;
    for (int f = 0; f < 1500; ++f) {
        ASSERT_EQ(played[1].frames[f].input, played[0].frames[f].input) << f;
        ASSERT_EQ(played[1].frames[f].slotsToCom, played[0].frames[f].slotsToCom) << f;
        if (played[0].frames[f].slotsToCom == 0b0100) {
            ++comFrames;
            EXPECT_GE(played[0].atMs[f] - quitMs, 2900);  // silent for 3 s first
        }
    }
    EXPECT_EQ(comFrames, 1);
    NetEvent event;
    EXPECT_TRUE(awaitEvent(*machines.sessions[0], NetEvent::Kind::MachineLeft, event));

    machines.sessions[0].reset();
    EXPECT_TRUE(awaitEvent(*machines.sessions[1], NetEvent::Kind::HostGone, event));
    NetFrame frame;
    EXPECT_EQ(machines.sessions[1]->takeFrame(frame), FrameStatus::Stopped);
    EXPECT_EQ(stopReason(*machines.sessions[1]), StopReason::HostLeft);
}

TEST(Session, ADifferentChecksumStopsTheMatchOnEveryMachine) {
    loopback::Machines machines = loopback::gather(3);
    loopback::startMatch(machines);
    loopback::Script script{1000};
    script.miscounter = 2;  // machine 1 agrees with the host: the host tells it
    const auto played = loopback::play(machines, script);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(played[m].end, FrameStatus::Stopped);
        Checkpoint at;
        EXPECT_EQ(stopReason(*machines.sessions[m], &at), StopReason::Divergence);
        EXPECT_EQ(at, (Checkpoint{CheckpointKind::Frame, 99}));
    }
}
