// What both network match probes run each machine on: a headless platform on the real clock,
// a ready game, and the frame periods of the rounds it plays.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/probes/probe_rounds.h"
#include "game/game.h"
#include "match/match.h"
#include "platform/platform.h"
#include "shell/start_up.h"

using ProbeClock = std::chrono::steady_clock;

// No display, the real clock; a machine whose person `presses` presses Enter every 400 ms
// (rounds start and end) and Esc once `escAfterMs` have gone by; the others press nothing.
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
    uint32_t ticks() override {
        return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(ProbeClock::now() -
                                                                              start_)
                            .count());
    }
    int64_t calendarTime() override { return 1; }
    uint32_t refreshIntervalMs() override { return 17; }
    void present(const uint8_t*, int, const platform::PaletteEntry*) override {}

private:
    static constexpr uint32_t kEnterEveryMs = 400;
    static constexpr uint32_t kHoldMs = 50;

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

    const ProbeClock::time_point start_ = ProbeClock::now();
    bool presses_;
    uint32_t escAt_;
    bool down_ = false;
    int key_ = 0;
    uint32_t upAt_ = 0, nextAt_ = 1000;
};

// The frame periods of the rounds a machine plays (not the pause after each), through the
// match's observer.
struct FrameTimes final : public MatchObserver {
    FrameTimes() { periods.reserve(1 << 20); }
    void decided(Decision decision) override {
        last = {};
        inRound = decision == Decision::NextRound;
    }
    void frame(const FrameInput&) override {
        if (!inRound) return;
        const auto now = ProbeClock::now();
        if (last != ProbeClock::time_point{} && periods.size() < periods.capacity()) {
            periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        }
        last = now;
    }
    void roundEnded(const RoundResult&) override { inRound = false; }
    void roundLeft() override {}

    ProbeClock::time_point last{};
    bool inRound = false;
    std::vector<double> periods;
};

// A game on `machine` with the tables built and nothing recorded.
inline std::unique_ptr<Game> readyGame(platform::Platform& machine) {
    auto game = makeGame(machine);
    game->charBitmapName = std::string(DIRAVIRU_SOURCE_DIR) + "/assets/char.bmp";
    game->recordPath = "/dev/null";
    openDisplay(*game, "");
    buildTables(*game);
    return game;
}

// The host's own players: people in the first `machines` slots, one per machine, nobody else.
inline void seatOnePlayerPerMachine(Game& host, int machines) {
    for (int slot = 0; slot < kSlots; ++slot) {
        host.play.players.type[slot] = slot < machines ? PlayerMan : PlayerNon;
        host.owners.machine[slot] = uint8_t(slot < machines ? slot : 0);
    }
}
