// Nothing is allocated while a round runs. This program replaces the global operator new
// (every form) with one that counts, so it lives in its own test area: the replacement
// holds for the whole program. A round is played with every part of the frame busy (four
// players, one human firing every kind of item, item boxes, COSMO2 explosions of the
// largest size, a meteorite shower every second), and not one allocation may happen from
// its first frame to the Enter that ends it.
//
// To find an allocation that creeps in, run with DIRAVIRU_ABORT_ON_ALLOCATION=1 under a
// debugger: the first allocation inside the round then aborts with its call stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sys/resource.h>

#include "match/match.h"
#include "round/round.h"
#include "shell/game.h"
#include "tests/support/test_game.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<bool> abortOnAllocation{false};
std::atomic<long> allocations{0};
std::atomic<long> firstAllocationSize{-1};

void noteAllocation(std::size_t size) {
    if (!counting.load(std::memory_order_relaxed)) return;
    if (abortOnAllocation.load(std::memory_order_relaxed)) std::abort();
    long none = -1;
    firstAllocationSize.compare_exchange_strong(none, static_cast<long>(size));
    allocations.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size) {
    noteAllocation(size);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation(size);
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (std::max<std::size_t>(size, 1) + align - 1) / align * align;
    if (void* p = std::aligned_alloc(align, rounded)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try { return allocate(size); } catch (...) { return nullptr; }
}
void* operator new(std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return allocateAligned(size, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

constexpr uint32_t kScriptMs = 60 * 1000;     // keys are queued for this long per round
constexpr int kMaxRounds = 6;
constexpr uint32_t kEnterEveryMs = 250;        // ends the round once it is over
constexpr uint32_t kItemKeyEveryMs = 400;
constexpr uint32_t kTurnEveryMs = 170;

// What the round showed along the way, sampled at every present.
struct Coverage {
    int32_t peakParticles = 0;
    int32_t peakMeteorites = 0;
    bool boxSeen = false;
    int32_t heldAtRoundStart = 0;  // 1P's items when the round began
    bool itemFired = false;
    int presents = 0;
};

void sample(const Game& game, Coverage& seen) {
    int32_t particles = 0;
    for (const ParticleTable& table : game.explosions.tables) particles += table.flying;
    seen.peakParticles = std::max(seen.peakParticles, particles);
    seen.peakMeteorites = std::max(seen.peakMeteorites, game.meteorites.flying);
    seen.boxSeen = seen.boxSeen || game.itemBox.itemKind != ItemNone;
    seen.itemFired = seen.itemFired || game.players.itemCount[0] < seen.heldAtRoundStart;
    ++seen.presents;
}

// Every key event of the round, queued before it starts (queueing allocates): 1P turns
// left and right and fires an item now and then; Enter is pressed again and again, which
// only counts once the round is over.
void queueRoundKeys(platform::ScriptedPlatform& machine, uint32_t fromMs) {
    const PlayerKeys keys = playerKeys[0];
    for (uint32_t t = 0; t < kScriptMs; t += 10) {
        const uint32_t at = fromMs + t;
        if (t % kEnterEveryMs == 0) machine.keyPress(at, key::Enter);
        if (t % kItemKeyEveryMs == 0) machine.keyPress(at + 3, keys.itemKey);
        if (t % kTurnEveryMs == 0) {
            machine.keyPress(at + 5, (t / kTurnEveryMs) % 2 ? keys.turnLeftKey : keys.turnRightKey);
        }
    }
}

// One round from its first frame to its end, counting allocations. False when the script
// ran out first.
bool playCountedRound(TestGame& test, Coverage& seen) {
    Game& game = *test;
    startRound(game);
    runCountdown(game);
    // 1P holds every kind of item twice, so that its item key fires each effect.
    const int32_t kinds[] = {ItemSpeedUp, ItemLaserShot, ItemWarp, ItemChange, ItemBomb};
    for (int twice = 0; twice < 2; ++twice) {
        for (const int32_t kind : kinds) game.players.items[0][game.players.itemCount[0]++] = kind;
    }
    seen.heldAtRoundStart = game.players.itemCount[0];
    queueRoundKeys(test.machine, game.platform->ticks());
    test.machine.quitWhenIdleAfter(game.platform->ticks() + kScriptMs + 1000);
    test.machine.onPresent = [&](const platform::ScriptedPlatform::PresentedPage&) {
        sample(game, seen);
    };

    bool ended = true;
    counting = true;
    try {
        runRound(game);
    } catch (const ProgramExit&) {
        ended = false;
    }
    counting = false;
    test.machine.onPresent = nullptr;
    return ended;
}

TEST(RoundAllocations, NoneFromTheFirstFrameToTheEnd) {
    TestGame test;
    Game& game = *test;
    game.players.type = {PlayerMan, PlayerCom, PlayerCom, PlayerCom};
    game.settings.wait = 1;
    game.settings.itemsOn = 1;
    game.settings.explosionType = ExplosionCosmo2;
    game.settings.explosionValue[ExplosionCosmo2] = kCosmoValueMax;
    game.settings.meteoritesOn = 1;
    game.settings.meteoriteTime = kMeteoriteTimeMin;
    game.settings.meteoriteValue = kMeteoriteValueMax;
    // The counter is the operator new in use (a sanitizer's own would make this vacuous).
    counting = true;
    ::operator delete(::operator new(16));
    ::operator delete[](::operator new[](16, std::align_val_t{64}), std::align_val_t{64});
    counting = false;
    ASSERT_EQ(allocations.load(), 2);
    abortOnAllocation = std::getenv("DIRAVIRU_ABORT_ON_ALLOCATION") != nullptr;

    // Rounds until every part of the frame has had its turn (an item box comes by chance).
    Coverage seen;
    int rounds = 0;
    for (; rounds < kMaxRounds && !seen.boxSeen; ++rounds) {
        allocations = 0;
        ASSERT_TRUE(playCountedRound(test, seen)) << "round " << rounds + 1 << " did not end";
        ASSERT_EQ(allocations.load(), 0)
            << "allocations during round " << rounds + 1 << "; the first asked for "
            << firstAllocationSize.load() << " bytes";
        int inPlay = 0;
        for (int slot = 0; slot < kSlots; ++slot) inPlay += game.players.inPlay(slot) ? 1 : 0;
        EXPECT_LE(inPlay, 1);
    }
    std::printf("%d rounds: %d presents, peak particles %d, peak meteorites %d\n", rounds,
                seen.presents, seen.peakParticles, seen.peakMeteorites);
    // The frame path was busy.
    EXPECT_GT(seen.presents, 100);
    EXPECT_GT(seen.peakParticles, kCosmoValueMax) << "COSMO2 explosions";
    EXPECT_GT(seen.peakMeteorites, 1000) << "meteorite showers";
    EXPECT_TRUE(seen.boxSeen) << "an item box on the field";
    EXPECT_TRUE(seen.itemFired) << "1P fired items";

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory of this test: %ld kB\n", usage.ru_maxrss);
}

}  // namespace
