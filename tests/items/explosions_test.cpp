// Crashes and their explosions on a hand-made round page: the award, the blanked panel line,
// BOMB rings, and COSMO / COSMO2 particles checked pixel for pixel against a plain
// record-by-record walk of the particle table.
#include "items/explosions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/test_game.h"

namespace {

constexpr int kCell = 16;
constexpr int kPanelWidth = 18 * kCell;
constexpr uint8_t kTrailColour = 107;  // 4P's colour; 4P itself does not explode here

void drawRoundPage(Game& game) {
    Screen& screen = game.screen;
    screen.Clear(SurfacePrimary);
    screen.DrawText(SurfacePrimary, "ROUND 01  WAIT 001  TIME 00000", 16, 16, 16, 16);
    screen.DrawFrame(SurfacePrimary, 0, 32, 639, 415, screen.PaletteRgb(ColourFrame));
    for (int slot = 0; slot < kSlots; ++slot) {
        const char caption[] = {static_cast<char>('1' + slot), 'P', ' ', 'I', 'T', 'E', 'M', 0};
        screen.DrawColourText(SurfacePrimary, caption, 16 + 320 * (slot % 2),
                              416 + 16 * (slot / 2), kCell, kCell, slot + 1);
    }
    screen.DrawText(SurfacePrimary, "PUSH ESC KEY TO END", 16, 464, kCell, kCell);
    screen.MapField();
}

// Trails of 4P: every 37th row and every 53rd column of the field.
void drawTrails(Game& game) {
    uint8_t* field = game.screen.FieldPixels;
    const int pitch = game.screen.FieldPitch;
    for (int y = kFieldTop; y <= kFieldBottom; ++y) {
        for (int x = kFieldLeft; x <= kFieldRight; ++x) {
            if (y % 37 == 0 || x % 53 == 0) field[y * pitch + x] = kTrailColour;
        }
    }
}

void placeHead(Game& game, int slot, float x, float y) {
    game.players.type[slot] = PlayerMan;
    game.players.alive[slot] = 0;
    game.players.x[slot] = x;
    game.players.y[slot] = y;
}

std::vector<uint8_t> page(const Game& game) {
    const uint8_t* pixels = game.screen.Pixels(SurfacePrimary);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

bool insidePanelLine(int slot, int x, int y) {
    const int left = 16 + 320 * (slot % 2);
    const int top = 416 + 16 * (slot / 2);
    return x >= left && x < left + kPanelWidth && y >= top && y < top + kCell;
}

// How many pixels outside the field area differ between two pages, leaving out the panel
// line of `blankedSlot` (-1 for none).
int changesOutsideField(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                        int blankedSlot = -1) {
    int changes = 0;
    for (int y = 0; y < kScreenHeight; ++y) {
        const bool fieldRow = y >= kFieldTop && y <= kFieldBottom;
        for (int x = 0; x < kScreenWidth; x += fieldRow ? kFieldRight + 1 : 1) {
            if (blankedSlot >= 0 && insidePanelLine(blankedSlot, x, y)) continue;
            changes += before[y * kSurfacePitch + x] != after[y * kSurfacePitch + x] ? 1 : 0;
        }
    }
    return changes;
}

// --- the plain walk: one record per particle, every record visited in table order ---------

struct PlainExplosion {
    std::vector<Particle> particles;
    int32_t age = 0;
    bool active = false;
};

bool plainWithin(float x, float y) {
    return x >= 1.0f && x <= 638.0f && y >= 33.0f && y <= 414.0f;
}

void plainLaunch(PlainExplosion& explosion, Random& random, float x, float y, int count) {
    explosion.particles.assign(count, Particle{});
    for (Particle& p : explosion.particles) {
        p.x = x;
        p.y = y;
        p.direction = random.randomRange(0, 359);
        p.speed = static_cast<float>(random.randomRange(1, 200) / 100.0 + 0.5);
        p.active = 1;
    }
    explosion.age = 0;
    explosion.active = true;
}

void plainTick(PlainExplosion& explosion, int type, const DirectionTables& dirs, uint8_t* field,
               int pitch, uint8_t colour) {
    explosion.age += 1;
    bool flying = false;
    for (Particle& p : explosion.particles) {
        if (!p.active) continue;
        if (plainWithin(p.x, p.y)) field[int(p.y) * pitch + int(p.x)] = 0;
        p.x += dirs.dirX[p.direction] * p.speed;
        p.y += dirs.dirY[p.direction] * p.speed;
        if (plainWithin(p.x, p.y)) {
            flying = true;
            if (explosion.age < 90 && type == 2) p.direction = (p.direction + 1) % 360;
            field[int(p.y) * pitch + int(p.x)] = colour;
        } else {
            p.active = 0;
        }
    }
    if (!flying) explosion.active = false;
}

// Four explosions, launched at different ticks from overlapping places (one from a head
// stuck in the frame), run by the game and by the plain walk on copies of the same page.
// Every page must match byte for byte after every frame.
void expectSameAsPlainWalk(int type, int value) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    drawTrails(game);
    game.settings.explosionType = type;
    game.settings.explosionValue[type] = value;
    const int count = std::min(value, kParticlesPerSlot);

    const float heads[kSlots][2] = {{320.3f, 220.7f}, {330.9f, 215.1f}, {5.5f, 40.2f},
                                    {0.5f, 300.5f}};
    const int launchFrame[kSlots] = {0, 0, 7, 40};
    std::vector<uint8_t> plainPage = page(game);
    PlainExplosion plain[kSlots];
    Random plainRandom = game.random;

    bool anyActive = true;
    int frames = 0;
    for (int frame = 0; anyActive || frame <= launchFrame[kSlots - 1]; ++frame) {
        for (int slot = 0; slot < kSlots; ++slot) {
            if (frame == launchFrame[slot]) {
                placeHead(game, slot, heads[slot][0], heads[slot][1]);
                crashPlayer(game, slot);
                plainLaunch(plain[slot], plainRandom, heads[slot][0], heads[slot][1], count);
                // The panel line is the crash's own business; keep the pages comparable.
                std::memcpy(plainPage.data() + 416 * kSurfacePitch,
                            game.screen.Pixels(SurfacePrimary) + 416 * kSurfacePitch,
                            64 * kSurfacePitch);
            }
        }
        anyActive = false;
        for (int slot = 0; slot < kSlots; ++slot) {
            if (game.players.explosionActive[slot]) tickExplosion(game, slot);
            if (plain[slot].active) {
                plainTick(plain[slot], type, game.directions, plainPage.data(), kSurfacePitch,
                          playerColour[slot]);
            }
            ASSERT_EQ(game.players.explosionActive[slot] != 0, plain[slot].active)
                << "slot " << slot << " frame " << frame;
            ASSERT_EQ(game.players.explosionAge[slot], plain[slot].age);
            anyActive = anyActive || plain[slot].active;
        }
        ASSERT_TRUE(page(game) == plainPage) << "pages differ after frame " << frame;
        frames = frame;
    }
    EXPECT_GT(frames, 100);  // the explosions really flew for a while
}

}  // namespace

