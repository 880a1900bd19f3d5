// Whole sessions over ENet on the loopback address: joins and refusals, matches of two and
// four machines played directly and through a slow, lossy relay, a machine that stops
// answering and a host that leaves.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "net/enet_link.h"
#include "tests/net/loopback_match.h"

using namespace net;
using loopback::awaitEvent;

namespace {

// The reason the host gives a machine of `gameVersion`; the refusal names the host's version.
RefusalReason refusalOf(const NetSession& host, uint32_t gameVersion) {
    std::unique_ptr<NetSession> guest;
    const NetEvent refused = loopback::join(host.port(), guest, gameVersion);
    EXPECT_EQ(refused.kind, NetEvent::Kind::Refused);
    EXPECT_EQ(refused.hostVersion, host.gameVersion());
    return refused.refusal;
}

}  // namespace

TEST(Session, JoinsAreRefusedFromAnotherVersionToAFullGameAndDuringAMatch) {
    loopback::Machines machines = loopback::gather(4);
    EXPECT_EQ(machines.sessions[3]->lobby().names[2].view(), "GUEST2");
    EXPECT_EQ(refusalOf(*machines.sessions[0], 8), RefusalReason::OtherVersion);
    EXPECT_EQ(refusalOf(*machines.sessions[0], 7), RefusalReason::GameFull);
    machines.sessions.pop_back();  // machine 3 leaves: its slot goes back to the host
    const NetEvent left = awaitEvent(*machines.sessions[1], {NetEvent::Kind::MachineLeft});
    EXPECT_EQ(left.name.view(), "GUEST3");
    EXPECT_EQ(machines.sessions[1]->lobby().slotOwner[3], kHostMachine);
    loopback::startMatch(machines);
    EXPECT_EQ(refusalOf(*machines.sessions[0], 7), RefusalReason::MatchUnderWay);
}

// Every machine plays the scripted frames, the same ones, allocating nothing meanwhile.
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
    }
}

// Machine 2 stops taking frames after 300, its link cut (as a killed machine's) or its network
// side still answering (a hung game, a person who suspended it): after 3 s of waiting for it,
// its slot turns COM once, at the same frame on the others, and their match goes on. Then the
// host leaves: the other machine's match stops, saying so.
TEST(Session, AStoppedMachineTurnsComAtTheSameFrameEverywhereThenTheHostLeaves) {
    for (const bool cut : {true, false}) {
        SCOPED_TRACE(cut ? "cut off" : "still answering");
        loopback::Machines machines = loopback::gather(3, {cut ? 20 : 0, 0});
        loopback::startMatch(machines);
        const int frames = cut ? 1500 : 1000;
        const auto played = loopback::play(machines, {frames, 2, 300, [&](int) {
                                                          if (cut) machines.relay->cut(1);
                                                      }});
        const double stopMs = played[2].atMs.back();
        ASSERT_EQ(played[0].frames.size(), std::size_t(frames));
        ASSERT_EQ(played[1].frames.size(), std::size_t(frames));
        int comFrames = 0;
        for (int f = 0; f < frames; ++f) {
            ASSERT_EQ(played[1].frames[f].input, played[0].frames[f].input) << f;
            if (played[0].frames[f].input.toComputer == 0b0100) {
                ++comFrames;
                EXPECT_GE(played[0].atMs[f] - stopMs, 2900);
            }
        }
        EXPECT_EQ(comFrames, 1);
        EXPECT_EQ(awaitEvent(*machines.sessions[1], {NetEvent::Kind::MachineLeft}).machine, 2);
        if (!cut) continue;
        machines.sessions[0].reset();
        awaitEvent(*machines.sessions[1], {NetEvent::Kind::HostGone});
        NetFrame frame;
        EXPECT_EQ(machines.sessions[1]->takeFrame(frame), FrameStatus::Stopped);
        StopReason reason{};
        Checkpoint at;
        EXPECT_TRUE(machines.sessions[1]->stopped(reason, at));
        EXPECT_EQ(reason, StopReason::HostLeft);
    }
}

