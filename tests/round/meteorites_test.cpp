// Meteorite showers on a hand-made round page: when they come, how they fly, what they cut,
// and the same field writes as a plain meteorite-by-meteorite walk.
#include "round/meteorites.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/test_game.h"

namespace {

constexpr uint8_t kTrailColour = 156;

void drawRoundPage(Game& game) {
    Screen& screen = game.screen;
    screen.Clear(SurfacePrimary);
    screen.DrawText(SurfacePrimary, "ROUND 01  WAIT 001  TIME 00000", 16, 16, 16, 16);
    screen.DrawFrame(SurfacePrimary, 0, 32, 639, 415, screen.PaletteRgb(ColourFrame));
    screen.DrawText(SurfacePrimary, "PUSH ESC KEY TO END", 16, 464, 16, 16);
    screen.MapField();
}

void switchOn(Game& game, int32_t period, int32_t value) {
    game.settings.meteoritesOn = 1;
    game.settings.meteoriteTime = period;
    game.settings.meteoriteValue = value;
}

std::vector<uint8_t> page(const Game& game) {
    const uint8_t* pixels = game.screen.Pixels(SurfacePrimary);
    return std::vector<uint8_t>(pixels, pixels + kSurfaceBytes);
}

// True when no pixel outside the playing area differs.
bool sameOutsideField(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    for (int y = 0; y < kScreenHeight; ++y) {
        const bool fieldRow = y >= kFieldTop && y <= kFieldBottom;
        for (int x = 0; x < kScreenWidth; x += fieldRow ? kFieldRight + 1 : 1) {
            if (a[y * kSurfacePitch + x] != b[y * kSurfacePitch + x]) return false;
        }
    }
    return true;
}

int fieldCount(const Game& game, uint8_t value) {
    return countPixels(game.screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight,
                       kFieldBottom, value);
}

// The plain walk: one record per meteorite, every record of the shower visited in order.
struct PlainShower {
    std::vector<Meteor> meteors;
    bool active = false;

    void spawn(Random& random, int count) {
        meteors.assign(count, Meteor{});
        for (Meteor& m : meteors) {
            m.x = static_cast<float>(random.randomRange(638, 900));
            m.y = static_cast<float>(random.randomRange(33, 414));
            m.speed = static_cast<float>(random.randomRange(1, 200) / 100.0 + 0.5);
            m.active = 1;
        }
        active = true;
    }
    void step(uint8_t* field, int pitch) {
        bool flying = false;
        for (Meteor& m : meteors) {
            if (!m.active) continue;
            if (int(m.x) < 639) field[int(m.y) * pitch + int(m.x)] = 0;
            m.x -= m.speed;
            if (int(m.x) < 1) {
                m.active = 0;
                continue;
            }
            if (int(m.x) < 639) field[int(m.y) * pitch + int(m.x)] = 237;
            flying = true;
        }
        active = flying;
    }
};

}  // namespace

TEST(MeteorShower, ComesAtNonZeroMultiplesOfTheTimeAndNeverOverlaps) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    switchOn(game, 3, 100);
    Meteorites& shower = game.meteorites;

    // Seconds 0, 1, 2: nothing happens, not even a random draw.
    for (int32_t time : {0, 0, 1, 2}) {
        game.match.time = time;
        const uint32_t state = game.random.state;
        stepMeteorites(game);
        EXPECT_EQ(shower.meteorShowerActive, 0) << "time " << time;
        EXPECT_EQ(game.random.state, state);
    }

    // The frame in which the time becomes 3 places the shower and moves it once.
    game.match.time = 3;
    Random expected = game.random;
    stepMeteorites(game);
    EXPECT_EQ(shower.meteorShowerActive, 1);
    ASSERT_EQ(shower.count, 100);
    for (int i = 0; i < 100; ++i) {
        const float x = static_cast<float>(expected.randomRange(638, 900));
        const float y = static_cast<float>(expected.randomRange(33, 414));
        const float speed = static_cast<float>(expected.randomRange(1, 200) / 100.0 + 0.5);
        const Meteor m = shower.meteor(i);
        EXPECT_EQ(m.x, x - speed) << i;
        EXPECT_EQ(m.y, y);
        EXPECT_EQ(m.speed, speed);
        EXPECT_EQ(m.active, 1);
    }

    // A due time while the shower flies is skipped: no new placement.
    int frames = 1;
    for (int32_t time : {4, 6, 9}) {
        game.match.time = time;
        for (int i = 0; i < 10; ++i, ++frames) {
            const uint32_t state = game.random.state;
            stepMeteorites(game);
            ASSERT_EQ(game.random.state, state);
            ASSERT_EQ(shower.meteorShowerActive, 1);
        }
    }
    // Let it finish at a time that is not due; it ends in the frame that finds none left.
    game.match.time = 10;
    while (shower.meteorShowerActive) {
        stepMeteorites(game);
        ++frames;
    }
    EXPECT_GT(frames, 250);   // start columns up to 900 at 2.5 pixels a frame or less
    EXPECT_LE(frames, 1800);  // 900 columns at 0.51 pixels a frame
    EXPECT_EQ(fieldCount(game, meteorColour), 0);
    // Not due: stays off. Due again: a new shower.
    stepMeteorites(game);
    EXPECT_EQ(shower.meteorShowerActive, 0);
    game.match.time = 12;
    stepMeteorites(game);
    EXPECT_EQ(shower.meteorShowerActive, 1);
}

