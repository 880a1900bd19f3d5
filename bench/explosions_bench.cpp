// One round frame's worth of particle and meteorite work: four COSMO2 explosions of 9050
// particles each, alone and together with a full 9050-meteorite shower. Explosions are
// launched afresh (outside the timing) when the last one has died, so the mean covers whole
// explosion lives; a plain record-by-record walk is measured alongside for comparison.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_game.h"
#include "items/explosions.h"
#include "items/meteorites.h"

namespace {

constexpr int kParticles = 9050;
constexpr int kMeteors = 9050;
// Four crash points close together in the middle of the field, so the explosions overlap.
constexpr float kHeads[kSlots][2] = {
    {300.5f, 200.5f}, {340.5f, 200.5f}, {300.5f, 250.5f}, {340.5f, 250.5f}};

void launchExplosions(Game& game) {
    for (int slot = 0; slot < kSlots; ++slot) {
        game.play.players.type[slot] = PlayerCom;
        game.play.players.alive[slot] = false;
        game.play.players.x[slot] = kHeads[slot][0];
        game.play.players.y[slot] = kHeads[slot][1];
        crashPlayer(game.play, slot);
    }
}

bool anyExplosion(const Game& game) {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.play.players.explosionActive[slot]) return true;
    }
    return false;
}

void tickAll(Game& game) {
    for (int slot = 0; slot < kSlots; ++slot) tickExplosion(game.play, slot);
}

int flyingParticles(const Game& game) {
    int flying = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (game.play.players.explosionActive[slot])
            flying += game.play.explosions.tables[slot].flying;
    }
    return flying;
}

void setUpCosmo2(Game& game) {
    game.play.settings.explosionType = ExplosionCosmo2;
    game.play.settings.explosionValue[ExplosionCosmo2] = kParticles;
    drawEmptyField(game);
    launchExplosions(game);
}