// Control messages are never dropped without a word: a burst of slot changes larger than the
// outbox all reach the joined machine (the game's side waits for room), and a host whose
// outbox cannot keep up (no waiting allowed here) ends its session and says so, and the
// joined machine learns that the host has gone.
TEST(Session, ControlMessagesArriveOrTheSessionEndsWithAMessage) {
    for (const uint32_t waitMs : {2000u, 0u}) {
        SCOPED_TRACE(waitMs);
        loopback::Machines machines = loopback::gather(2, {}, waitMs);
        NetSession* host = machines.sessions[0].get();
        NetSession* guest = machines.sessions[1].get();
        bool allGiven = true;
        for (int i = 0; i < 301; ++i) allGiven &= host->giveSlot(i % 4, uint8_t((i / 4) % 2));
        if (waitMs > 0) {
            EXPECT_TRUE(allGiven);
            const Lobby last = host->lobby();
            loopback::waitFor([&] { return guest->lobby() == last; });
        } else {
            EXPECT_FALSE(allGiven);
            awaitEvent(*host, {NetEvent::Kind::Failed});
            awaitEvent(*guest, {NetEvent::Kind::HostGone});
        }
    }
}

// A quick rematch: the host ends its match and starts the next one before a joined machine
// has taken the end. That machine ends its match as the host did, and only then is the new
// one there, with the new match's own decisions.
TEST(Session, AJoinedMachineEndsItsMatchBeforeTheHostsNextOneBegins) {
    loopback::Machines machines = loopback::gather(2);
    NetSession& host = *machines.sessions[0];
    NetSession& guest = *machines.sessions[1];
    const MatchStart first = loopback::startMatch(machines);
    loopback::play(machines, {100});
    host.sendDecision(Decision::EndMatch);
    MatchStart second;
    loopback::waitFor([&] { return host.startMatch(loopback::matchSetup(), second); });
    host.sendDecision(Decision::NextRound);
    // Both reach the guest in a few milliseconds over the loopback, in order (one reliable
    // channel), while its game has not yet looked.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Decision decision{};
    ASSERT_EQ(guest.takeDecision(decision, 2000), FrameStatus::Ready);
    EXPECT_EQ(decision, Decision::EndMatch);
    MatchStart seen;
    guest.matchLeft();
    ASSERT_TRUE(guest.matchStart(seen));
    EXPECT_NE(seen.match, first.match);
    EXPECT_EQ(seen, second);
    ASSERT_EQ(guest.takeDecision(decision, 2000), FrameStatus::Ready);
    EXPECT_EQ(decision, Decision::NextRound);
}

// The host's decisions ride on its inputs as well: a joined machine whose decision message
// never came (here the host, played by the test, sends none) takes it from them.
TEST(Session, AJoinedMachineTakesTheHostsDecisionFromItsInputs) {
    std::string error;
    auto host = EnetLink::listen(0, 2, {}, error);
    ASSERT_TRUE(host) << error;
    SessionOptions options;
    auto guest = NetSession::join("127.0.0.1:" + std::to_string(host->port()), options, error);
    ASSERT_TRUE(guest) << error;
    Lobby lobby{0b11, {makeName("HOST"), makeName("GUEST")}, {0, 1, 0, 0}};
    MatchStart start{5, 1, {}, 0, {}, {1, 1, 0, 0}, lobby.slotOwner, 0b11, 3, 12, 250};
    Inputs inputs{5, 0, {}, 1, Decision::EndMatch, 0, {}};
    Decision decision{};
    int peer = -1;
    loopback::waitFor([&] {
        LinkEvent event;
        Message message;
        while (host->service(event, 1)) {
            if (event.kind != LinkEvent::Kind::Received ||
                !decodeMessage(event.data, event.size, message) ||
                !std::holds_alternative<JoinRequest>(message)) {
                continue;
            }
            host->admit(peer = event.peer);
            for (const Message& reply : {Message(Welcome{1, lobby}), Message(start)}) {
                Packet packet;
                if (encodeMessage(reply, packet)) host->send(peer, packet, true);
            }
        }
        Packet packet;
        if (peer >= 0 && encodeMessage(inputs, packet)) host->send(peer, packet, false);
        return guest->takeDecision(decision, 0) == FrameStatus::Ready;
    });
    EXPECT_EQ(decision, Decision::EndMatch);
}
