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

#include "items/moving_dots.h"
#include "play/play.h"

namespace {

constexpr int kPanelCells = 18;
constexpr char kPanelBlank[] = "                  ";
static_assert(sizeof kPanelBlank - 1 == kPanelCells);

// Rings are drawn at radius 1, 3, 5, ... below the BOMB value. No ring wider than the
// field's diagonal can touch the field, so larger values stop there.
constexpr int32_t kFirstRing = 1;
constexpr int32_t kRingSpacing = 2;
constexpr int32_t kRingLimit = 800;

constexpr int32_t kFullTurn = 360;

bool withinBounds(float x, float y) {
    return x >= kParticleLeft && x <= kParticleRight && y >= kParticleTop && y <= kParticleBottom;
}

int32_t particleCount(const Settings& settings, int32_t type) {
    return std::clamp(settings.explosionValue[type], 0, kParticlesPerSlot);
}

// Award: time * scoreRate in float, truncated toward zero; later crashes pay more.
void payCrashAward(MatchCounters& match, Players& players, int slot) {
    const float award = static_cast<float>(match.time) * match.scoreRate;
    players.score[slot] += static_cast<int32_t>(award);
    match.scoreRate += 0.5f;
}

// The caption and item label of the slot's line at the bottom of the page vanish.
void blankPanelLine(Play& play, int slot) {
    play.screen.DrawColourText(SurfacePrimary, kPanelBlank, panelLineX(slot), panelLineY(slot),
                               kGlyphCell, kGlyphCell, slotTile(slot));
}

// Rings two pixels apart round the head pixel, drawn on the overlay and laid over the field
// with a keyed copy of the field area only, so the frame and the panel lines stay as they are.
void stampBombRings(Play& play, int slot) {
    Screen& screen = play.screen;
    const int32_t limit = std::min(play.settings.explosionValue[ExplosionBomb], kRingLimit);
    const int cx = static_cast<int>(play.players.x[slot]);
    const int cy = static_cast<int>(play.players.y[slot]);
    const uint32_t colour = screen.PaletteRgb(playerColour[slot]);
    screen.Clear(SurfaceOverlay);
    for (int32_t r = kFirstRing; r < limit; r += kRingSpacing) {
        screen.DrawCircle(SurfaceOverlay, cx, cy, r, colour);
    }
    copyFieldKeyed(screen, SurfacePrimary, SurfaceOverlay);
}

// Every particle starts on the head, with a random heading and speed (drawn in that order).
void launchParticles(Play& play, ParticleTable& table, int slot, int32_t type) {
    const DirectionTables& directions = play.directions;
    const float headX = play.players.x[slot];
    const float headY = play.players.y[slot];
    const int32_t headPixel =
        withinBounds(headX, headY)
            ? static_cast<int32_t>(headY) * play.screen.FieldPitch + static_cast<int32_t>(headX)
            : -1;
    const int32_t count = particleCount(play.settings, type);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t direction = play.random.randomRange(0, 359);
        const float speed = static_cast<float>(play.random.randomRange(1, 200) / 100.0 + 0.5);
        table.x[i] = headX;
        table.y[i] = headY;
        table.direction[i] = direction;
        table.speed[i] = speed;
        table.stepX[i] = directions.dirX[direction] * speed;
        table.stepY[i] = directions.dirY[direction] * speed;
        table.pixels[table.standing][i] = headPixel;
    }
    table.count = count;
    table.flying = count;
    play.players.explosionAge[slot] = 0;
    play.players.explosionActive[slot] = true;
}

