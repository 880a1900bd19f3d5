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

#include "bench/probes/probe_arguments.h"
#include "game/game.h"
#include "match/match.h"
#include "netplay/net_game.h"
#include "shell/program.h"
#include "shell/start_up.h"
#include "tests/net/hostile_client.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kVersion = 0xD00E;
constexpr uint32_t kEnterEveryMs = 400;
constexpr uint32_t kHoldMs = 50;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// No display, the real clock; the host's person presses Enter now and then, Esc at the end.
class HeadlessPlatform final : public platform::Platform {
public:
    HeadlessPlatform(bool presses, uint32_t escAfterMs) : presses_(presses), escAt_(escAfterMs) {}
    bool openDisplay(std::string&) override { return true; }
    void closeDisplay() override {}
    bool pollEvent(platform::Event& event) override { return take(event); }
    bool waitEvent(platform::Event& event, uint32_t timeoutMs) override {
        const uint32_t until = ticks() + timeoutMs;
        while (!take(event)) {
            if (int32_t(until - ticks()) <= 0) return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }
    uint32_t ticks() override { return uint32_t(msSince(start_)); }
    int64_t calendarTime() override { return 1; }
    uint32_t refreshIntervalMs() override { return 17; }
    void present(const uint8_t*, int, const platform::PaletteEntry*) override {}

private:
    bool take(platform::Event& event) {
        if (!presses_) return false;
        const uint32_t now = ticks();
        if (down_ && now >= upAt_) {
            down_ = false;
            event = {platform::EventKind::KeyUp, key_};
            return true;
        }
        if (!down_ && now >= nextAt_) {
            key_ = now >= escAt_ ? key::Esc : key::Enter;
            down_ = true;
            upAt_ = now + kHoldMs;
            nextAt_ = now + kEnterEveryMs;
            event = {platform::EventKind::KeyDown, key_};
            return true;
        }
        return false;
    }

    const Clock::time_point start_ = Clock::now();
    bool presses_;
    uint32_t escAt_;
    bool down_ = false;
    int key_ = 0;
    uint32_t upAt_ = 0, nextAt_ = 1000;
};

// The host's frame periods while rounds run, through the match's observer.
struct FrameTimes final : public MatchObserver {
    void decided(Decision decision) override {
        last = {};
        inRound = decision == Decision::NextRound;
    }
    void frame(const FrameInput&) override {
        if (!inRound) return;
        const auto now = Clock::now();
        if (last != Clock::time_point{} && periods.size() < periods.capacity()) {
            periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        }
        last = now;
    }
    void roundEnded(const RoundResult&) override { inRound = false; }
    void roundLeft() override {}

    Clock::time_point last{};
    bool inRound = false;
    std::vector<double> periods;
};

thread_local FrameTimes* frameTimes = nullptr;

void timedMatch(Game& game, MatchInput& input) { runMatch(game, input, frameTimes); }

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(share * double(values.size())))];
}

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
    hostTimes.periods.reserve(1 << 20);
    std::thread joined([&] {
        HeadlessPlatform machine(false, 0);
        auto game = makeGame(machine);
        game->charBitmapName = std::string(DIRAVIRU_SOURCE_DIR) + "/assets/char.bmp";
        game->recordPath = "/dev/null";
        openDisplay(*game, "");
        buildTables(*game);
        guest->setMatchRunner(timedMatch);
        try {
            guest->runLobby(*game);
        } catch (const ProgramExit&) {
        }
    });
    {
        frameTimes = &hostTimes;
        HeadlessPlatform machine(true, uint32_t(seconds) * 1000);
        auto game = makeGame(machine);
        game->charBitmapName = std::string(DIRAVIRU_SOURCE_DIR) + "/assets/char.bmp";
        game->recordPath = "/dev/null";
        openDisplay(*game, "");
        buildTables(*game);
        host->setMatchRunner(timedMatch);
        for (int slot = 0; slot < kSlots; ++slot) {
            game->play.players.type[slot] = slot < 2 ? PlayerMan : PlayerNon;
            game->owners.machine[slot] = uint8_t(slot < 2 ? slot : 0);
        }
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
