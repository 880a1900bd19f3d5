// Network match probe: the real game's matches (score table, countdown, rounds, the pause at a
// round's end) played in lockstep by two and four machines in one process, each on a thread
// of its own with a headless platform on the real clock, the joined ones behind a relay that
// delays every packet by 50 ms each way and loses 2%. The host's person presses Enter every
// 400 ms (rounds start and end), and Esc once the time is up; the others' people press
// nothing (their heads run straight). Reports, per machine: the frame period at WAIT 1 while
// rounds run (median and 99th percentile), the input delay the host chose, and the bytes
// each machine sent per second.
//
//   net_match_probe [seconds per case = 20]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/probes/net_probe_machines.h"
#include "bench/probes/probe_arguments.h"
#include "netplay/net_game.h"
#include "shell/program.h"
#include "tests/net/udp_relay.h"

namespace {

using Clock = ProbeClock;

thread_local FrameTimes* frameTimes = nullptr;
net::NetSession* hostSession = nullptr;
std::atomic<int> inputDelay{0};

void timedMatch(Game& game, MatchInput& input) {
    net::MatchStart start;
    if (game.owners.self == 0 && hostSession->matchStart(start)) inputDelay = start.inputDelay;
    runMatch(game, input, frameTimes);
}

void runCase(int count, int seconds) {
    const uint32_t version = netGameVersion("probe");
    std::string error;
    auto host = NetGame::host(0, version, error, "HOST");
    if (!host) throw std::runtime_error(error);
    UdpRelay relay(host->session().port(), count - 1, 50, 0.02, 7);
    std::vector<std::unique_ptr<NetGame>> guests;
    for (int m = 1; m < count; ++m) {
        guests.push_back(NetGame::join("127.0.0.1:" + std::to_string(relay.port(m - 1)), version,
                                       error, "GUEST"));
        while (guests.back()->session().self() != m) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    for (int m = 1; m < count; ++m) host->session().giveSlot(m, uint8_t(m));
    std::this_thread::sleep_for(std::chrono::seconds(4));  // ENet's round trips settle

    std::vector<FrameTimes> times(count);
    std::vector<net::NetSession*> sessions{&host->session()};
    for (auto& guest : guests) sessions.push_back(&guest->session());
    hostSession = sessions[0];
    std::vector<uint64_t> bytes(count);
    for (int m = 0; m < count; ++m) bytes[m] = sessions[m]->bytesSent();
    double elapsed = 0;
    std::vector<std::thread> threads;
    for (int m = 0; m < count; ++m) {
        threads.emplace_back([&, m] {
            FrameTimes& mine = times[m];
            frameTimes = &mine;
            HeadlessPlatform machine(m == 0, uint32_t(seconds) * 1000);
            auto game = readyGame(machine);
            NetGame& net = m == 0 ? *host : *guests[m - 1];
            net.setMatchRunner(timedMatch);
            const auto begin = Clock::now();
            try {
                if (m == 0) {
                    seatOnePlayerPerMachine(*game, count);
                    net.playHostMatch(*game);
                } else {
                    net.runLobby(*game);
                }
            } catch (const ProgramExit&) {
            }
            if (m == 0) {  // the match is over: what everyone sent during it
                elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
                for (int i = 0; i < count; ++i) bytes[i] = sessions[i]->bytesSent() - bytes[i];
                host.reset();  // the host leaves: the others' lobbies end
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::printf("%d machines, 50 ms each way and 2%% lost, %.1f s; input delay %d frames\n", count,
                elapsed, int(inputDelay));
    for (int m = 0; m < count; ++m) {
        std::printf(
            "  machine %d: %zu frames, period median %.3f ms, p99 %.3f ms; %.0f bytes sent "
            "per second\n",
            m, times[m].periods.size(), percentile(times[m].periods, 0.5),
            percentile(times[m].periods, 0.99), double(bytes[m]) / elapsed);
    }
}

}  // namespace

int main(int argc, char** argv) {
    long seconds = 20;
    if (argc > 2 || (argc == 2 && !readWholeNumber("net_match_probe", "seconds per case", argv[1],
                                                   1, 100'000, seconds))) {
        if (argc > 2) {
            std::fprintf(stderr, "net_match_probe: usage: net_match_probe [seconds per case]\n");
        }
        return 1;
    }
    try {
        for (int count : {2, 4}) runCase(count, int(seconds));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "net_match_probe: %s\n", error.what());
        return 1;
    }
    return 0;
}
