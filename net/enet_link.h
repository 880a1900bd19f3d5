// The one place that sees ENet: a UDP endpoint with a reliable ordered channel for control
// messages and an unsequenced one for inputs, peers numbered by small indices. Not
// thread-safe: one thread owns a link and calls everything on it.
//
// A listening link keeps its door: a connection is pending until the session admits it
// (its join request was accepted). A pending connection
// - is dropped without a word kJoinWithinMs after its connection request;
// - gives way when a new request finds every place taken (those from the machine holding
//   the most places first, then unfinished handshakes, then the oldest), so pending ones
//   never keep out a real join;
// - is never sent more bytes than arrived from its address: each connection request is
//   answered once (a repeated request, or datagrams that show the answer was lost, once
//   more), ENet resends nothing to it by itself, and a datagram whose acknowledgements would
//   go over is dropped unread;
// - may send only what a join needs (acknowledgements, pings and reliable messages); any
//   other datagram from it is dropped unread, so a flood from it costs the host little.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/protocol.h"

struct _ENetHost;
struct _ENetPacket;
struct _ENetEvent;

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

// What a connection request of the game's carries; a host refuses connections without it.
inline constexpr uint32_t kConnectMagic = 0x44565250;
// How long a connection may stay pending before the host drops it.
inline constexpr int64_t kJoinWithinMs = 2000;

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
    // False when the packet cannot be queued for a connected peer (a pending one: when it
    // would go over what its address sent).
    bool send(int peer, const Packet& packet, bool reliable);
    // A listening link: `peer` has joined; the door's limits no longer apply to it.
    void admit(int peer);
    // Politely (after what is queued to it), or at once without waiting for an answer.
    void disconnect(int peer);
    void disconnectNow(int peer);
    void flush();
    bool anyConnected() const;

    uint16_t port() const;                 // the port a listening link took
    uint32_t roundTripMs(int peer) const;  // ENet's smoothed measure
    uint64_t bytesSent() const { return bytesSent_; }
    uint64_t bytesReceived() const { return bytesReceived_; }

private:
    // A listening link's account of a connection place while it is pending.
    struct Place {
        bool pending = false;  // taken by a connection not admitted yet
        bool admitted = false;
        int64_t sinceMs = 0;   // its connection request
        int64_t received = 0;  // bytes from its address, and to it
        int64_t sent = 0;
        int datagrams = 0;  // passed on to ENet since the request
    };

    EnetLink(_ENetHost* host, LinkSettings settings, bool listening);
    void releaseReceived();
    void countTraffic();
    int64_t nowMs() const;
    static int intercept(_ENetHost* host, _ENetEvent* event);
    bool screen(const uint8_t* data, std::size_t size);
    void makeRoom(const uint8_t* data, std::size_t size);
    bool giveWayBefore(int a, int b) const;
    void answerAgain(int peer);
    bool spend(int peer, int64_t bytes);
    void keepDoor();
    void drop(int peer);

    _ENetHost* host_;
    LinkSettings settings_;
    bool listening_;
    _ENetPacket* received_ = nullptr;
    uint64_t bytesSent_ = 0;
    uint64_t bytesReceived_ = 0;
    std::unique_ptr<Place[]> places_;
};

}  // namespace net
