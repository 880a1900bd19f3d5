// One whole round frame (playPacedRoundFrame) with four computer players, WAIT 0, on the
// scripted platform. A new round is set up (outside the timing) whenever one ends; the
// frame that ends a round includes its pause on "PUSH ENTER KEY TO NEXT ROUND".
// Each frame moves the virtual clock by 4 ms, as WAIT 1 would, so the round clock runs.
#include <benchmark/benchmark.h>

#include "bench/bench_game.h"
#include "input/live_input.h"
#include "items/explosions.h"
#include "items/meteorites.h"
#include "match/match.h"
#include "round/round.h"

namespace {

constexpr uint32_t kFrameMs = 4;
constexpr uint32_t kEnterAheadMs = 8;

void setUpRound(Game& game, MatchStream& stream) {
    for (int slot = 0; slot < kSlots; ++slot) game.play.players.type[slot] = PlayerCom;
    startRound(game);
    copyPage(game.devices.screen, SurfacePrimary, SurfacePage);
    game.devices.screen.MapField();
    game.play.itemBox.itemKind = ItemNone;
    stream.beginRound();
}

// Arg 0: the default settings (BOMB 16, items on, no meteorites).
// Arg 1: the heaviest: COSMO2 of 9050 particles, a 9050-meteorite shower every second.
void BM_RoundFrameFourCom(benchmark::State& state) {
    BenchGame bench;
    Game& game = *bench;
    game.play.settings.wait = 0;
    if (state.range(0) == 1) {
        game.play.settings.explosionType = ExplosionCosmo2;
        game.play.settings.explosionValue[ExplosionCosmo2] = 9050;
        game.play.settings.meteoritesOn = 1;
        game.play.settings.meteoriteTime = 1;
        game.play.settings.meteoriteValue = 9050;
    }
    LiveInput keyboard(game.devices);
    MatchStream stream(keyboard, nullptr);
    Round round(game.play, game.devices, stream);
    setUpRound(game, stream);
    int64_t rounds = 0;
    for (auto _ : state) {
        // An Enter always waits a little ahead, so the pause at a round's end finds one.
        if (bench.machine.scriptDone()) {
            bench.machine.keyDown(game.devices.platform->ticks() + kEnterAheadMs, key::Enter);
        }
        const RoundState frame = playPacedRoundFrame(round);
        if (frame == RoundState::Ended) runRoundEndPause(round);
        bench.machine.advance(kFrameMs);
        if (frame != RoundState::Running) {
            state.PauseTiming();
            ++rounds;
            setUpRound(game, stream);
            state.ResumeTiming();
        }
    }
    state.counters["rounds"] = static_cast<double>(rounds);
}
BENCHMARK(BM_RoundFrameFourCom)->ArgName("heavy")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
