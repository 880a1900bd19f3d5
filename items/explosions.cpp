// What a crash sets off: the award, the blanked panel line, and the explosion of the kind
// chosen in the settings. BOMB rings are stamped at once; COSMO and COSMO2 particles fly
// over the following frames and cut gaps in whatever they cross.
//
// A tick of up to 9050 particles in each of four slots runs every frame, so the particle
// work is split into passes over plain arrays: one pass moves every particle and decides
// where it lands (no field access, so the compiler can run it several lanes at a time), a
// second pass does the field writes strictly in launch order, erase then draw, particle by
// particle. Where particles share a pixel, that order decides what the field holds.

#include "items/explosions.h"

#include <algorithm>

#include "shell/game.h"

namespace {

constexpr int kPanelCells = 18;
constexpr const char* kPanelBlank = "                  ";  // 18 blanks
constexpr int kPanelLeft = 16;
constexpr int kPanelColumnWidth = 320;
constexpr int kPanelTop = 416;
constexpr int kCellSize = 16;

// Rings are drawn at radius 1, 3, 5, ... below the BOMB value. No ring wider than the
// field's diagonal can touch the field, so larger values stop there.
constexpr int32_t kFirstRing = 1;
constexpr int32_t kRingSpacing = 2;
constexpr int32_t kRingLimit = 800;

// A repack runs once at least this share (1 / n) of the entries in use are gone; until then
// the gone ones cost one cheap pass each tick, which is less than repacking every tick.
constexpr int32_t kRepackShare = 4;

bool withinBounds(float x, float y) {
    return x >= kParticleLeft && x <= kParticleRight && y >= kParticleTop &&
           y <= kParticleBottom;
}

int32_t particleCount(const Settings& settings, int32_t type) {
    return std::clamp(settings.explosionValue[type], 0, kParticlesPerSlot);
}

// Award: time * scoreRate in float, truncated toward zero; later crashes pay more.
void payCrashAward(Game& game, int slot) {
    Match& match = game.match;
    const float award = static_cast<float>(match.time) * match.scoreRate;
    game.players.score[slot] += static_cast<int32_t>(award);
    match.scoreRate += 0.5f;
}

// The caption and item label of the slot's line at the bottom of the page vanish.
void blankPanelLine(Game& game, int slot) {
    static_assert(sizeof("                  ") - 1 == kPanelCells);
    const int x = kPanelLeft + kPanelColumnWidth * (slot % 2);
    const int y = kPanelTop + kCellSize * (slot / 2);
    game.screen.DrawColourText(SurfacePrimary, kPanelBlank, x, y, kCellSize, kCellSize,
                               slot + 1);
}

// Rings two pixels apart round the head pixel, drawn on the overlay and laid over the field
// with a keyed copy of the field area only, so the frame and the panel lines stay as they are.
void stampBombRings(Game& game, int slot) {
    Screen& screen = game.screen;
    const int32_t limit = std::min(game.settings.explosionValue[ExplosionBomb], kRingLimit);
    const int cx = static_cast<int>(game.players.x[slot]);
    const int cy = static_cast<int>(game.players.y[slot]);
    const uint32_t colour = screen.PaletteRgb(playerColour[slot]);
    screen.Clear(SurfaceOverlay);
    for (int32_t r = kFirstRing; r < limit; r += kRingSpacing) {
        screen.DrawCircle(SurfaceOverlay, cx, cy, r, colour);
    }
    screen.CopyKeyed(kFieldLeft, kFieldTop, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight,
                     SurfacePrimary, SurfaceOverlay);
}

// Every particle starts on the head, with a random heading and speed (drawn in that order).
void launchParticles(Game& game, int slot, int32_t type) {
    ParticleTable& table = game.explosions.tables[slot];
    const DirectionTables& directions = game.directions;
    const float headX = game.players.x[slot];
    const float headY = game.players.y[slot];
    const int32_t headPixel =
        withinBounds(headX, headY)
            ? static_cast<int32_t>(headY) * game.screen.FieldPitch + static_cast<int32_t>(headX)
            : -1;
    const int32_t count = particleCount(game.settings, type);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t direction = game.random.randomRange(0, 359);
        const float speed = static_cast<float>(game.random.randomRange(1, 200) / 100.0 + 0.5);
        table.x[i] = headX;
        table.y[i] = headY;
        table.direction[i] = direction;
        table.speed[i] = speed;
        table.stepX[i] = directions.dirX[direction] * speed;
        table.stepY[i] = directions.dirY[direction] * speed;
        table.pixel[i] = headPixel;
    }
    table.count = count;
    table.flying = count;
    game.players.explosionAge[slot] = 0;
    game.players.explosionActive[slot] = 1;
}