TEST(MeteorShower, CutsTrailsButNeverTouchesTheFrame) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    switchOn(game, 60, 300);
    // A vertical trail at column 300 from top to bottom of the field.
    for (int y = kFieldTop; y <= kFieldBottom; ++y) {
        game.screen.FieldPixels[y * game.screen.FieldPitch + 300] = kTrailColour;
    }
    const std::vector<uint8_t> before = page(game);
    game.match.time = 60;
    int frames = 0;
    do {
        stepMeteorites(game);
        ASSERT_TRUE(sameOutsideField(before, page(game))) << "frame " << frames;
        // Meteorites are drawn only in the field, as 237.
        ++frames;
    } while (game.meteorites.meteorShowerActive);

    // Every meteorite cleared its last pixel when it vanished; the trail has gaps where
    // meteorites crossed it, and nothing else is in the field.
    const int trail = fieldCount(game, kTrailColour);
    EXPECT_EQ(fieldCount(game, meteorColour), 0);
    EXPECT_LT(trail, kFieldHeight - 50);
    EXPECT_GT(trail, 0);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, kFieldLeft, kFieldTop, kFieldRight,
                         kFieldBottom),
              trail);
    EXPECT_EQ(countSolid(game.screen, SurfacePrimary, 300, kFieldTop, 300, kFieldBottom), trail);
}

TEST(MeteorShower, SlowMeteoriteIsRedrawnInTheSameColumn) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    switchOn(game, 1, 1);
    // A seed whose one meteorite starts at column 638 with speed 0.51.
    uint32_t seed = 1;
    for (;; ++seed) {
        Random probe;
        probe.seed(seed);
        const int32_t column = probe.randomRange(638, 900);
        probe.randomRange(33, 414);
        if (column <= 640 && probe.randomRange(1, 200) == 1) break;
    }
    game.random.seed(seed);
    game.match.time = 1;
    stepMeteorites(game);
    const int row = static_cast<int>(game.meteorites.meteor(0).y);
    ASSERT_EQ(game.meteorites.meteor(0).speed, 0.51f);

    // Follow it: it is always exactly one 237 pixel in its row, at its column, and at
    // least once it stays in the same column for a second frame.
    int lastColumn = -1;
    int stays = 0;
    for (int frame = 0; frame < 300; ++frame) {
        const Meteor m = game.meteorites.meteor(0);
        const int column = static_cast<int>(m.x);
        if (column < kMeteorVisibleEnd) {
            ASSERT_EQ(game.screen.Pixel(SurfacePrimary, column, row), meteorColour);
            ASSERT_EQ(countPixels(game.screen, SurfacePrimary, 0, row, 639, row, meteorColour), 1);
        }
        stays += column == lastColumn ? 1 : 0;
        lastColumn = column;
        stepMeteorites(game);
    }
    EXPECT_GT(stays, 0);
}

TEST(MeteorShower, DamagedSettingsAreHarmless) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    // METEORITE TIME 0 would divide by zero; it is taken as 1.
    switchOn(game, 0, 50);
    game.match.time = 0;
    stepMeteorites(game);
    EXPECT_EQ(game.meteorites.meteorShowerActive, 0);
    game.match.time = 7;
    stepMeteorites(game);
    EXPECT_EQ(game.meteorites.meteorShowerActive, 1);
    EXPECT_EQ(game.meteorites.count, 50);

    // More meteorites than the table holds: the shower is the whole table.
    TestGame other;
    Game& big = *other;
    drawRoundPage(big);
    switchOn(big, -5, 1000000);
    big.match.time = 4;
    stepMeteorites(big);
    EXPECT_EQ(big.meteorites.meteorShowerActive, 1);
    EXPECT_EQ(big.meteorites.count, kMeteorSlots);
}

TEST(MeteorShower, SameFieldWritesAsPlainWalk) {
    TestGame test;
    Game& game = *test;
    drawRoundPage(game);
    // Trails on every 5th row and every 7th column, so meteorites keep crossing them.
    for (int y = kFieldTop; y <= kFieldBottom; ++y) {
        for (int x = kFieldLeft; x <= kFieldRight; ++x) {
            if (y % 5 == 0 || x % 7 == 0) game.screen.FieldPixels[y * kSurfacePitch + x] = 27;
        }
    }
    switchOn(game, 2, 9050);
    std::vector<uint8_t> plainPage = page(game);
    Random plainRandom = game.random;
    PlainShower plain;

    // Two showers in a row: the second starts when the first ends at a due time.
    game.match.time = 2;
    int showers = 0;
    for (int frame = 0; frame < 4000 && (showers < 2 || plain.active); ++frame) {
        if (!plain.active && showers < 2) {
            plain.spawn(plainRandom, 9050);
            ++showers;
        }
        plain.step(plainPage.data(), kSurfacePitch);
        stepMeteorites(game);
        ASSERT_EQ(game.meteorites.meteorShowerActive != 0, plain.active) << "frame " << frame;
        ASSERT_TRUE(page(game) == plainPage) << "pages differ after frame " << frame;
    }
    EXPECT_EQ(showers, 2);
    EXPECT_FALSE(plain.active);
}