TEST(CrashAward, PaysTimeTimesRateAndRaisesTheRate) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    game.players.score = {100, 200, 300, 400};
    game.match.time = 7;
    game.match.scoreRate = 1.5f;
    placeHead(game, 1, 100.5f, 100.5f);
    placeHead(game, 3, 200.5f, 200.5f);

    // Two crashes in one frame, in slot order: 7 * 1.5 = 10.5 pays 10, 7 * 2.0 pays 14.
    crashPlayer(game, 1);
    crashPlayer(game, 3);
    EXPECT_EQ(game.players.score[1], 210);
    EXPECT_EQ(game.players.score[3], 414);
    EXPECT_EQ(game.players.score[0], 100);
    EXPECT_EQ(game.players.score[2], 300);
    EXPECT_FLOAT_EQ(game.match.scoreRate, 2.5f);

    // A crash at second 0 earns nothing but still raises the rate.
    game.match.time = 0;
    placeHead(game, 0, 300.5f, 300.5f);
    crashPlayer(game, 0);
    EXPECT_EQ(game.players.score[0], 100);
    EXPECT_FLOAT_EQ(game.match.scoreRate, 3.0f);
}

TEST(CrashPanelLine, BlanksOnlyTheCrashedSlotsLine) {
    for (int slot = 0; slot < kSlots; ++slot) {
        TestGame test;
        Game& game = *test;
        drawRoundPage(game);
        game.settings.explosionValue[ExplosionBomb] = 0;
        placeHead(game, slot, 320.5f, 200.5f);
        const std::vector<uint8_t> before = page(game);
        ASSERT_GT(countSolid(game.screen, SurfacePrimary, 16 + 320 * (slot % 2),
                             416 + 16 * (slot / 2), 16 + 320 * (slot % 2) + kPanelWidth - 1,
                             416 + 16 * (slot / 2) + 15),
                  0);

        crashPlayer(game, slot);

        // The line looks exactly like 18 blanks in the slot's tile drawn on a clear page.
        Screen& screen = game.screen;
        screen.Clear(SurfaceSpare5);
        screen.DrawColourText(SurfaceSpare5, "                  ", 16 + 320 * (slot % 2),
                              416 + 16 * (slot / 2), kCell, kCell, slot + 1);
        const std::vector<uint8_t> after = page(game);
        for (int y = 416; y < kScreenHeight; ++y) {
            for (int x = 0; x < kScreenWidth; ++x) {
                if (!insidePanelLine(slot, x, y)) continue;
                ASSERT_EQ(after[y * kSurfacePitch + x], screen.Pixel(SurfaceSpare5, x, y))
                    << "slot " << slot << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(changesOutsideField(before, after, slot), 0) << "slot " << slot;
    }
}

TEST(BombExplosion, RingsTwoPixelsApartBelowTheValue) {
    // value -> radii drawn
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {0, {}}, {1, {}}, {2, {1}}, {3, {1}}, {16, {1, 3, 5, 7, 9, 11, 13, 15}}};
    for (const auto& [value, radii] : cases) {
        TestGame test;
        Game& game = *test;
        drawRoundPage(game);
        drawTrails(game);
        game.settings.explosionType = ExplosionBomb;
        game.settings.explosionValue[ExplosionBomb] = value;
        game.match.time = 3;
        placeHead(game, 2, 200.9f, 150.2f);
        const std::vector<uint8_t> before = page(game);

        crashPlayer(game, 2);

        Screen& screen = game.screen;
        screen.Clear(SurfaceSpare5);
        for (int r : radii) {
            screen.DrawCircle(SurfaceSpare5, 200, 150, r, screen.PaletteRgb(playerColour[2]));
        }
        const std::vector<uint8_t> after = page(game);
        for (int y = kFieldTop; y <= kFieldBottom; ++y) {
            for (int x = kFieldLeft; x <= kFieldRight; ++x) {
                const uint8_t ring = screen.Pixel(SurfaceSpare5, x, y);
                const uint8_t expected = ring != 0 ? ring : before[y * kSurfacePitch + x];
                ASSERT_EQ(after[y * kSurfacePitch + x], expected)
                    << "value " << value << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(countPixels(screen, SurfaceSpare5, 0, 0, 639, 479, playerColour[2]) > 0,
                  !radii.empty());
        EXPECT_EQ(game.players.explosionActive[2], 0);
    }
}

TEST(BombExplosion, RingsNeverLeaveTheField) {
    const float corners[kSlots][2] = {{1.5f, 33.5f}, {638.5f, 33.5f}, {1.5f, 414.5f},
                                      {638.5f, 414.5f}};
    for (int slot = 0; slot < kSlots; ++slot) {
        TestGame test;
        Game& game = *test;
        drawRoundPage(game);
        game.settings.explosionType = ExplosionBomb;
        game.settings.explosionValue[ExplosionBomb] = 100;
        placeHead(game, slot, corners[slot][0], corners[slot][1]);
        const std::vector<uint8_t> before = page(game);
        crashPlayer(game, slot);
        const std::vector<uint8_t> after = page(game);
        EXPECT_EQ(changesOutsideField(before, after, slot), 0) << "slot " << slot;
        EXPECT_GT(countPixels(game.screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight,
                              kFieldBottom, playerColour[slot]),
                  100);
    }
}

TEST(CosmoExplosion, StartsOnTheHeadAndEndsWhenNothingFlies) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    game.settings.explosionType = ExplosionCosmo;

    // No particles: the explosion is marked running, and its first tick ends it.
    game.settings.explosionValue[ExplosionCosmo] = 0;
    placeHead(game, 0, 300.5f, 200.5f);
    const std::vector<uint8_t> before = page(game);
    crashPlayer(game, 0);
    EXPECT_EQ(game.players.explosionActive[0], 1);
    EXPECT_EQ(game.players.explosionAge[0], 0);
    tickExplosion(game, 0);
    EXPECT_EQ(game.players.explosionActive[0], 0);
    EXPECT_EQ(changesOutsideField(before, page(game), 0), 0);

    // 150 particles, all on the head, with headings and speeds drawn in that order.
    game.settings.explosionValue[ExplosionCosmo] = 150;
    placeHead(game, 1, 123.25f, 321.75f);
    Random expected = game.random;
    crashPlayer(game, 1);
    const ParticleTable& table = game.explosions.tables[1];
    ASSERT_EQ(table.count, 150);
    for (int i = 0; i < 150; ++i) {
        const Particle p = table.particle(i);
        EXPECT_EQ(p.x, 123.25f);
        EXPECT_EQ(p.y, 321.75f);
        EXPECT_EQ(p.direction, expected.randomRange(0, 359));
        const int32_t step = expected.randomRange(1, 200);
        EXPECT_EQ(p.speed, static_cast<float>(step / 100.0 + 0.5));
        EXPECT_GE(p.speed, 0.51f);
        EXPECT_LE(p.speed, 2.5f);
        EXPECT_EQ(p.active, 1);
    }

    // A value above the table is limited to the table.
    game.settings.explosionValue[ExplosionCosmo] = 50000;
    placeHead(game, 2, 400.5f, 100.5f);
    crashPlayer(game, 2);
    EXPECT_EQ(game.explosions.tables[2].count, kParticlesPerSlot);
}

TEST(CosmoExplosion, FirstTickErasesTheCrashedHeadsPixel) {
    for (int value : {1, 2, 3, 10, 150}) {
        TestGame test;
        Game& game = *test;
        drawRoundPage(game);
        game.settings.explosionType = ExplosionCosmo;
        game.settings.explosionValue[ExplosionCosmo] = value;
        // The head ran into another player's trail pixel.
        const int hx = 250, hy = 250;
        game.screen.FieldPixels[hy * game.screen.FieldPitch + hx] = kTrailColour;
        placeHead(game, 2, hx + 0.5f, hy + 0.5f);
        crashPlayer(game, 2);
        tickExplosion(game, 2);

        // Every particle erases the head pixel before it draws itself, so the pixel holds
        // the player's colour only if the last particle is still on it, else it is empty.
        const ParticleTable& table = game.explosions.tables[2];
        const Particle last = table.particle(table.count - 1);
        const bool lastStayed = int(last.x) == hx && int(last.y) == hy;
        EXPECT_EQ(game.screen.FieldPixels[hy * game.screen.FieldPitch + hx],
                  lastStayed ? playerColour[2] : 0)
            << "value " << value;
    }
}

TEST(CosmoExplosion, ParticlesStayInTheFieldCutTrailsAndLeaveNothingBehind) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    drawTrails(game);
    game.settings.explosionType = ExplosionCosmo;
    game.settings.explosionValue[ExplosionCosmo] = 9050;
    const int trailBefore = countPixels(game.screen, SurfacePrimary, kFieldLeft, kFieldTop,
                                        kFieldRight, kFieldBottom, kTrailColour);
    placeHead(game, 0, 3.5f, 36.5f);  // near a corner: most particles leave at once
    placeHead(game, 1, 320.5f, 220.5f);
    crashPlayer(game, 0);
    crashPlayer(game, 1);
    const std::vector<uint8_t> crashed = page(game);

    int lastFlying[2] = {kParticlesPerSlot + 1, kParticlesPerSlot + 1};
    int ticks = 0;
    while (game.players.explosionActive[0] || game.players.explosionActive[1]) {
        for (int slot = 0; slot < 2; ++slot) {
            if (!game.players.explosionActive[slot]) continue;
            tickExplosion(game, slot);
            // Once gone, a particle never comes back.
            const int flying = game.explosions.tables[slot].flying;
            ASSERT_LE(flying, lastFlying[slot]);
            lastFlying[slot] = flying;
        }
        ASSERT_EQ(changesOutsideField(crashed, page(game)), 0) << "tick " << ticks;
        ++ticks;
    }
    EXPECT_GT(ticks, 100);

    // Every dot drawn was erased again when the particle moved on or left, so nothing of
    // the two colours is left; the trails they crossed have gaps.
    const Screen& screen = game.screen;
    for (int slot = 0; slot < 2; ++slot) {
        EXPECT_EQ(countPixels(screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight,
                              kFieldBottom, playerColour[slot]),
                  0);
    }
    const int trailAfter = countPixels(screen, SurfacePrimary, kFieldLeft, kFieldTop,
                                       kFieldRight, kFieldBottom, kTrailColour);
    EXPECT_LT(trailAfter, trailBefore - 500);
    EXPECT_EQ(countSolid(screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight,
                         kFieldBottom),
              trailAfter);
}

TEST(Cosmo2Explosion, TurnsOnTicksOneTo89Only) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    game.settings.explosionType = ExplosionCosmo2;
    game.settings.explosionValue[ExplosionCosmo2] = 1;
    // A seed whose one particle is slow enough to stay in the field for 150 ticks.
    uint32_t seed = 1;
    for (;; ++seed) {
        Random probe;
        probe.seed(seed);
        probe.randomRange(0, 359);
        if (probe.randomRange(1, 200) <= 50) break;
    }
    game.random.seed(seed);
    placeHead(game, 0, 320.5f, 224.5f);
    crashPlayer(game, 0);
    const int32_t start = game.explosions.tables[0].particle(0).direction;

    const DirectionTables& dirs = game.directions;
    for (int tick = 1; tick <= 150; ++tick) {
        const Particle before = game.explosions.tables[0].particle(0);
        tickExplosion(game, 0);
        const Particle after = game.explosions.tables[0].particle(0);
        ASSERT_EQ(after.active, 1) << "tick " << tick;
        // The move uses the heading the particle had before the tick.
        EXPECT_EQ(after.x, before.x + dirs.dirX[before.direction] * before.speed);
        EXPECT_EQ(after.y, before.y + dirs.dirY[before.direction] * before.speed);
        EXPECT_EQ(after.direction, (start + std::min(tick, 89)) % 360) << "tick " << tick;
        EXPECT_EQ(game.screen.FieldPixels[int(after.y) * game.screen.FieldPitch + int(after.x)],
                  playerColour[0]);
    }

    // COSMO particles never turn.
    game.settings.explosionType = ExplosionCosmo;
    game.settings.explosionValue[ExplosionCosmo] = 1;
    game.random.seed(seed);
    placeHead(game, 1, 320.5f, 224.5f);
    crashPlayer(game, 1);
    for (int tick = 1; tick <= 50; ++tick) tickExplosion(game, 1);
    EXPECT_EQ(game.explosions.tables[1].particle(0).direction, start);
}

TEST(ExplosionsAgainstPlainWalk, SameFieldWritesInTheSameOrder) {
    expectSameAsPlainWalk(ExplosionCosmo2, 3000);
    expectSameAsPlainWalk(ExplosionCosmo, 12000);  // limited to the 10000 records
    expectSameAsPlainWalk(ExplosionCosmo2, 9050);
}
