#include "net/enet_link.h"

#include <enet/enet.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <tuple>
#include <utility>

namespace net {
namespace {

enum Channel : uint8_t { ControlChannel = 0, InputChannel = 1, ChannelCount = 2 };
constexpr std::size_t kMaxWaitingBytes = 64 * 1024;

// What the host's ENet sends, in bytes, for the door's account: the datagram header with
// its sent time, the answer to a connection request, an acknowledgement, a reliable
// message's command and a disconnection.
constexpr int64_t kHeaderBytes = 4;
constexpr int64_t kVerifyBytes = kHeaderBytes + sizeof(ENetProtocolVerifyConnect);
constexpr int64_t kAckBytes = sizeof(ENetProtocolAcknowledge);
constexpr int64_t kReliableBytes = sizeof(ENetProtocolSendReliable);
constexpr int64_t kDisconnectBytes = kHeaderBytes + sizeof(ENetProtocolDisconnect);
// Datagrams a pending connection may pass to ENet: a join request and its resends.
constexpr int kPendingDatagrams = 16;
// Nothing is resent to a pending connection before it is dropped.
constexpr uint32_t kNoResendMs = uint32_t(2 * kJoinWithinMs);
// The link whose ENet host is being serviced on this thread (ENet's intercept has no
// context of its own).
thread_local EnetLink* servicing = nullptr;

uint16_t big16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

// A datagram's commands as a pending connection may send them: acknowledgements, pings,
// disconnections, its link settings and reliable messages (at most one). `reliable`: how
// many the host may acknowledge; `acknowledges`: whether it acknowledges anything. False for
// anything else, or a datagram that does not parse.
bool pendingCommands(const uint8_t* data, std::size_t size, std::size_t at, int& reliable,
                     bool& acknowledges) {
    reliable = 0;
    acknowledges = false;
    int messages = 0;
    while (at < size) {
        const uint8_t command = data[at] & ENET_PROTOCOL_COMMAND_MASK;
        std::size_t length = 0;
        switch (command) {
            case ENET_PROTOCOL_COMMAND_ACKNOWLEDGE:
                length = sizeof(ENetProtocolAcknowledge);
                acknowledges = true;
                break;
            case ENET_PROTOCOL_COMMAND_PING:
                length = sizeof(ENetProtocolPing);
                break;
            case ENET_PROTOCOL_COMMAND_DISCONNECT:
                length = sizeof(ENetProtocolDisconnect);
                break;
            case ENET_PROTOCOL_COMMAND_THROTTLE_CONFIGURE:  // a client's settings
                length = sizeof(ENetProtocolThrottleConfigure);
                break;
            case ENET_PROTOCOL_COMMAND_BANDWIDTH_LIMIT:
                length = sizeof(ENetProtocolBandwidthLimit);
                break;
            case ENET_PROTOCOL_COMMAND_SEND_RELIABLE:
                if (at + sizeof(ENetProtocolSendReliable) > size || ++messages > 1) return false;
                length = sizeof(ENetProtocolSendReliable) + big16(data + at + 4);
                break;
            default:
                return false;
        }
        if (at + length > size) return false;
        if (data[at] & ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE) ++reliable;
        at += length;
    }
    return true;
}

bool initialiseEnet() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = enet_initialize() == 0; });
    return ok;
}

ENetHost* makeHost(const ENetAddress* address, int peers) {
    ENetHost* host = enet_host_create(address, std::size_t(peers), ChannelCount, 0, 0);
    if (host) {
        host->maximumPacketSize = kMaxPacketBytes;
        host->maximumWaitingData = kMaxWaitingBytes;
    }
    return host;
}

// Silence and round-trip settings, and inputs never thinned out by ENet's throttle (a lost
// input costs less than a thinned stream).
void configurePeer(ENetPeer* peer, const LinkSettings& settings) {
    enet_peer_timeout(peer, 0, settings.silenceMs, settings.silenceMs);
    enet_peer_ping_interval(peer, settings.pingMs);
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL,
                                 ENET_PEER_PACKET_THROTTLE_SCALE, 0);
}

}  // namespace

EnetLink::EnetLink(ENetHost* host, LinkSettings settings, bool listening)
    : host_(host), settings_(settings), listening_(listening) {
    if (listening_) {
        places_ = std::make_unique<Place[]>(host_->peerCount);
        host_->intercept = &EnetLink::intercept;
    }
}