// Pass 1: every entry takes its step; `next` gets the pixel it is drawn at, or -1 when it
// has left the bounds, in which case its step and speed become 0 so it stays outside for
// good. Returns how many are still within the bounds. Touches no field memory.
int32_t moveParticles(ParticleTable& table, int32_t pitch) {
    const int32_t count = table.count;
    float* __restrict x = table.x.data();
    float* __restrict y = table.y.data();
    float* __restrict stepX = table.stepX.data();
    float* __restrict stepY = table.stepY.data();
    float* __restrict speed = table.speed.data();
    int32_t* __restrict next = table.next.data();
    int32_t flying = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float nx = x[i] + stepX[i];
        const float ny = y[i] + stepY[i];
        const bool inside = (nx >= kParticleLeft) & (nx <= kParticleRight) &
                            (ny >= kParticleTop) & (ny <= kParticleBottom);
        const int32_t offset = static_cast<int32_t>(ny) * pitch + static_cast<int32_t>(nx);
        x[i] = nx;
        y[i] = ny;
        next[i] = inside ? offset : -1;
        stepX[i] = inside ? stepX[i] : 0.0f;
        stepY[i] = inside ? stepY[i] : 0.0f;
        speed[i] = inside ? speed[i] : 0.0f;
        flying += inside ? 1 : 0;
    }
    return flying;
}

// COSMO2 spiral: every particle turns one degree left; its step follows the new heading
// from the next tick on. Gone particles have speed 0, so their step stays 0.
void turnParticles(ParticleTable& table, const DirectionTables& directions) {
    const int32_t count = table.count;
    for (int32_t i = 0; i < count; ++i) {
        int32_t direction = table.direction[i] + 1;
        direction = direction == 360 ? 0 : direction;
        table.direction[i] = direction;
        table.stepX[i] = directions.dirX[direction] * table.speed[i];
        table.stepY[i] = directions.dirY[direction] * table.speed[i];
    }
}

// Pass 2, in launch order: erase where the particle stood (when that was within the
// bounds), draw where it is now (when that is). Writes meant for nowhere go to a scratch
// byte, which keeps the loop free of unpredictable branches.
void plotParticles(ParticleTable& table, uint8_t* field, uint8_t colour) {
    const int32_t count = table.count;
    int32_t* pixel = table.pixel.data();
    const int32_t* next = table.next.data();
    uint8_t sink = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t from = pixel[i];
        const int32_t to = next[i];
        *(from >= 0 ? field + from : &sink) = ColourEmpty;
        *(to >= 0 ? field + to : &sink) = colour;
        pixel[i] = to;
    }
}

// Squeezes out the gone entries, keeping the order of the rest.
void repackParticles(ParticleTable& table) {
    int32_t kept = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        if (table.pixel[i] < 0) {
            continue;
        }
        table.x[kept] = table.x[i];
        table.y[kept] = table.y[i];
        table.stepX[kept] = table.stepX[i];
        table.stepY[kept] = table.stepY[i];
        table.speed[kept] = table.speed[i];
        table.direction[kept] = table.direction[i];
        table.pixel[kept] = table.pixel[i];
        ++kept;
    }
    table.count = kept;
}

}  // namespace

Particle ParticleTable::particle(int i) const {
    return Particle{x[i], y[i], direction[i], speed[i], static_cast<uint8_t>(speed[i] != 0.0f)};
}

void crashPlayer(Game& game, int slot) {
    payCrashAward(game, slot);
    blankPanelLine(game, slot);
    const int32_t type = game.settings.explosionType;
    if (type == ExplosionBomb) {
        stampBombRings(game, slot);
    } else if (type == ExplosionCosmo || type == ExplosionCosmo2) {
        launchParticles(game, slot, type);
    }
}

void tickExplosion(Game& game, int slot) {
    const int32_t type = game.settings.explosionType;
    if (type != ExplosionCosmo && type != ExplosionCosmo2) {
        return;
    }
    const int32_t age = ++game.players.explosionAge[slot];
    ParticleTable& table = game.explosions.tables[slot];
    Screen& screen = game.screen;
    table.flying = moveParticles(table, screen.FieldPitch);
    if (type == ExplosionCosmo2 && age < kSpiralTicks) {
        turnParticles(table, game.directions);
    }
    plotParticles(table, screen.FieldPixels, playerColour[slot]);
    if (table.flying == 0) {
        table.count = 0;
        game.players.explosionActive[slot] = 0;
    } else if ((table.count - table.flying) * kRepackShare >= table.count) {
        repackParticles(table);
    }
}
