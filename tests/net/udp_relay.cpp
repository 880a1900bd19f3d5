#include "tests/net/udp_relay.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

sockaddr_in loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int boundSocket() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in address = loopback(0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("relay: no socket");
    }
    return fd;
}

}  // namespace

UdpRelay::UdpRelay(uint16_t hostPort, int links, int oneWayDelayMs, double lossRate, uint32_t seed)
    : host_(loopback(hostPort)), delay_(oneWayDelayMs), lost_(lossRate), random_(seed) {
    for (int i = 0; i < links; ++i) {
        links_.push_back(std::make_unique<Link>());
        links_.back()->clientSide = boundSocket();
        links_.back()->hostSide = boundSocket();
    }
    thread_ = std::thread([this] { run(); });
}

UdpRelay::~UdpRelay() {
    quitting_ = true;
    thread_.join();
    for (auto& link : links_) {
        close(link->clientSide);
        close(link->hostSide);
    }
}

uint16_t UdpRelay::port(int link) const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(links_[link]->clientSide, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

void UdpRelay::receive(Link& link, bool fromClient) {
    std::vector<uint8_t> bytes(2048);
    sockaddr_in sender{};
    socklen_t length = sizeof sender;
    const int from = fromClient ? link.clientSide : link.hostSide;
    for (ssize_t size; (size = recvfrom(from, bytes.data(), bytes.size(), 0,
                                        reinterpret_cast<sockaddr*>(&sender), &length)) >= 0;) {
        if (fromClient) link.client = sender;
        const int index = fromClient ? link.fromClient++ : link.fromHost++;
        if (index == (fromClient ? link.loseFromClient : link.loseFromHost)) continue;
        if (link.cut || lost_(random_)) continue;
        pending_.push_back({Clock::now() + delay_,
                            fromClient ? link.hostSide : link.clientSide,
                            fromClient ? host_ : link.client,
                            {bytes.begin(), bytes.begin() + size}});
    }
}

void UdpRelay::run() {
    std::vector<pollfd> fds;
    for (auto& link : links_) {
        fds.push_back({link->clientSide, POLLIN, 0});
        fds.push_back({link->hostSide, POLLIN, 0});
    }
    while (!quitting_) {
        poll(fds.data(), fds.size(), 1);
        for (auto& link : links_) {
            receive(*link, true);
            receive(*link, false);
        }
        for (; !pending_.empty() && pending_.front().due <= Clock::now(); pending_.pop_front()) {
            const Datagram& d = pending_.front();
            sendto(d.socket, d.bytes.data(), d.bytes.size(), 0,
                   reinterpret_cast<const sockaddr*>(&d.to), sizeof d.to);
        }
    }
}