// Ticks `first` to `last` of each explosion's life are timed (last 0: to the end).
void BM_FourCosmo2Explosions(benchmark::State& state) {
    BenchGame bench;
    Game& game = *bench;
    const int first = static_cast<int>(state.range(0));
    const int last = static_cast<int>(state.range(1));
    auto relaunch = [&] {
        setUpCosmo2(game);
        for (int tick = 1; tick < first; ++tick) tickAll(game);
    };
    relaunch();
    int64_t particleTicks = 0;
    for (auto _ : state) {
        particleTicks += flyingParticles(game);
        tickAll(game);
        if (!anyExplosion(game) || (last != 0 && game.play.players.explosionAge[0] >= last)) {
            state.PauseTiming();
            relaunch();
            state.ResumeTiming();
        }
    }
    state.counters["particles/frame"] =
        benchmark::Counter(static_cast<double>(particleTicks), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FourCosmo2Explosions)
    ->ArgNames({"from", "to"})
    ->Args({1, 0})     // whole lives
    ->Args({1, 40})    // early: nearly all 36,200 particles flying and turning
    ->Args({1, 89})    // the spiral phase: every particle turns every tick
    ->Args({90, 130})  // straight on, the survivors of the spiral
    ->Unit(benchmark::kMicrosecond);

// Arguments: the explosions' timed ticks (first, last; last 0: to the end of their lives)
// and the shower's timed frames (first, last; last 0: to its end).
void BM_MeteorShowerAndFourCosmo2(benchmark::State& state) {
    BenchGame bench;
    Game& game = *bench;
    const int firstTick = static_cast<int>(state.range(0));
    const int lastTick = static_cast<int>(state.range(1));
    const int firstFrame = static_cast<int>(state.range(2));
    const int lastFrame = static_cast<int>(state.range(3));
    game.play.settings.meteoritesOn = 1;
    game.play.settings.meteoriteTime = 60;
    game.play.settings.meteoriteValue = kMeteors;
    game.play.counters.time = 61;  // not due: showers are placed outside the timing
    int showerFrame = 0;
    auto relaunchExplosions = [&] {
        setUpCosmo2(game);
        for (int tick = 1; tick < firstTick; ++tick) tickAll(game);
    };
    auto replaceShower = [&] {
        spawnMeteorShower(game.play.meteorites, game.play.random, game.play.settings,
                          game.devices.screen.FieldPitch);
        for (showerFrame = 0; showerFrame < firstFrame; ++showerFrame) stepMeteorites(game.play);
    };
    relaunchExplosions();
    replaceShower();
    int64_t moving = 0;
    for (auto _ : state) {
        moving += flyingParticles(game) + game.play.meteorites.flying;
        tickAll(game);
        stepMeteorites(game.play);
        ++showerFrame;
        const bool explosionsDone =
            !anyExplosion(game) || (lastTick != 0 && game.play.players.explosionAge[0] >= lastTick);
        const bool showerDone = !game.play.meteorites.meteorShowerActive ||
                                (lastFrame != 0 && showerFrame >= lastFrame);
        if (explosionsDone || showerDone) {
            state.PauseTiming();
            if (explosionsDone) relaunchExplosions();
            if (showerDone) replaceShower();
            state.ResumeTiming();
        }
    }
    state.counters["moving/frame"] =
        benchmark::Counter(static_cast<double>(moving), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MeteorShowerAndFourCosmo2)
    ->ArgNames({"ticks", "to", "frames", "to"})
    ->Args({1, 0, 0, 0})       // whole lives of both
    ->Args({1, 40, 150, 300})  // everything in flight, most meteorites on the page
    ->Unit(benchmark::kMicrosecond);

// --- for comparison: the plain walk over records with an active flag --------------------

struct PlainTables {
    std::vector<Particle> particles[kSlots];
    int32_t age[kSlots] = {};
    bool active[kSlots] = {};
};

void plainLaunch(PlainTables& tables, Random& random) {
    for (int slot = 0; slot < kSlots; ++slot) {
        tables.particles[slot].assign(kParticlesPerSlot, Particle{});
        for (int i = 0; i < kParticles; ++i) {
            Particle& p = tables.particles[slot][i];
            p.x = kHeads[slot][0];
            p.y = kHeads[slot][1];
            p.direction = random.randomRange(0, 359);
            p.speed = static_cast<float>(random.randomRange(1, 200) / 100.0 + 0.5);
            p.active = true;
        }
        tables.age[slot] = 0;
        tables.active[slot] = true;
    }
}

bool plainWithin(float x, float y) {
    return x >= kParticleLeft && x <= kParticleRight && y >= kParticleTop && y <= kParticleBottom;
}

void plainTick(PlainTables& tables, int slot, int type, const DirectionTables& dirs, uint8_t* field,
               int pitch) {
    const int32_t age = ++tables.age[slot];
    bool flying = false;
    for (int i = 0; i < kParticles; ++i) {
        Particle& p = tables.particles[slot][i];
        if (!p.active) continue;
        if (plainWithin(p.x, p.y)) field[int(p.y) * pitch + int(p.x)] = 0;
        p.x += dirs.dirX[p.direction] * p.speed;
        p.y += dirs.dirY[p.direction] * p.speed;
        if (plainWithin(p.x, p.y)) {
            flying = true;
            if (age < 90 && type == ExplosionCosmo2) p.direction = (p.direction + 1) % 360;
            field[int(p.y) * pitch + int(p.x)] = playerColour[slot];
        } else {
            p.active = false;
        }
    }
    if (!flying) tables.active[slot] = false;
}

void BM_FourCosmo2PlainWalk(benchmark::State& state) {
    BenchGame bench;
    Game& game = *bench;
    const int first = static_cast<int>(state.range(0));
    const int last = static_cast<int>(state.range(1));
    PlainTables tables;
    Random random;
    auto tickPlain = [&] {
        bool any = false;
        for (int slot = 0; slot < kSlots; ++slot) {
            if (!tables.active[slot]) continue;
            plainTick(tables, slot, ExplosionCosmo2, game.play.directions,
                      game.devices.screen.FieldPixels, game.devices.screen.FieldPitch);
            any = any || tables.active[slot];
        }
        return any;
    };
    auto relaunch = [&] {
        drawEmptyField(game);
        plainLaunch(tables, random);
        for (int tick = 1; tick < first; ++tick) tickPlain();
    };
    relaunch();
    for (auto _ : state) {
        const bool any = tickPlain();
        if (!any || (last != 0 && tables.age[0] >= last)) {
            state.PauseTiming();
            relaunch();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FourCosmo2PlainWalk)
    ->ArgNames({"from", "to"})
    ->Args({1, 0})
    ->Args({1, 40})
    ->Args({1, 89})
    ->Args({90, 130})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
