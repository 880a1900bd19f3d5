// Network door probe: what hostile machines cost a host. Two machines play the real game's
// match in one process on the loopback address (a headless platform on the real clock, the
// host's person pressing Enter every 400 ms), once alone and once while three connections
// that never joined flood the host with small packets (the hostile client of the network
// tests); then a real machine joins while 20 connections that never join are held; then
// connection requests that are never followed up, and connections that never join, count
// the bytes the host sends them. Reports the host's frame period at WAIT 1 while rounds run
// (median, 99th percentile, longest), the join times, and the bytes.
//
//   net_door_probe [seconds per match = 10]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/probes/net_probe_machines.h"
#include "bench/probes/probe_arguments.h"
#include "netplay/net_game.h"
#include "shell/program.h"
#include "tests/net/hostile_client.h"

namespace {

using Clock = ProbeClock;
constexpr uint32_t kVersion = 0xD00E;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

thread_local FrameTimes* frameTimes = nullptr;

void timedMatch(Game& game, MatchInput& input) { runMatch(game, input, frameTimes); }

void playMatch(int seconds, int floods) {
    std::string error;
    auto host = NetGame::host(0, kVersion, error, "HOST");
    if (!host) throw std::runtime_error(error);
    const uint16_t port = host->session().port();
    auto guest = NetGame::join("127.0.0.1:" + std::to_string(port), kVersion, error, "GUEST");
    if (!guest) throw std::runtime_error(error);
    while (guest->session().self() != 1) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    host->session().giveSlot(1, 1);
    std::vector<std::unique_ptr<hostile::Flood>> flooding;
    for (int i = 0; i < floods; ++i) flooding.push_back(std::make_unique<hostile::Flood>(port));
    for (const auto& flood : flooding) {
        while (!flood->connected()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FrameTimes hostTimes;
    std::thread joined([&] {
        HeadlessPlatform machine(false, 0);
        auto game = readyGame(machine);
        guest->setMatchRunner(timedMatch);
        try {
            guest->runLobby(*game);
        } catch (const ProgramExit&) {
        }
    });
    {
        frameTimes = &hostTimes;
        HeadlessPlatform machine(true, uint32_t(seconds) * 1000);
        auto game = readyGame(machine);
        host->setMatchRunner(timedMatch);
        seatOnePlayerPerMachine(*game, 2);
        try {
            host->playHostMatch(*game);
        } catch (const ProgramExit&) {
        }
        frameTimes = nullptr;
    }
    uint64_t packets = 0;
    for (const auto& flood : flooding) packets += flood->packetsSent();
    host.reset();  // the host leaves: the joined machine's lobby ends
    joined.join();
    std::printf(
        "2 machines, WAIT 1, %s: host frames %zu, period median %.3f ms, p99 %.3f ms, "
        "longest %.3f ms\n",
        floods ? "3 connections that never joined flooding the host" : "no flood",
        hostTimes.periods.size(), percentile(hostTimes.periods, 0.5),
        percentile(hostTimes.periods, 0.99), percentile(hostTimes.periods, 1.0));
    if (floods) std::printf("  the floods sent %llu packets\n", (unsigned long long)packets);
}

// A real join's time, from asking to being welcomed, while `idle` connections are held.
void timeJoins(int idle, int joins) {
    net::SessionOptions options;
    options.gameVersion = kVersion;
    options.port = 0;
    std::string error;
    auto host = net::NetSession::host(options, error);
    if (!host) throw std::runtime_error(error);
    std::vector<double> times;
    int failed = 0;
    for (int j = 0; j < joins; ++j) {
        hostile::IdleConnections holding(host->port(), idle);
        holding.service(300);
        const auto asked = Clock::now();
        auto guest =
            net::NetSession::join("127.0.0.1:" + std::to_string(host->port()), options, error);
        if (!guest) throw std::runtime_error(error);
        bool welcomed = false, over = false;
        while (!over && msSince(asked) < 10000) {
            net::NetEvent event;
            while (guest->pollEvent(event)) {
                welcomed |= event.kind == net::NetEvent::Kind::Welcomed;
                over |= welcomed || event.kind == net::NetEvent::Kind::ConnectFailed ||
                        event.kind == net::NetEvent::Kind::Refused;
            }
            holding.service(1);
        }
        if (welcomed) {
            times.push_back(msSince(asked));
        } else {
            ++failed;
        }
    }
    std::printf(
        "a real join while %d connections that never join are held: %d of %d welcomed, "
        "median %.1f ms, longest %.1f ms\n",
        idle, joins - failed, joins, percentile(times, 0.5), percentile(times, 1.0));
}

// What the host sends to addresses that never joined.
void countBytes(int seconds) {
    net::SessionOptions options;
    options.gameVersion = kVersion;
    options.port = 0;
    std::string error;
    auto host = net::NetSession::host(options, error);
    if (!host) throw std::runtime_error(error);
    hostile::ForgedConnects forged(host->port());
    forged.send(20);
    hostile::IdleConnections idle(host->port(), 8);
    std::thread listening([&] { forged.listen(seconds * 1000); });
    idle.service(seconds * 1000);
    listening.join();
    uint64_t sentByIt = 0;
    const uint64_t most = idle.mostReceived(sentByIt);
    std::printf(
        "20 connection requests never followed up, from one address: it sent %llu "
        "bytes, the host sent it %llu in %d s\n",
        (unsigned long long)forged.bytesSent(), (unsigned long long)forged.bytesReceived(),
        seconds);
    std::printf(
        "8 connections that never join: the one the host sent most received %llu bytes "
        "and sent %llu\n",
        (unsigned long long)most, (unsigned long long)sentByIt);
}

}  // namespace

int main(int argc, char** argv) {
    long seconds = 10;
    if (argc > 2 || (argc == 2 && !readWholeNumber("net_door_probe", "seconds per match", argv[1],
                                                   1, 100'000, seconds))) {
        if (argc > 2) std::fprintf(stderr, "net_door_probe: usage: net_door_probe [seconds]\n");
        return 1;
    }
    try {
        playMatch(int(seconds), 0);
        playMatch(int(seconds), 3);
        timeJoins(20, 5);
        countBytes(std::max(3, int(seconds)));  // past the 2 s a pending connection may stay
    } catch (const std::exception& error) {
        std::fprintf(stderr, "net_door_probe: %s\n", error.what());
        return 1;
    }
    return 0;
}
