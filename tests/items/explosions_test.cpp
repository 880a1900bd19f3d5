// Crashes: the award, the blanked panel line, BOMB rings, and COSMO / COSMO2 particles compared
// byte for byte with a plain record-by-record walk of the particle table.
#include "items/explosions.h"

#include "tests/items/items_page.h"

namespace {

// A particle explosion as the rules state it: one record per particle, walked in table order.
struct PlainExplosion {
    std::vector<Particle> particles;  // active: some particle is still within the field bounds
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
        if (!active) return;
        auto within = [](Particle& p) { return p.x >= 1 && p.x <= 638 && p.y >= 33 && p.y <= 414; };
        auto pixel = [&](Particle& p) -> uint8_t& { return page[int(p.y) * 640 + int(p.x)]; };
        age += 1, active = false;
        for (Particle& p : particles) {
            if (!p.active) continue;
            if (within(p)) pixel(p) = 0;
            p.x += dirs.dirX[p.direction] * p.speed;
            p.y += dirs.dirY[p.direction] * p.speed;
            if (!(p.active = within(p))) continue;
            active = true;
            if (age < 90 && type == ExplosionCosmo2) p.direction = (p.direction + 1) % 360;
            pixel(p) = colour;
        }
    }
};

using Crash = RoundPage;

}  // namespace

// A crash pays time * scoreRate (truncated) and raises the rate by 0.5; its panel line becomes
// 18 blanks; BOMB rings of radius 1, 3, ... below the value lie over the field area only.
TEST_F(Crash, PaysBlanksThePanelLineAndStampsBombRingsInTheFieldOnly) {
    const float cases[][6] = {  // slot, head x, head y, BOMB value, time, award
        {1, 200.9f, 150.2f, 1, 7, 10}, {2, 200.9f, 150.2f, 2, 0, 0}, {1, 200.9f, 150.2f, 16, 3, 4},
        {0, 1.5f, 33.5f, 100, 8, 12}, {3, 638.5f, 414.5f, 100, 1, 1}};
    for (const auto& [slotValue, x, y, value, time, award] : cases) {
        const int slot = static_cast<int>(slotValue);
        drawRoundPage(200);  // rings over a solid field, which shows any gap in them
        game.settings.explosionValue[ExplosionBomb] = static_cast<int>(value);
        players.x[slot] = x, players.y[slot] = y, players.score[slot] = 0;
        game.match.time = static_cast<int>(time), game.match.scoreRate = 1.5f;
        std::memcpy(screen.Pixels(SurfaceSpare5), screen.Pixels(SurfacePrimary), kSurfaceBytes);
        const char* blanks = "                  ";
        screen.DrawColourText(SurfaceSpare5, blanks, panelX(slot), panelY(slot), 16, 16, slot + 1);
        screen.Clear(SurfaceSpare7);
        const uint32_t colour = screen.PaletteRgb(playerColour[slot]);
        for (int r = 1; r < value; r += 2) screen.DrawCircle(SurfaceSpare7, x, y, r, colour);
        screen.CopyKeyed(1, 33, 1, 33, kFieldWidth, kFieldHeight, SurfaceSpare5, SurfaceSpare7);
        crashPlayer(game, slot);
        EXPECT_EQ(std::memcmp(screen.Pixels(SurfacePrimary), screen.Pixels(SurfaceSpare5),
                              kSurfaceBytes), 0) << "value " << value << " slot " << slot;
        EXPECT_TRUE(players.score[slot] == award && game.match.scoreRate == 2.0f) << slot;
        EXPECT_EQ(players.explosionActive[slot], 0);  // nothing left running
    }
}

// Four explosions launched at different frames from overlapping places (one head on a trail,
// one in the frame), with more particles than a table holds: after every frame the page above
// the panel lines and the running flags equal those of the plain walk, for COSMO and COSMO2.
TEST_F(Crash, ParticlesMatchThePlainWalkByteForByte) {
    const float heads[kSlots][3] = {  // x, y, launch frame
        {318.3f, 220.7f, 0}, {330.9f, 215.1f, 0}, {5.5f, 40.2f, 7}, {0.5f, 300.5f, 40}};
    for (int type : {ExplosionCosmo, ExplosionCosmo2}) {
        drawRoundPage();  // with trails to cut: every 53rd column
        for (int i = 0; i < kFieldHeight * 12; ++i) fieldAt(53 * (1 + i % 12), 33 + i / 12) = 200;
        game.settings.explosionType = type;
        game.settings.explosionValue[type] = type == ExplosionCosmo ? 2000 : 12000;
        const int count = std::min(game.settings.explosionValue[type], kParticlesPerSlot);
        std::vector<uint8_t> plainPage = shownPage();
        PlainExplosion plain[kSlots];
        Random plainRandom = game.random;
        for (int frame = 0, flying = 1; flying || frame <= 40; ++frame) {
            flying = 0;
            for (int slot = 0; slot < kSlots; ++slot) {
                if (frame == heads[slot][2]) {
                    players.x[slot] = heads[slot][0], players.y[slot] = heads[slot][1];
                    crashPlayer(game, slot);
                    plain[slot].launch(plainRandom, heads[slot][0], heads[slot][1], count);
                }
                if (players.explosionActive[slot]) tickExplosion(game, slot);
                plain[slot].tick(type, game.directions, plainPage.data(), playerColour[slot]);
                ASSERT_EQ(players.explosionActive[slot] != 0, plain[slot].active) << frame;
                flying = flying || plain[slot].active;
            }
            ASSERT_EQ(std::memcmp(plainPage.data(), screen.Pixels(SurfacePrimary), 416 * 640), 0);
        }
    }
}
