// hostile_client: misbehaves towards a host on this machine for a while, then tells what the
// host sent back.
//   hostile_client PORT [--idle N] [--forged N] [--flood 1] [--seconds S]
// --idle N: N connections a second that never ask to join (each lives a second);
// --forged N: N connection requests a second from an address that never answers;
// --flood 1: a connection that never joins and sends small packets as fast as it can.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "tests/net/hostile_client.h"

int main(int argc, char** argv) {
    int idle = 0, forged = 0, flood = 0, seconds = 5;
    const struct { const char* name; int* value; } options[] = {
        {"--idle", &idle}, {"--forged", &forged}, {"--flood", &flood}, {"--seconds", &seconds}};
    bool known = argc >= 2 && argc % 2 == 0;
    for (int i = 2; known && i < argc; i += 2) {
        known = false;
        for (const auto& o : options) {
            if (std::strcmp(argv[i], o.name) == 0) *o.value = std::atoi(argv[i + 1]), known = true;
        }
    }
    if (!known || seconds < 1) {
        std::fprintf(stderr, "usage: hostile_client PORT [--idle N] [--forged N] [--flood 1] "
                             "[--seconds S]\n");
        return 2;
    }
    const uint16_t port = uint16_t(std::atoi(argv[1]));
    try {
        std::unique_ptr<hostile::Flood> flooding;
        if (flood) flooding = std::make_unique<hostile::Flood>(port);
        hostile::ForgedConnects forger(port);
        unsigned long long idleMost = 0, idleMostSent = 0;
        int idleConnected = 0;
        for (int second = 0; second < seconds; ++second) {
            forger.send(forged);
            if (idle == 0) {
                forger.listen(1000);
                continue;
            }
            hostile::IdleConnections holding(port, idle);  // the host drops them sooner or later
            holding.service(1000);
            idleConnected += holding.connected();
            uint64_t sentByIt = 0;
            const uint64_t most = holding.mostReceived(sentByIt);
            if (most > idleMost) idleMost = most, idleMostSent = sentByIt;
        }
        forger.listen(3000);  // whatever the host still sends to the forged address
        std::printf("forged connects: sent %llu bytes, received %llu bytes\n",
                    (unsigned long long)forger.bytesSent(),
                    (unsigned long long)forger.bytesReceived());
        if (idle > 0) {
            std::printf("idle connections: %d of %d a second finished the handshake; the one "
                        "the host sent most to received %llu bytes and sent %llu\n",
                        idleConnected / seconds, idle, idleMost, idleMostSent);
        }
        if (flooding) {
            std::printf("flood: %llu packets sent, connected: %s\n",
                        (unsigned long long)flooding->packetsSent(),
                        flooding->connected() ? "yes" : "no");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hostile_client: %s\n", e.what());
        return 1;
    }
    return 0;
}
