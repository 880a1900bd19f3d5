// hostile_client: misbehaves towards a host on this machine for a while, then tells what the
// host sent back.
//   hostile_client PORT [--idle N] [--forged N] [--flood] [--seconds S]
// --idle N: N connections that never ask to join (made again as the host drops them);
// --forged N: N connection requests a second from an address that never answers;
// --flood: a connection that never joins and sends small packets as fast as it can.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "tests/net/hostile_client.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: hostile_client PORT [--idle N] [--forged N] [--flood] "
                             "[--seconds S]\n");
        return 2;
    }
    const uint16_t port = uint16_t(std::atoi(argv[1]));
    int idle = 0, forged = 0, seconds = 5;
    bool flood = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        const bool valued = i + 1 < argc;
        if (option == "--idle" && valued) {
            idle = std::atoi(argv[++i]);
        } else if (option == "--forged" && valued) {
            forged = std::atoi(argv[++i]);
        } else if (option == "--seconds" && valued) {
            seconds = std::atoi(argv[++i]);
        } else if (option == "--flood") {
            flood = true;
        } else {
            std::fprintf(stderr, "hostile_client: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    try {
        std::unique_ptr<hostile::Flood> flooding;
        if (flood) flooding = std::make_unique<hostile::Flood>(port);
        hostile::ForgedConnects forger(port);
        uint64_t idleMost = 0, idleMostSent = 0;
        int idleConnected = 0;
        for (int second = 0; second < seconds; ++second) {
            // Idle connections live a second each here: the host drops them sooner or later.
            std::unique_ptr<hostile::IdleConnections> holding;
            if (idle > 0) holding = std::make_unique<hostile::IdleConnections>(port, idle);
            forger.send(forged);
            if (holding) {
                holding->service(1000);
                idleConnected += holding->connected();
                uint64_t sentByIt = 0;
                const uint64_t most = holding->mostReceived(sentByIt);
                if (most > idleMost) {
                    idleMost = most;
                    idleMostSent = sentByIt;
                }
            } else {
                forger.listen(1000);
            }
        }
        forger.listen(3000);  // whatever the host still sends to the forged address
        std::printf("forged connects: sent %llu bytes, received %llu bytes\n",
                    (unsigned long long)forger.bytesSent(),
                    (unsigned long long)forger.bytesReceived());
        if (idle > 0) {
            std::printf("idle connections: %d of %d a second finished the handshake; the one "
                        "the host sent most to received %llu bytes and sent %llu\n",
                        idleConnected / seconds, idle, (unsigned long long)idleMost,
                        (unsigned long long)idleMostSent);
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
