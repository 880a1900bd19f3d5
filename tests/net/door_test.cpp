// A host against hostile machines on the loopback address: connections that never join,
// connection requests from an address that never answers, and a flood of packets, while
// real machines join and play.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/net/hostile_client.h"
#include "tests/net/loopback_match.h"
#include "tests/net/udp_relay.h"

using namespace net;

// Connection requests that are never followed up and connections that never ask to join
// take the host's places only for 2 s and never keep a real machine out; the host answers
// an address that has not joined with no more bytes than came from it.
TEST(Door, PendingConnectionsKeepNoRealJoinOutAndGetNoMoreBytesThanTheySent) {
    loopback::Machines machines = loopback::gather(1);
    const uint16_t port = machines.sessions[0]->port();

    hostile::ForgedConnects forged(port, "127.0.0.2");  // another machine than the others
    forged.send(4);
    forged.listen(200);  // answered before the others push them out
    std::thread listening([&] { forged.listen(2300); });  // past the time they may stay
    // The connections are serviced all along (a connection left unserviced for long gives up
    // its own request); the real machine asks once they hold their places.
    hostile::IdleConnections idle(port, 20);
    std::thread holding([&] {
        idle.service(100);
        idle.service(2400);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    std::unique_ptr<NetSession> guest;
    EXPECT_EQ(loopback::join(port, guest).kind, NetEvent::Kind::Welcomed);
    holding.join();
    listening.join();

    EXPECT_GT(forged.bytesReceived(), 0u);  // they were answered, each once
    EXPECT_LE(forged.bytesReceived(), forged.bytesSent());
    uint64_t sentByIt = 0;
    const uint64_t most = idle.mostReceived(sentByIt);
    EXPECT_GT(idle.connected(), 0);
    EXPECT_LE(most, sentByIt);
    // 2 s after their requests the host has forgotten them: a join request now is not heard.
    EXPECT_EQ(idle.askToJoin(loopback::kGameVersion, 100), 0);

    // The places are free again: another machine joins at once, and the two play.
    std::unique_ptr<NetSession> second;
    EXPECT_EQ(loopback::join(port, second).kind, NetEvent::Kind::Welcomed);
}

// Three machines that connected without joining flood the host with small packets while two
// machines play a match at WAIT 1: every frame is played on both as it was pressed (the
// host keeps hearing the other machine and sending to it: neither takes it for gone). How
// long the frames take under the flood is measured by bench/probes (net_door_probe).
TEST(Door, AFloodOfPacketsFromMachinesThatNeverJoinedStallsNoMatch) {
    loopback::Machines machines = loopback::gather(2);
    const uint16_t port = machines.sessions[0]->port();
    hostile::Flood floods[] = {hostile::Flood(port), hostile::Flood(port), hostile::Flood(port)};
    loopback::waitFor([&] { return std::ranges::all_of(floods, &hostile::Flood::connected); });
    const MatchStart start = loopback::startMatch(machines);
    const auto played = loopback::play(machines, {750, -1, 0, nullptr, loopback::kFramePeriodMs});
    const auto expected = loopback::expectedFrames(start, 750);
    for (int m = 0; m < 2; ++m) {
        ASSERT_EQ(played[m].frames.size(), 750u) << "machine " << m;
        for (int f = 0; f < 750; ++f) ASSERT_EQ(played[m].frames[f].input, expected[f]) << f;
    }
}

// The door never turns away a real machine whose packets get lost: a machine whose
// connection request's answer is lost, and one whose acknowledgement of it is, both join.
TEST(Door, MachinesJoinWhenTheHandshakeLosesAPacket) {
    loopback::Machines machines = loopback::gather(1);
    UdpRelay relay(machines.sessions[0]->port(), 2, 0, 0, 1);
    relay.loseFromHost(0, 0);    // the host's answer to the request
    relay.loseFromClient(1, 1);  // the acknowledgement of that answer (and the join request)
    std::unique_ptr<NetSession> first, second;
    EXPECT_EQ(loopback::join(relay.port(0), first).kind, NetEvent::Kind::Welcomed);
    EXPECT_EQ(loopback::join(relay.port(1), second).kind, NetEvent::Kind::Welcomed);
}

// A machine that sends connection requests faster than a real machine far away can finish
// its handshake pushes out only its own requests: the real machine joins.
TEST(Door, AMachineAskingAgainAndAgainKeepsNoOtherMachineOut) {
    loopback::Machines machines = loopback::gather(1);
    const uint16_t port = machines.sessions[0]->port();
    UdpRelay far(port, 1, 50, 0, 1);  // 100 ms there and back
    hostile::ForgedConnects forged(port, "127.0.0.2");
    std::atomic<bool> joining{true};
    std::thread asking([&] {
        while (joining) {
            forged.send(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    std::unique_ptr<NetSession> guest;
    EXPECT_EQ(loopback::join(far.port(0), guest).kind, NetEvent::Kind::Welcomed);
    joining = false;
    asking.join();
}
