#include "net/enet_link.h"

#include <enet/enet.h>

#include <mutex>

namespace net {
namespace {

enum Channel : uint8_t { ControlChannel = 0, InputChannel = 1, ChannelCount = 2 };
// Sent with a connection request; a host refuses connections from other programs.
constexpr uint32_t kConnectMagic = 0x44565250;
constexpr std::size_t kMaxWaitingBytes = 64 * 1024;

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

void EnetLink::countSent() {
    bytesSent_ += host_->totalSentData;
    host_->totalSentData = 0;
}

bool EnetLink::service(LinkEvent& event, uint32_t timeoutMs) {
    releaseReceived();
    ENetEvent e;
    const int result = enet_host_service(host_, &e, timeoutMs);
    countSent();
    if (result <= 0) return false;
    event = LinkEvent{};
    event.peer = int(e.peer - host_->peers);
    switch (e.type) {
        case ENET_EVENT_TYPE_CONNECT:
            // A host hears connection requests; only ours carry the magic.
            if (listening_ && e.data != kConnectMagic) {
                enet_peer_reset(e.peer);
                return false;
            }
            configurePeer(e.peer, settings_);
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

void EnetLink::send(int peer, const Packet& packet, bool reliable) {
    if (packet.size == 0 || peer < 0 || std::size_t(peer) >= host_->peerCount) return;
    ENetPeer* target = &host_->peers[peer];
    if (target->state != ENET_PEER_STATE_CONNECTED) return;
    ENetPacket* p =
        enet_packet_create(packet.bytes.data(), packet.size,
                           reliable ? ENET_PACKET_FLAG_RELIABLE : ENET_PACKET_FLAG_UNSEQUENCED);
    if (p && enet_peer_send(target, reliable ? ControlChannel : InputChannel, p) != 0) {
        enet_packet_destroy(p);
    }
}

void EnetLink::disconnect(int peer) {
    if (peer >= 0 && std::size_t(peer) < host_->peerCount) {
        enet_peer_disconnect_later(&host_->peers[peer], 0);
    }
}

void EnetLink::disconnectNow(int peer) {
    if (peer >= 0 && std::size_t(peer) < host_->peerCount) {
        enet_peer_disconnect_now(&host_->peers[peer], 0);
    }
}

void EnetLink::flush() {
    enet_host_flush(host_);
    countSent();
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