// Pass 1: every entry takes its step; `landing` gets the pixel it is drawn at, or -1 when
// it has left the bounds, in which case its step and speed become 0 so it stays outside for
// good. Returns how many are still within the bounds. Touches no field memory, and is
// written without branches (masks and a 0/1 factor; multiplying by 1.0f leaves a float
// exactly as it was) on separate column pointers, so that it runs several lanes at a time.
WIDE_LANES int32_t moveColumns(int32_t count, int32_t pitch, float* __restrict x,
                               float* __restrict y, float* __restrict stepX,
                               float* __restrict stepY, float* __restrict speed,
                               int32_t* __restrict landing) {
    int32_t flying = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float nx = x[i] + stepX[i];
        const float ny = y[i] + stepY[i];
        const int32_t inside = int32_t{nx >= kParticleLeft} & int32_t{nx <= kParticleRight} &
                               int32_t{ny >= kParticleTop} & int32_t{ny <= kParticleBottom};
        const float keep = static_cast<float>(inside);
        const int32_t offset = static_cast<int32_t>(ny) * pitch + static_cast<int32_t>(nx);
        x[i] = nx;
        y[i] = ny;
        landing[i] = offset | (inside - 1);  // inside: offset; outside: -1
        stepX[i] *= keep;
        stepY[i] *= keep;
        speed[i] *= keep;
        flying += inside;
    }
    return flying;
}

// COSMO2 spiral: every particle turns one degree left; its step follows the new heading
// from the next tick on. Gone particles have speed 0, so their step stays 0.
WIDE_LANES void turnColumns(int32_t count, const float* __restrict dirX,
                            const float* __restrict dirY, int32_t* __restrict direction,
                            const float* __restrict speed, float* __restrict stepX,
                            float* __restrict stepY) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t turned = direction[i] + 1;
        const int32_t heading = turned == kFullTurn ? 0 : turned;
        direction[i] = heading;
        stepX[i] = dirX[heading] * speed[i];
        stepY[i] = dirY[heading] * speed[i];
    }
}

// Squeezes out the gone entries, keeping the order of the ones still flying.
void repackParticles(ParticleTable& table) {
    int32_t* pixel = table.pixels[table.standing].data();
    table.count = repackColumns(
        table.count, [pixel](int32_t i) { return pixel[i] >= 0; }, table.x.data(), table.y.data(),
        table.stepX.data(), table.stepY.data(), table.speed.data(), table.direction.data(), pixel);
}

// One tick of the slot's particles: move, turn (COSMO2 while young), write the field.
// Returns how many are still flying.
int32_t tickParticles(ParticleTable& table, int slot, bool turning,
                      const DirectionTables& directions, Screen& screen) {
    const int32_t* standing = table.pixels[table.standing].data();
    int32_t* landing = table.pixels[1 - table.standing].data();
    const int32_t flying =
        moveColumns(table.count, screen.FieldPitch, table.x.data(), table.y.data(),
                    table.stepX.data(), table.stepY.data(), table.speed.data(), landing);
    if (turning) {
        turnColumns(table.count, directions.dirX.data(), directions.dirY.data(),
                    table.direction.data(), table.speed.data(), table.stepX.data(),
                    table.stepY.data());
    }
    plotMovingDots(table.count, standing, landing, screen.FieldPixels, playerColour[slot]);
    table.standing = 1 - table.standing;
    table.flying = flying;
    if (flying == 0) {
        table.count = 0;
    } else if ((table.count - flying) * kRepackShare >= table.count) {
        repackParticles(table);
    }
    return flying;
}

}  // namespace

void crashPlayer(Play& play, int slot) {
    payCrashAward(play.counters, play.players, slot);
    blankPanelLine(play, slot);
    const int32_t type = play.settings.explosionType;
    if (type == ExplosionBomb) {
        stampBombRings(play, slot);
    } else if (type == ExplosionCosmo || type == ExplosionCosmo2) {
        launchParticles(play, play.explosions.tables[slot], slot, type);
    }
}

void tickExplosion(Play& play, int slot) {
    Players& players = play.players;
    const int32_t type = play.settings.explosionType;
    if (!players.explosionActive[slot] || (type != ExplosionCosmo && type != ExplosionCosmo2)) {
        return;
    }
    const int32_t age = ++players.explosionAge[slot];
    const bool turning = type == ExplosionCosmo2 && age < kSpiralTicks;
    if (tickParticles(play.explosions.tables[slot], slot, turning, play.directions, play.screen) ==
        0) {
        players.explosionActive[slot] = false;
    }
}