std::unique_ptr<EnetLink> EnetLink::listen(uint16_t port, int peers, const LinkSettings& settings,
                                           std::string& error) {
    if (!initialiseEnet()) {
        error = "the network library cannot start";
        return nullptr;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    ENetHost* host = makeHost(&address, peers);
    if (!host) {
        error = "cannot listen on UDP port " + std::to_string(port);
        return nullptr;
    }
    return std::unique_ptr<EnetLink>(new EnetLink(host, settings, true));
}

std::unique_ptr<EnetLink> EnetLink::connect(const std::string& name, uint16_t port,
                                            const LinkSettings& settings, std::string& error) {
    if (!initialiseEnet()) {
        error = "the network library cannot start";
        return nullptr;
    }
    ENetAddress address{};
    if (enet_address_set_host(&address, name.c_str()) != 0) {
        error = "unknown address " + name;
        return nullptr;
    }
    address.port = port;
    ENetHost* host = makeHost(nullptr, 1);
    ENetPeer* peer =
        host ? enet_host_connect(host, &address, ChannelCount, kConnectMagic) : nullptr;
    if (!peer) {
        if (host) enet_host_destroy(host);
        error = "cannot open a UDP socket";
        return nullptr;
    }
    // The rest of the peer's settings once it is connected (ENet sends some to the other side).
    enet_peer_timeout(peer, 0, settings.silenceMs, settings.silenceMs);
    return std::unique_ptr<EnetLink>(new EnetLink(host, settings, false));
}

EnetLink::~EnetLink() {
    releaseReceived();
    enet_host_destroy(host_);
}

void EnetLink::releaseReceived() {
    if (received_) enet_packet_destroy(received_);
    received_ = nullptr;
}

void EnetLink::countTraffic() {
    bytesSent_ += host_->totalSentData;
    host_->totalSentData = 0;
    bytesReceived_ += host_->totalReceivedData;
    host_->totalReceivedData = 0;
}

int64_t EnetLink::nowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool EnetLink::service(LinkEvent& event, uint32_t timeoutMs) {
    releaseReceived();
    if (listening_) keepDoor();
    ENetEvent e;
    servicing = this;
    const int result = enet_host_service(host_, &e, timeoutMs);
    servicing = nullptr;
    countTraffic();
    if (listening_) keepDoor();
    if (result <= 0) return false;
    event = LinkEvent{};
    event.peer = int(e.peer - host_->peers);
    switch (e.type) {
        case ENET_EVENT_TYPE_CONNECT:
            // A host hears connection requests; only ours carry the magic. Until it joins, a
            // connection is not pinged (it would be sent more than it sent).
            if (listening_) {
                if (e.data != kConnectMagic) {
                    drop(event.peer);
                    return false;
                }
                enet_peer_timeout(e.peer, 0, settings_.silenceMs, settings_.silenceMs);
                enet_peer_ping_interval(e.peer, kNoResendMs);
            } else {
                configurePeer(e.peer, settings_);
            }
            event.kind = LinkEvent::Kind::Connected;
            return true;
        case ENET_EVENT_TYPE_DISCONNECT:
            event.kind = LinkEvent::Kind::Disconnected;
            return true;
        case ENET_EVENT_TYPE_RECEIVE:
            received_ = e.packet;
            event.kind = LinkEvent::Kind::Received;
            event.data = e.packet->data;
            event.size = e.packet->dataLength;
            return true;
        default:
            return false;
    }
}

bool EnetLink::send(int peer, const Packet& packet, bool reliable) {
    if (packet.size == 0 || peer < 0 || std::size_t(peer) >= host_->peerCount) return false;
    ENetPeer* target = &host_->peers[peer];
    if (target->state != ENET_PEER_STATE_CONNECTED) return false;
    if (!spend(peer, kHeaderBytes + kReliableBytes + int64_t(packet.size))) return false;
    ENetPacket* p =
        enet_packet_create(packet.bytes.data(), packet.size,
                           reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (!p) return false;
    if (enet_peer_send(target, reliable ? ControlChannel : InputChannel, p) != 0) {
        enet_packet_destroy(p);
        return false;
    }
    return true;
}

void EnetLink::admit(int peer) {
    if (!listening_ || peer < 0 || std::size_t(peer) >= host_->peerCount) return;
    places_[peer].admitted = true;
    places_[peer].pending = false;
    configurePeer(&host_->peers[peer], settings_);
}

void EnetLink::disconnect(int peer) {
    if (peer >= 0 && std::size_t(peer) < host_->peerCount) {
        // A pending connection is left to its time limit when saying goodbye would go over.
        if (!spend(peer, kDisconnectBytes)) return;
        enet_peer_disconnect_later(&host_->peers[peer], 0);
    }
}

// ---- The door ----------------------------------------------------------------------------

int EnetLink::intercept(ENetHost* host, ENetEvent*) {
    EnetLink* link = servicing;
    if (!link || link->host_ != host) return 0;
    return link->screen(host->receivedData, host->receivedDataLength) ? 0 : 1;
}

// Whether ENet may read a datagram that arrived: always from an admitted peer; from a pending
// one, what a join needs within its account; a connection request after room is made for it.
bool EnetLink::screen(const uint8_t* data, std::size_t size) {
    if (size < 2) return false;
    const uint16_t word = big16(data);
    const std::size_t header = (word & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) ? 4 : 2;
    if (word & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED) return false;  // our links never compress
    const uint16_t peerId = word & ~uint16_t(ENET_PROTOCOL_HEADER_FLAG_MASK |
                                             ENET_PROTOCOL_HEADER_SESSION_MASK);
    if (peerId == ENET_PROTOCOL_MAXIMUM_PEER_ID) {
        makeRoom(data + header, size - std::min(size, header));
        return true;
    }
    if (peerId >= host_->peerCount) return false;
    const ENetPeer& peer = host_->peers[peerId];
    Place& place = places_[peerId];
    if (place.admitted || !place.pending) return true;  // ENet itself checks the rest
    if (peer.address.host != host_->receivedAddress.host ||
        peer.address.port != host_->receivedAddress.port) {
        return false;
    }
    place.received += int64_t(size);
    int reliable = 0;
    bool acknowledges = false;
    if (place.datagrams >= kPendingDatagrams ||
        !pendingCommands(data, size, header, reliable, acknowledges)) {
        return false;
    }
    ++place.datagrams;
    if (peer.state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT && !acknowledges) {
        // It sends as if connected: the answer to its request or its acknowledgement was
        // lost. ENet would read none of this; the answer goes again once its account allows.
        answerAgain(peerId);
        return false;
    }
    return reliable == 0 || spend(peerId, kHeaderBytes + reliable * kAckBytes);
}

// Has ENet send the answer to a connection request again at once, when the account of the
// pending connection allows it (ENet resends nothing to one by itself: keepDoor).
void EnetLink::answerAgain(int peer) {
    ENetPeer& p = host_->peers[peer];
    for (ENetListIterator c = enet_list_begin(&p.sentReliableCommands);
         c != enet_list_end(&p.sentReliableCommands); c = enet_list_next(c)) {
        auto* command = reinterpret_cast<ENetOutgoingCommand*>(c);
        if ((command->command.header.command & ENET_PROTOCOL_COMMAND_MASK) !=
                ENET_PROTOCOL_COMMAND_VERIFY_CONNECT ||
            !spend(peer, kVerifyBytes)) {
            continue;
        }
        const uint32_t since = host_->serviceTime - command->sentTime;  // ENet's clock wraps
        command->roundTripTimeout = since >= 1 && since < kNoResendMs ? since : 1;
    }
}

// Which of two pending connections gives way first: the one from the address (the machine)
// that holds more pending places, then an unfinished handshake before a finished one, then
// the older. One machine asking again and again thus pushes out only its own requests.
bool EnetLink::giveWayBefore(int a, int b) const {
    const auto rank = [&](int p) {
        int fromThere = 0;
        for (std::size_t i = 0; i < host_->peerCount; ++i) {
            fromThere += places_[i].pending &&
                         host_->peers[i].address.host == host_->peers[p].address.host;
        }
        return std::tuple(-fromThere,
                          host_->peers[p].state != ENET_PEER_STATE_ACKNOWLEDGING_CONNECT,
                          places_[p].sinceMs);
    };
    return rank(a) < rank(b);
}

// A connection request: one repeated (its answer was lost) is answered afresh; a new one
// finds a place, a pending connection giving way when none is free (giveWayBefore). ENet
// takes the first free place, whose account starts with the request and its answer.
void EnetLink::makeRoom(const uint8_t* command, std::size_t size) {
    if (size < sizeof(ENetProtocolConnect) ||
        (command[0] & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT) {
        return;
    }
    uint32_t identity = 0;  // as ENet keeps it: the bytes as they came
    std::memcpy(&identity, command + offsetof(ENetProtocolConnect, connectID), sizeof identity);
    int oldest = -1;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        const ENetPeer& peer = host_->peers[i];
        const Place& place = places_[i];
        if (!place.pending) continue;
        if (peer.state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT &&
            peer.address.host == host_->receivedAddress.host &&
            peer.address.port == host_->receivedAddress.port && peer.connectID == identity) {
            drop(int(i));
            oldest = -1;
            break;
        }
        if (oldest < 0 || giveWayBefore(int(i), oldest)) oldest = int(i);
    }
    std::size_t free = 0;
    while (free < host_->peerCount && host_->peers[free].state != ENET_PEER_STATE_DISCONNECTED) {
        ++free;
    }
    if (free == host_->peerCount && oldest >= 0) {
        drop(oldest);
        free = std::size_t(oldest);
        for (std::size_t i = 0; i < free; ++i) {
            if (host_->peers[i].state == ENET_PEER_STATE_DISCONNECTED) free = i;
        }
    }
    if (free == host_->peerCount) return;
    Place& place = places_[free];
    place = Place{};
    place.pending = true;
    place.sinceMs = nowMs();
    place.received = int64_t(size) + kHeaderBytes;
    place.sent = kVerifyBytes;
}

// Spends `bytes` of a pending connection's account; false when they would go over what its
// address sent. Anything may go to an admitted peer (and a connecting link's host).
bool EnetLink::spend(int peer, int64_t bytes) {
    if (!listening_) return true;
    Place& place = places_[peer];
    if (!place.pending) return true;
    if (place.sent + bytes > place.received) return false;
    place.sent += bytes;
    return true;
}

// Drops pending connections whose time is up, keeps ENet from resending anything to the
// others, and frees the places ENet has let go.
void EnetLink::keepDoor() {
    const int64_t now = nowMs();
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer& peer = host_->peers[i];
        Place& place = places_[i];
        if (peer.state == ENET_PEER_STATE_DISCONNECTED) {
            place = Place{};
            continue;
        }
        if (place.admitted) continue;
        if (!place.pending) {  // a place taken behind the door's back: pending from now
            place.pending = true;
            place.sinceMs = now;
        }
        if (now - place.sinceMs >= kJoinWithinMs) {
            drop(int(i));
            continue;
        }
        for (ENetListIterator c = enet_list_begin(&peer.sentReliableCommands);
             c != enet_list_end(&peer.sentReliableCommands); c = enet_list_next(c)) {
            auto* command = reinterpret_cast<ENetOutgoingCommand*>(c);
            if (command->roundTripTimeout < kNoResendMs) command->roundTripTimeout = kNoResendMs;
            if (command->roundTripTimeoutLimit < kNoResendMs) {
                command->roundTripTimeoutLimit = kNoResendMs;
            }
        }
    }
}

// Forgets a connection without a word to it.
void EnetLink::drop(int peer) {
    enet_peer_reset(&host_->peers[peer]);
    if (listening_) places_[peer] = Place{};
}

void EnetLink::disconnectNow(int peer) {
    if (peer >= 0 && std::size_t(peer) < host_->peerCount) {
        enet_peer_disconnect_now(&host_->peers[peer], 0);
    }
}

void EnetLink::flush() {
    enet_host_flush(host_);
    countTraffic();
}

bool EnetLink::anyConnected() const {
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        if (host_->peers[i].state != ENET_PEER_STATE_DISCONNECTED) return true;
    }
    return false;
}

uint16_t EnetLink::port() const { return host_->address.port; }

uint32_t EnetLink::roundTripMs(int peer) const {
    if (peer < 0 || std::size_t(peer) >= host_->peerCount) return 0;
    return host_->peers[peer].roundTripTime;
}

}  // namespace net
