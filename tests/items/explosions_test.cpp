// Crashes: the award, the blanked panel line, BOMB rings, and COSMO / COSMO2 particles compared
// byte for byte with a plain record-by-record walk of the particle table.
#include "items/explosions.h"

#include "tests/items/items_page.h"

using namespace itemstest;

namespace {

// A particle explosion as the rules state it: one record per particle, walked in table order.
struct PlainExplosion {
    std::vector<Particle> particles;
    int32_t age = 0;
    bool active = false;

    void launch(Random& random, float x, float y, int count) {
        *this = PlainExplosion{std::vector<Particle>(count, Particle{x, y, 0, 0, 1}), 0, true};
        for (Particle& p : particles) {
            p.direction = random.randomRange(0, 359);
            p.speed = static_cast<float>(random.randomRange(1, 200) / 100.0 + 0.5);
        }
    }
    void tick(int type, const DirectionTables& dirs, uint8_t* page, uint8_t colour) {
        auto within = [](Particle& p) { return p.x >= 1 && p.x <= 638 && p.y >= 33 && p.y <= 414; };
        auto pixel = [&](Particle& p) -> uint8_t& { return page[int(p.y) * kSurfacePitch + int(p.x)]; };
        age += 1;
        active = false;
        for (Particle& p : particles) {
            if (!p.active) continue;
            if (within(p)) pixel(p) = 0;
            p.x += dirs.dirX[p.direction] * p.speed;
            p.y += dirs.dirY[p.direction] * p.speed;
            p.active = within(p);
            if (!p.active) continue;
            active = true;
            if (age < 90 && type == ExplosionCosmo2) p.direction = (p.direction + 1) % 360;
            pixel(p) = colour;
        }
    }
};

}  // namespace

// A crash pays time * scoreRate (truncated) and raises the rate by 0.5, at second 0 too.
// COSMO with no particles is marked running, and its first tick ends it.
TEST(Crash, PaysTimeTimesRateAndStartsItsExplosion) {
    TestGame game;
    drawRoundPage(*game);
    game->match.time = 7;
    game->match.scoreRate = 1.5f;
    for (int slot : {1, 3}) crashPlayer(*game, slot);  // one frame: 7 * 1.5 -> 10, 7 * 2.0 -> 14
    game->match.time = 0;
    game->settings.explosionType = ExplosionCosmo;
    game->settings.explosionValue[ExplosionCosmo] = 0;
    crashPlayer(*game, 0);
    EXPECT_EQ(game->players.score, (std::array<int32_t, 4>{0, 10, 0, 14}));
    EXPECT_TRUE(game->match.scoreRate == 3.0f && game->players.explosionActive[0] == 1);
    tickExplosion(*game, 0);
    EXPECT_EQ(game->players.explosionActive[0], 0);
}

// The crashed slot's panel line becomes 18 blanks in its tile; BOMB rings of radius 1, 3, ...
// below the value lie over the field area round the head pixel, and nothing else changes.
TEST(Crash, BlanksThePanelLineAndStampsBombRingsInTheFieldOnly) {
    const float cases[][4] = {{1, 200.9f, 150.2f, 0}, {2, 200.9f, 150.2f, 1}, {1, 200.9f, 150.2f, 2},
                              {2, 200.9f, 150.2f, 3}, {1, 200.9f, 150.2f, 16},
                              {0, 1.5f, 33.5f, 100}, {3, 638.5f, 414.5f, 100}};  // slot, x, y, value
    TestGame game;
    Screen& screen = game->screen;
    for (const auto& [slotValue, x, y, value] : cases) {
        const int slot = static_cast<int>(slotValue);
        drawRoundPage(*game, 200);  // rings over a solid field, which shows any gap in them
        game->settings.explosionValue[ExplosionBomb] = static_cast<int>(value);
        game->players.x[slot] = x;
        game->players.y[slot] = y;
        std::memcpy(screen.Pixels(SurfaceSpare5), screen.Pixels(SurfacePrimary), kSurfaceBytes);
        screen.DrawColourText(SurfaceSpare5, "                  ", panelX(slot), panelY(slot), kCell,
                              kCell, slot + 1);
        screen.Clear(SurfaceSpare7);
        for (int r = 1; r < value; r += 2) {
            screen.DrawCircle(SurfaceSpare7, int(x), int(y), r, screen.PaletteRgb(playerColour[slot]));
        }
        screen.CopyKeyed(1, 33, 1, 33, kFieldWidth, kFieldHeight, SurfaceSpare5, SurfaceSpare7);
        crashPlayer(*game, slot);
        EXPECT_EQ(std::memcmp(screen.Pixels(SurfacePrimary), screen.Pixels(SurfaceSpare5), kSurfaceBytes), 0)
            << "value " << value << " slot " << slot;
        EXPECT_EQ(game->players.explosionActive[slot], 0);
    }
}

// Four explosions launched at different frames from overlapping places (one head on a trail,
// one in the frame), with more particles than a table holds: after every frame the field, the
// running flags and the ages equal those of the plain walk, for COSMO and COSMO2 alike.
TEST(Crash, ParticlesMatchThePlainWalkByteForByte) {
    const float heads[kSlots][2] = {{318.3f, 220.7f}, {330.9f, 215.1f}, {5.5f, 40.2f}, {0.5f, 300.5f}};
    const int launchFrame[kSlots] = {0, 0, 7, 40};
    for (int type : {ExplosionCosmo, ExplosionCosmo2}) {
        TestGame test;
        Game& game = *test;
        drawRoundPage(game);
        for (int y = 37; y <= kFieldBottom; y += 37) std::memset(&fieldAt(game, 1, y), 200, kFieldWidth);
        for (int i = 0; i < kFieldHeight * 12; ++i) fieldAt(game, 53 * (1 + i % 12), 33 + i / 12) = 200;
        game.settings.explosionType = type;
        game.settings.explosionValue[type] = type == ExplosionCosmo ? 2000 : 12000;
        std::vector<uint8_t> plainPage = shownPage(game);
        PlainExplosion plain[kSlots];
        Random plainRandom = game.random;
        int frame = 0;
        for (bool flying = true; flying || frame <= launchFrame[kSlots - 1]; ++frame) {
            flying = false;
            for (int slot = 0; slot < kSlots; ++slot) {
                if (frame == launchFrame[slot]) {
                    game.players.x[slot] = heads[slot][0];
                    game.players.y[slot] = heads[slot][1];
                    crashPlayer(game, slot);
                    plain[slot].launch(plainRandom, heads[slot][0], heads[slot][1],
                                       std::min(game.settings.explosionValue[type], kParticlesPerSlot));
                }
                if (game.players.explosionActive[slot]) tickExplosion(game, slot);
                if (plain[slot].active) plain[slot].tick(type, game.directions, plainPage.data(), playerColour[slot]);
                ASSERT_EQ(game.players.explosionActive[slot] != 0, plain[slot].active) << slot << " " << frame;
                ASSERT_EQ(game.players.explosionAge[slot], plain[slot].age);
                flying = flying || plain[slot].active;
            }
            // Rows from the panel band on hold the blanked lines, not ours to compare.
            ASSERT_EQ(std::memcmp(plainPage.data(), game.screen.Pixels(SurfacePrimary),
                                  panelY(0) * kSurfacePitch), 0) << "after frame " << frame;
        }
        EXPECT_GT(frame, 100);  // the explosions really flew for a while
    }
}
