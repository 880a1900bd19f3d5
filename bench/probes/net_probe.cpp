// Network probe: two and four machines of a network game in one process, the joined ones
// behind a relay on the loopback address that delays every packet by 50 ms each way and
// loses 2% of them. Each machine plays 4 ms frames, paced as the game paces them, with
// scripted keys. Reports, for each case: the round trips ENet measured and the input delay
// the host chose, the frame period each machine achieved (median and 99th percentile),
// the bytes each machine sent per second, and how long after one machine leaves (politely,
// by falling silent, or by stalling: its game stops taking frames while its network side
// goes on answering) its slots turn COM on the host. A first case of the host alone
// shows what the pacing itself gives.
//
//   net_probe [frames per case = 5000]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/probes/probe_arguments.h"
#include "tests/net/loopback_match.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr loopback::Distance kDistance{50, 0.02};

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

// Waits until every round trip the host measures has settled (ENet smooths them slowly).
void settleRoundTrips(loopback::Machines& machines) {
    std::vector<uint32_t> last(machines.sessions.size(), 0);
    for (int stable = 0, i = 0; stable < 10 && i < 300; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        bool same = true;
        for (std::size_t m = 1; m < machines.sessions.size(); ++m) {
            const uint32_t rtt = machines.sessions[0]->roundTripMs(uint8_t(m));
            same = same && std::abs(int(rtt) - int(last[m])) <= 1;
            last[m] = rtt;
        }
        stable = same ? stable + 1 : 0;
    }
}

enum class Leaving { Nobody, Politely, Silently, Stalls };

void runCase(int count, Leaving leaving, int frames) {
    loopback::Machines machines = loopback::gather(count, kDistance);
    settleRoundTrips(machines);
    const char* how[] = {"", ", the last leaves", ", the last falls silent", ", the last stalls"};
    std::printf("%d machine(s)%s", count, how[int(leaving)]);
    if (leaving != Leaving::Nobody) std::printf(" at frame %d", frames * 3 / 4);
    std::printf("; round trips from the host:");
    for (int m = 1; m < count; ++m)
        std::printf(" %u ms", machines.sessions[0]->roundTripMs(uint8_t(m)));
    const net::MatchStart start = loopback::startMatch(machines);
    std::printf("; input delay %d frames\n", start.inputDelay);

    std::vector<uint64_t> bytesAtStart, bytesAtQuit;
    for (auto& session : machines.sessions) bytesAtStart.push_back(session->bytesSent());
    const auto begin = Clock::now();
    double quitSeconds = 0;
    loopback::Script script{frames};
    script.periodMs = loopback::kFramePeriodMs;
    script.quitter = leaving == Leaving::Nobody ? -1 : count - 1;
    script.quitAt = frames * 3 / 4;
    auto markQuit = [&] {
        quitSeconds = std::chrono::duration<double>(Clock::now() - begin).count();
        for (auto& session : machines.sessions) bytesAtQuit.push_back(session->bytesSent());
    };
    script.quit = [&](int m) {
        markQuit();
        if (leaving == Leaving::Silently) {
            machines.relay->cut(m - 1);
        } else if (leaving == Leaving::Politely) {
            machines.sessions[m].reset();
        }
    };
    const auto played = loopback::play(machines, script);
    if (leaving == Leaving::Nobody) markQuit();

    for (int m = 0; m < count; ++m) {
        const auto& at = played[m].atMs;
        std::vector<double> periods;
        const std::size_t until =
            leaving == Leaving::Nobody ? at.size() : std::size_t(script.quitAt);
        for (std::size_t f = 1; f < at.size() && f < until; ++f) {
            periods.push_back(at[f] - at[f - 1]);
        }
        std::printf(
            "  machine %d: frame period median %.3f ms, p99 %.3f ms, max %.1f ms; "
            "%.0f bytes sent per second\n",
            m, percentile(periods, 0.5), percentile(periods, 0.99), percentile(periods, 1.0),
            double(bytesAtQuit[m] - bytesAtStart[m]) / quitSeconds);
    }
    const auto& host = played[0];
    for (std::size_t f = 0; f < host.frames.size(); ++f) {
        if (host.frames[f].input.toComputer != 0) {
            std::printf("  its slot turned COM on the host %.0f ms after it left (frame %zu)\n",
                        host.atMs[f] - quitSeconds * 1000, f);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    long frames = 5000;
    if (argc > 2 || (argc == 2 && !readWholeNumber("net_probe", "frames per case", argv[1], 100,
                                                   10'000'000, frames))) {
        if (argc > 2) std::fprintf(stderr, "net_probe: usage: net_probe [frames per case]\n");
        return 1;
    }
    try {
        runCase(1, Leaving::Nobody, int(frames));
        runCase(2, Leaving::Politely, int(frames));
        runCase(4, Leaving::Politely, int(frames));
        runCase(4, Leaving::Silently, int(frames));
        runCase(2, Leaving::Stalls, int(frames));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "net_probe: %s\n", error.what());
        return 1;
    }
    return 0;
}
