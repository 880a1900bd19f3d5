// Pacing probe of the web page: real rounds of two computer players on the web backend, in a
// browser, at WAIT 1, 2 and 10, every frame timed with the page's clock. Prints (to the
// browser's console) the distribution of frame periods (median, p90, p99, max) against the
// WAIT's length. The web build makes it (build-web/web_pacing_probe.html);
// tools/web_probe.mjs runs it in headless Chromium.
// The probe does not change the game: it calls playPacedRoundFrame as runRound does.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/probes/probe_rounds.h"
#include "game/game.h"
#include "input/live_input.h"
#include "input/pacing.h"
#include "match/match.h"
#include "platform/web_platform.h"
#include "round/round.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kSecondsPerWait = 6;
constexpr int kWaits[] = {1, 2, 10};
constexpr double kMedianTolerance = 0.05;

// Frame periods of rounds played at `wait` for about kSecondsPerWait. A round is left as soon
// as fewer than two heads run (its end waits for Enter).
std::vector<double> playFor(Game& game, int wait) {
    game.play.settings.wait = wait;
    std::vector<double> periods;
    LiveInput keyboard(game.devices);
    MatchStream stream(keyboard, nullptr);
    Round round(game.play, game.devices, stream);
    const Clock::time_point end =
        Clock::now() +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(kSecondsPerWait));
    while (Clock::now() < end) {
        setUpRound(game, stream);
        Clock::time_point last{};
        while (Clock::now() < end && inPlayCount(game) >= 2) {
            const Clock::time_point start = Clock::now();
            if (last != Clock::time_point{}) {
                periods.push_back(std::chrono::duration<double, std::milli>(start - last).count());
            }
            last = start;
            if (playPacedRoundFrame(round) != RoundState::Running) break;
        }
    }
    return periods;
}

void report(const std::vector<double>& periods, int wait) {
    const double target = wait * double(kWaitUnitMs);
    const double median = percentile(periods, 0.5);
    const double worst = periods.empty() ? 0 : *std::max_element(periods.begin(), periods.end());
    std::printf(
        "WAIT %3d (target %5.1f ms): %zu frames  median %.3f  p90 %.3f  p99 %.3f  "
        "max %.3f ms  [median %s]\n",
        wait, target, periods.size(), median, percentile(periods, 0.9), percentile(periods, 0.99),
        worst, std::abs(median - target) <= kMedianTolerance * target ? "ok" : "MISS");
}

}  // namespace

int main() {
    platform::WebPlatform machine;
    auto game = makeGame(machine);
    Game& g = *game;
    installScreenWaitHook(g.devices);
    std::string error;
    const std::string charBitmap = "/program/char.bmp";
    if (!g.devices.screen.Open(machine, error) || !g.devices.screen.LoadChars(charBitmap, error)) {
        std::fprintf(stderr, "web_pacing_probe: %s\n", error.c_str());
        return 1;
    }
    g.devices.screen.LoadPalette(charBitmap);
    g.devices.screen.ResetPalette();
    g.devices.screen.MapField();
    g.play.directions.build();
    g.play.random.seed(1);
    g.play.players.type = {PlayerCom, PlayerCom, PlayerNon, PlayerNon};
    try {
        for (const int wait : kWaits) report(playFor(g, wait), wait);
    } catch (const ProgramExit&) {
        std::fprintf(stderr, "web_pacing_probe: ended by the page\n");
    }
    std::printf("web_pacing_probe: done\n");
    g.devices.screen.Close();
    return 0;
}
