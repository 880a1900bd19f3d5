// The one place that sees ENet: a UDP endpoint with a reliable ordered channel for control
// messages and an unsequenced one for inputs, peers numbered by small indices. Not
// thread-safe: one thread owns a link and calls everything on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/protocol.h"

struct _ENetHost;
struct _ENetPacket;

namespace net {

struct LinkEvent {
    enum class Kind { Connected, Received, Disconnected };
    Kind kind = Kind::Received;
    int peer = 0;                   // stable while the peer stays connected
    const uint8_t* data = nullptr;  // Received: valid until the next service call
    std::size_t size = 0;
};

struct LinkSettings {
    uint32_t silenceMs = 3000;  // a peer that acknowledges nothing this long is disconnected
    uint32_t pingMs = 100;      // keeps the round trip measured while little else is sent
};

class EnetLink {
public:
    // Listens on `port` (all addresses; 0: any free port) for up to `peers` peers; nullptr and
    // `error` when it cannot (the port is taken, ...).
    static std::unique_ptr<EnetLink> listen(uint16_t port, int peers, const LinkSettings& settings,
                                            std::string& error);
    // Starts connecting to `address`:`port`; the host becomes peer 0 once Connected arrives
    // (or Disconnected, when it cannot be reached).
    static std::unique_ptr<EnetLink> connect(const std::string& address, uint16_t port,
                                             const LinkSettings& settings, std::string& error);
    ~EnetLink();
    EnetLink(const EnetLink&) = delete;
    EnetLink& operator=(const EnetLink&) = delete;

    // Waits up to `timeoutMs` for one event, sending what is queued meanwhile.
    bool service(LinkEvent& event, uint32_t timeoutMs);
    void send(int peer, const Packet& packet, bool reliable);
    // Politely (after what is queued to it), or at once without waiting for an answer.
    void disconnect(int peer);
    void disconnectNow(int peer);
    void flush();
    bool anyConnected() const;

    uint16_t port() const;                 // the port a listening link took
    uint32_t roundTripMs(int peer) const;  // ENet's smoothed measure
    uint64_t bytesSent() const { return bytesSent_; }

private:
    EnetLink(_ENetHost* host, LinkSettings settings, bool listening)
        : host_(host), settings_(settings), listening_(listening) {}
    void releaseReceived();
    void countSent();

    _ENetHost* host_;
    LinkSettings settings_;
    bool listening_;
    _ENetPacket* received_ = nullptr;
    uint64_t bytesSent_ = 0;
};

}  // namespace net
