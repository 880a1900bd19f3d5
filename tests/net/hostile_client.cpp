#include "tests/net/hostile_client.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>

namespace hostile {
namespace {

using Clock = std::chrono::steady_clock;

net::LinkSettings quietSettings() {
    net::LinkSettings settings;
    settings.silenceMs = 10000;  // the host, not this side, decides when a connection ends
    return settings;
}

std::unique_ptr<net::EnetLink> connectTo(uint16_t hostPort) {
    std::string error;
    auto link = net::EnetLink::connect("127.0.0.1", hostPort, quietSettings(), error);
    if (!link) throw std::runtime_error("hostile client: " + error);
    return link;
}

// A connection request as ENet's wire has it: the header of a machine without a peer number
// yet (sent time follows), the connect command (acknowledged, no channel, reliable sequence 1,
// the sender's peer 0, any session numbers), its settings (MTU 1392, window 32768, 2 channels,
// no bandwidth limits, throttle interval 5000, acceleration and deceleration 2), `identity` as
// the connect ID, and the game's connect data. Each field big-endian, of the size beside it.
std::vector<uint8_t> connectDatagram(uint32_t identity) {
    const std::pair<uint32_t, int> fields[] = {
        {0x8FFF, 2}, {0, 2},     {0x82, 1}, {0xFF, 1}, {1, 2},        {0, 2},
        {0xFF, 1},   {0xFF, 1},  {1392, 4}, {32768, 4}, {2, 4},       {0, 4},
        {0, 4},      {5000, 4},  {2, 4},    {2, 4},    {identity, 4}, {net::kConnectMagic, 4}};
    std::vector<uint8_t> d;
    for (const auto& [value, bytes] : fields) {
        for (int i = bytes - 1; i >= 0; --i) d.push_back(uint8_t(value >> (8 * i)));
    }
    return d;
}

}  // namespace

IdleConnections::IdleConnections(uint16_t hostPort, int count) {
    for (int i = 0; i < count; ++i) {
        links_.push_back(connectTo(hostPort));
        connected_.push_back(false);
    }
}

IdleConnections::~IdleConnections() = default;

void IdleConnections::serviceAll(int ms, net::LinkEvent::Kind kind, std::vector<bool>& seen) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        for (std::size_t i = 0; i < links_.size(); ++i) {
            net::LinkEvent event;
            while (links_[i]->service(event, 0)) {
                if (event.kind == kind) seen[i] = true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void IdleConnections::service(int ms) {
    serviceAll(ms, net::LinkEvent::Kind::Connected, connected_);
    if (early_.empty()) early_ = connected_;
}

int IdleConnections::askToJoin(uint32_t gameVersion, int ms) {
    net::JoinRequest request;
    request.gameVersion = gameVersion;
    request.name = net::makeName("LATE");
    net::Packet packet;
    net::encodeMessage(request, packet);
    for (std::size_t i = 0; i < links_.size(); ++i) {
        if (early_[i]) links_[i]->send(0, packet, true);
    }
    std::vector<bool> answered(links_.size());
    serviceAll(ms, net::LinkEvent::Kind::Received, answered);
    int count = 0;
    for (std::size_t i = 0; i < answered.size(); ++i) count += answered[i] && early_[i];
    return count;
}

int IdleConnections::connected() const {
    int count = 0;
    for (bool c : connected_) count += c;
    return count;
}

uint64_t IdleConnections::bytesSent() const {
    uint64_t total = 0;
    for (const auto& link : links_) total += link->bytesSent();
    return total;
}

uint64_t IdleConnections::mostReceived(uint64_t& sentByIt) const {
    uint64_t most = 0;
    sentByIt = 0;
    for (const auto& link : links_) {
        if (link->bytesReceived() >= most) {
            most = link->bytesReceived();
            sentByIt = link->bytesSent();
        }
    }
    return most;
}

ForgedConnects::ForgedConnects(uint16_t hostPort, const char* from) : hostPort_(hostPort) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (socket_ < 0 || inet_pton(AF_INET, from, &local.sin_addr) != 1 ||
        bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        throw std::runtime_error(std::string("hostile client: no socket on ") + from);
    }
}

ForgedConnects::~ForgedConnects() { close(socket_); }

void ForgedConnects::send(int count) {
    sockaddr_in host{};
    host.sin_family = AF_INET;
    host.sin_port = htons(hostPort_);
    host.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> datagram = connectDatagram(nextIdentity_++);
        if (sendto(socket_, datagram.data(), datagram.size(), 0,
                   reinterpret_cast<const sockaddr*>(&host), sizeof host) > 0) {
            sent_ += datagram.size();
        }
    }
}

void ForgedConnects::listen(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    uint8_t buffer[2048];
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        pollfd p{socket_, POLLIN, 0};
        const int left =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count());
        if (poll(&p, 1, left + 1) <= 0) continue;
        const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
        if (got > 0) received_ += uint64_t(got);
    }
}

Flood::Flood(uint16_t hostPort) {
    thread_ = std::thread([this, hostPort] { run(hostPort); });
}

Flood::~Flood() {
    quitting_ = true;
    thread_.join();
}

// Packets of a few bytes that are no message of the game's, sent unreliably in bursts that
// fill a datagram each. Connects again whenever its connection is lost (the host dropped it
// and stopped answering).
void Flood::run(uint16_t hostPort) {
    net::Packet junk;
    junk.size = 4;
    for (std::size_t i = 0; i < junk.size; ++i) junk.bytes[i] = uint8_t(0xA5 + i);
    net::LinkSettings settings;
    settings.silenceMs = 1000;
    while (!quitting_) {
        std::string error;
        auto link = net::EnetLink::connect("127.0.0.1", hostPort, settings, error);
        if (!link) throw std::runtime_error("hostile client: " + error);
        net::LinkEvent event;
        bool up = false, lost = false;
        while (!quitting_ && !up && !lost) {
            if (link->service(event, 1)) {
                up = event.kind == net::LinkEvent::Kind::Connected;
                lost = event.kind == net::LinkEvent::Kind::Disconnected;
            }
        }
        if (up) connected_ = true;
        while (!quitting_ && up && !lost) {
            for (int i = 0; i < 64; ++i) packets_ += link->send(0, junk, false);
            link->flush();
            while (link->service(event, 0)) lost |= event.kind == net::LinkEvent::Kind::Disconnected;
        }
    }
}

}  // namespace hostile
