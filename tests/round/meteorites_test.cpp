// Meteorite showers checked frame by frame against a plain walk of the rules.
#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/round/round_checks.h"

using namespace roundtest;

namespace {

// One record per meteorite, in placement order: clear where it stood, fly, vanish below
// column 1, draw where it landed; both writes only left of column 639.
struct PlainShower {
    std::vector<Meteor> meteors;
    void spawn(Random& random, int count) {  // column, row, speed: drawn in that order
        meteors.assign(count, Meteor{});
        for (Meteor& m : meteors) {
            m.x = static_cast<float>(random.randomRange(638, 900));
            m.y = static_cast<float>(random.randomRange(33, 414));
            m.speed = static_cast<float>(random.randomRange(1, 200) / 100.0 + 0.5);
            m.active = 1;
        }
    }
    bool step(uint8_t* page) {  // whether any meteorite is still in flight
        bool flying = false;
        for (Meteor& m : meteors) {
            if (!m.active) continue;
            uint8_t* row = page + static_cast<int>(m.y) * kSurfacePitch;
            if (int(m.x) < 639) row[int(m.x)] = 0;
            m.x -= m.speed;
            m.active = int(m.x) >= 1;
            if (m.active && int(m.x) < 639) row[int(m.x)] = meteorColour;
            flying = flying || m.active;
        }
        return flying;
    }
};

}  // namespace

// METEORITE TIME 2: a shower of 9050 comes when time reaches 2 (never at 0 or 1), the next only
// once it is gone; the field gets exactly the plain walk's writes, which cut gaps in trails.
TEST(MeteorShower, ComesWhenDueAndCutsGapsInTrailsExactlyAsThePlainWalk) {
    TestGame test;
    Game& game = *test;
    setUpRound(test, {M, M, N, N});
    for (int y = 33; y <= 414; ++y) {
        for (int x = 1; x <= 638; ++x) fieldAt(game, x, y) = (y % 5 == 0 || x % 7 == 0) ? 27 : 0;
    }
    const int trails = countPixels(game.screen, SurfacePrimary, 1, 33, 638, 414, 27);
    game.settings.meteoritesOn = 1;
    game.settings.meteoriteTime = 2;
    game.settings.meteoriteValue = 9050;
    const uint8_t* shown = game.screen.Pixels(SurfacePrimary);
    std::vector<uint8_t> plainPage(shown, shown + kSurfaceBytes);
    Random plainRandom = game.random;
    PlainShower plain;
    bool flying = false;
    int showers = 0;
    for (int frame = 0; showers < 2 || flying; ++frame) {  // each shower ends within 1800 frames
        game.match.time = std::min(frame / 3, 2);
        if (!flying && game.match.time == 2) {
            plain.spawn(plainRandom, 9050);
            ++showers;
        }
        flying = plain.step(plainPage.data());
        stepMeteorites(game);
        ASSERT_EQ(game.meteorites.meteorShowerActive != 0, flying) << "frame " << frame;
        ASSERT_EQ(std::memcmp(shown, plainPage.data(), kSurfaceBytes), 0) << "frame " << frame;
    }
    const int left = countPixels(game.screen, SurfacePrimary, 1, 33, 638, 414, 27);
    EXPECT_LT(left, trails);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, 1, 33, 638, 414), left);  // no meteorite left
}
