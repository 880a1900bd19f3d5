#include "tests/net/loopback_match.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <new>
#include <random>
#include <stdexcept>
#include <thread>

// The program's operator new counts what a thread allocates while it plays a match: the
// game's side of a session allocates nothing during a round.
namespace {
thread_local bool counting = false;
thread_local long allocations = 0;
}  // namespace
// Not inlined, nor the deletes below: seen inline side by side, a malloc'd pointer freed by
// operator delete looks mismatched to the compiler.
[[gnu::noinline]] void* operator new(std::size_t size) {
    allocations += counting;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace loopback {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(10);

uint64_t checksumOf(const std::vector<net::NetFrame>& frames) {
    uint64_t sum = 0;
    for (const net::NetFrame& f : frames) sum = sum * 31 + f.input.changes + f.input.secondMark;
    return sum;
}

}  // namespace

void waitFor(const std::function<bool()>& done) {
    const auto until = Clock::now() + kPatience;
    while (!done()) {
        if (Clock::now() > until) throw std::runtime_error("loopback: gave up waiting");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

net::NetEvent awaitEvent(net::NetSession& session,
                         std::initializer_list<net::NetEvent::Kind> kinds) {
    net::NetEvent event;
    waitFor([&] {
        while (session.pollEvent(event)) {
            if (std::find(kinds.begin(), kinds.end(), event.kind) != kinds.end()) return true;
        }
        return false;
    });
    return event;
}

net::NetEvent join(uint16_t port, std::unique_ptr<net::NetSession>& guest, uint32_t gameVersion) {
    net::SessionOptions options;
    options.gameVersion = gameVersion;
    options.name = "REAL";
    std::string error;
    guest = net::NetSession::join("127.0.0.1:" + std::to_string(port), options, error);
    using Kind = net::NetEvent::Kind;
    if (!guest) {
        net::NetEvent failed;
        failed.kind = Kind::ConnectFailed;
        return failed;
    }
    return awaitEvent(*guest, {Kind::Welcomed, Kind::Refused, Kind::ConnectFailed});
}

uint32_t scriptedChanges(int machine, uint32_t frame) {
    const uint32_t r = uint32_t(std::mt19937(frame * 4 + uint32_t(machine))());
    if (r % 8 != 0) return 0;  // most frames change nothing
    FrameInput input;
    input.setChange(int(r >> 8) % kMatchKeyCount, (r >> 16) & 1 ? KeyChange::Down : KeyChange::Up);
    return input.changes;
}

bool scriptedMark(uint32_t frame) { return frame % 250 == 249; }

std::vector<FrameInput> expectedFrames(const net::MatchStart& start, int frames) {
    std::vector<FrameInput> expected(frames);
    for (int f = start.inputDelay; f < frames; ++f) {
        const uint32_t read = uint32_t(f - start.inputDelay);
        for (uint8_t m = 0; m < net::kMaxMachines; ++m) {
            if (net::hasMachine(start.machines, m)) {
                expected[f].changes |=
                    scriptedChanges(m, read) & net::machineKeyBits(m, start.slotOwner);
            }
        }
        expected[f].secondMark = scriptedMark(read);
    }
    return expected;
}

Machines gather(int count, Distance distance, uint32_t outboxWaitMs) {
    Machines machines;
    net::SessionOptions options;
    options.outboxWaitMs = outboxWaitMs;
    options.gameVersion = kGameVersion;
    options.port = 0;
    options.name = "HOST";
    std::string error;
    machines.sessions.push_back(net::NetSession::host(options, error));
    if (!machines.sessions[0]) throw std::runtime_error(error);
    const uint16_t hostPort = machines.sessions[0]->port();
    const bool relayed = distance.oneWayDelayMs > 0 || distance.lossRate > 0;
    if (relayed) {
        machines.relay = std::make_unique<UdpRelay>(hostPort, count - 1, distance.oneWayDelayMs,
                                                    distance.lossRate, 12345);
    }
    for (int m = 1; m < count; ++m) {
        options.name = "GUEST" + std::to_string(m);
        const uint16_t port = relayed ? machines.relay->port(m - 1) : hostPort;
        auto session = net::NetSession::join("127.0.0.1:" + std::to_string(port), options, error);
        if (!session) throw std::runtime_error(error);
        net::NetSession& joined = *session;
        machines.sessions.push_back(std::move(session));
        waitFor([&] { return joined.self() == m; });  // one at a time: machine m is the m-th
    }
    for (int m = 1; m < count; ++m) machines.sessions[0]->giveSlot(m, uint8_t(m));
    const net::Lobby lobby = machines.sessions[0]->lobby();
    for (auto& session : machines.sessions) waitFor([&] { return session->lobby() == lobby; });
    return machines;
}

net::MatchSetup matchSetup() {
    net::MatchSetup setup;
    setup.randomState = 0x2545F491;
    setup.frameCounters = {0, 1, 2, 3, 4};
    setup.settings = "001001000";
    setup.playerTypes = {1, 2, 2, 0};
    setup.framePeriodMs = kFramePeriodMs;
    setup.checksumEvery = 100;
    return setup;
}

net::MatchStart startMatch(Machines& machines) {
    net::MatchStart start;
    if (!machines.sessions[0]->startMatch(matchSetup(), start)) throw std::runtime_error("no match");
    for (auto& session : machines.sessions) {
        waitFor([&] {
            net::MatchStart seen;
            return session->matchStart(seen) && seen == start;
        });
    }
    return start;
}

std::vector<Played> play(Machines& machines, const Script& script) {
    std::vector<Played> played(machines.sessions.size());
    const auto begin = Clock::now();
    auto playFrames = [&](int m) {
        net::NetSession& session = *machines.sessions[m];
        Played& out = played[m];
        for (int f = 0; f < script.frames; ++f) {
            if (m == script.quitter && f == script.quitAt) {
                script.quit(m);
                return;
            }
            // Paced as the game paces a frame: its length counted from its start, which
            // includes any wait for the other machines.
            const auto frameStart = Clock::now();
            net::NetFrame frame;
            net::FrameStatus status;
            const auto until = Clock::now() + kPatience;
            do {
                if (session.wantsLocalInput())
                    session.submitLocal(scriptedChanges(m, f), scriptedMark(f));
                status = session.takeFrame(frame, 5);
            } while (status == net::FrameStatus::Waiting && Clock::now() < until);
            if (status != net::FrameStatus::Ready) return;
            out.frames.push_back(frame);
            out.atMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
            if (frame.checksumDue) {
                session.submitChecksum({net::CheckpointKind::Frame, frame.frame},
                                       checksumOf(out.frames));
            }
            if (script.periodMs > 0) {
                std::this_thread::sleep_until(
                    frameStart + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double, std::milli>(script.periodMs)));
            }
        }
    };
    auto playOne = [&](int m) {
        played[m].frames.reserve(script.frames);
        played[m].atMs.reserve(script.frames);
        counting = true;
        playFrames(m);
        counting = false;
        played[m].allocations = allocations;
    };
    std::vector<std::thread> threads;
    for (std::size_t m = 0; m < machines.sessions.size(); ++m)
        threads.emplace_back(playOne, int(m));
    for (auto& thread : threads) thread.join();
    return played;
}

}  // namespace loopback
