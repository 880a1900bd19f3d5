// A machine on the loopback address that misbehaves towards a host, as one on the internet
// may: it holds connections open without ever asking to join, sends connection requests
// from an address that never answers (as a forged source address would), and floods a host
// with small packets. Each counts the bytes the host sent it. Test equipment, not part of
// the game; the program hostile_client runs it against a real host.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "net/enet_link.h"

namespace hostile {

// Connections made as the game's own client makes them (the host's connection handshake
// completes), that never send a join request. Held until destroyed.
class IdleConnections {
public:
    IdleConnections(uint16_t hostPort, int count);
    ~IdleConnections();
    // Services every connection for `ms` (they answer what ENet answers by itself).
    void service(int ms);
    int connected() const;     // how many the host let finish the handshake
    // Those that finished the handshake in the first service() ask to join (late, perhaps)
    // as the game would, as machines of `gameVersion`; how many heard anything back within
    // `ms`. (The others may have asked for a connection again since.)
    int askToJoin(uint32_t gameVersion, int ms);
    uint64_t bytesSent() const;  // by all of them, UDP payloads
    // The most any one of them received from the host, against what that one sent.
    uint64_t mostReceived(uint64_t& sentByIt) const;

private:
    // Services every link for `ms`, marking in `seen` those that had an event of `kind`.
    void serviceAll(int ms, net::LinkEvent::Kind kind, std::vector<bool>& seen);

    std::vector<std::unique_ptr<net::EnetLink>> links_;
    std::vector<bool> connected_;
    std::vector<bool> early_;  // connected in the first service()
};

// Connection requests from one socket that never answers the host's reply, each with an
// identity of its own: every one takes a connection place on the host until it is dropped.
class ForgedConnects {
public:
    // Sends from `from` (another loopback address stands for another machine).
    explicit ForgedConnects(uint16_t hostPort, const char* from = "127.0.0.1");
    ~ForgedConnects();
    void send(int count);
    // Counts what arrives for `ms`.
    void listen(int ms);
    uint64_t bytesSent() const { return sent_; }
    uint64_t bytesReceived() const { return received_; }

private:
    int socket_;
    uint16_t hostPort_;
    uint32_t nextIdentity_ = 0x5EED0001;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
};

// A connected machine that never joins and sends small packets as fast as it can, on a
// thread of its own, until destroyed; it connects again whenever it loses its connection.
class Flood {
public:
    explicit Flood(uint16_t hostPort);
    ~Flood();
    bool connected() const { return connected_; }
    uint64_t packetsSent() const { return packets_; }

private:
    void run(uint16_t hostPort);

    std::atomic<bool> quitting_{false};
    std::atomic<bool> connected_{false};
    std::atomic<uint64_t> packets_{0};
    std::thread thread_;
};

}  // namespace hostile
