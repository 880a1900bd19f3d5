// A UDP relay on the loopback address standing in for a distant network: link i gives one
// client a port of its own and passes its datagrams on to the host's port (from a socket of
// its own, so the host sees one address per client) and the answers back, each after a
// fixed delay, losing a share of them at random. Test equipment, not part of the game.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <random>
#include <thread>
#include <vector>

class UdpRelay {
public:
    UdpRelay(uint16_t hostPort, int links, int oneWayDelayMs, double lossRate, uint32_t seed);
    ~UdpRelay();
    uint16_t port(int link) const;  // where the client of `link` connects
    // From now on the link passes nothing: its client seems to stop answering.
    void cut(int link) { links_[link]->cut = true; }
    // The link loses the `index`-th datagram (0: the first) its client sends, or the host.
    void loseFromClient(int link, int index) { links_[link]->loseFromClient = index; }
    void loseFromHost(int link, int index) { links_[link]->loseFromHost = index; }

private:
    struct Link {
        int clientSide, hostSide;
        sockaddr_in client{};
        std::atomic<bool> cut{false};
        std::atomic<int> loseFromClient{-1}, loseFromHost{-1};
        int fromClient = 0, fromHost = 0;  // datagrams seen
    };
    struct Datagram {
        std::chrono::steady_clock::time_point due;
        int socket;
        sockaddr_in to;
        std::vector<uint8_t> bytes;
    };
    void run();
    void receive(Link& link, bool fromClient);

    sockaddr_in host_{};
    std::chrono::milliseconds delay_;
    std::bernoulli_distribution lost_;
    std::mt19937 random_;
    std::vector<std::unique_ptr<Link>> links_;
    std::deque<Datagram> pending_;  // due in arrival order: the delay is fixed
    std::atomic<bool> quitting_{false};
    std::thread thread_;
};
