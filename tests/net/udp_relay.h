// A UDP relay on the loopback address standing in for a distant network: each link gives
// one client a port of its own, passes its datagrams on to the host's port (from a socket of
// its own, so the host sees one address per client) and the answers back, each after a
// fixed delay, losing a share of them at random. Test equipment, not part of the game.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <thread>
#include <vector>

class UdpRelay {
public:
    UdpRelay(uint16_t hostPort, int links, int oneWayDelayMs, double lossRate, uint32_t seed);
    ~UdpRelay();
    // The port the client of `link` connects to.
    uint16_t port(int link) const;
    // From now on the link passes nothing either way: its client seems to stop answering.
    void cut(int link) { links_[link]->cut = true; }

private:
    using Clock = std::chrono::steady_clock;
    struct Link {
        int clientSide = -1;
        int hostSide = -1;
        sockaddr_in client{};
        std::atomic<bool> cut{false};
    };
    struct Datagram {
        Clock::time_point due;
        int socket;
        sockaddr_in to;
        std::vector<uint8_t> bytes;
    };
    void run();
    void receive(int from, const sockaddr_in* to, Link& link, bool fromClient);

    sockaddr_in host_{};
    std::chrono::milliseconds delay_;
    double lossRate_;
    std::mt19937 random_;
    std::vector<std::unique_ptr<Link>> links_;
    std::deque<Datagram> pending_;  // due in arrival order: the delay is fixed
    std::atomic<bool> quitting_{false};
    std::thread thread_;
};
