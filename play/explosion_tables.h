// The tables of the explosions started by crashes: each slot's COSMO / COSMO2 particles, as
// the state of play keeps them (items/explosions.h has the rules that move them).
#pragma once

#include <array>
#include <cstdint>

#include "display/screen.h"
#include "input/player_keys.h"

inline constexpr int kParticlesPerSlot = 10000;

// Field bounds of a particle, compared as floats with both ends included: the field's first
// and last columns and rows.
inline constexpr float kParticleLeft = kField.left;
inline constexpr float kParticleRight = kField.right - 1;
inline constexpr float kParticleTop = kField.top;
inline constexpr float kParticleBottom = kField.bottom - 1;

// One particle as the game thinks of it; the table below keeps the same data column by column.
struct Particle {
    float x = 0;
    float y = 0;
    int32_t direction = 0;  // whole degrees 0..359, the same angle as a player's heading
    float speed = 0;        // pixels per tick, 0.51 to 2.50
    bool active = false;
};

// One slot's particles, stored column by column so that a tick walks plain arrays.
// Entries [0, count) are the particles launched by the slot's last explosion, in launch
// order; entries whose particle has left the field stay in place (with zero step, outside
// the bounds, so they never draw again) until a stable repack squeezes them out. The repack
// keeps the launch order, so the field sees the same writes in the same order as a walk over
// the whole table would give.
struct ParticleTable {
    alignas(64) std::array<float, kParticlesPerSlot> x{};
    alignas(64) std::array<float, kParticlesPerSlot> y{};
    // dirX[direction] * speed and dirY[direction] * speed, the float products of a move;
    // recomputed whenever the direction changes.
    alignas(64) std::array<float, kParticlesPerSlot> stepX{};
    alignas(64) std::array<float, kParticlesPerSlot> stepY{};
    alignas(64) std::array<float, kParticlesPerSlot> speed{};  // 0 once the particle is gone
    alignas(64) std::array<int32_t, kParticlesPerSlot> direction{};
    // Offsets (row * FieldPitch + column) of the pixel under each particle when that lies
    // within the bounds, else -1. A tick reads where the particles stand in one of the two
    // columns and writes where they land into the other; then the two change roles.
    alignas(64) std::array<std::array<int32_t, kParticlesPerSlot>, 2> pixels{};
    int32_t standing = 0;  // pixels[standing]: where the particles stand now
    int32_t count = 0;     // entries in use
    int32_t flying = 0;    // of those, still within the bounds

    // The entry i of [0, count) as a record (active is false once it has left the field).
    Particle particle(int i) const {
        return Particle{x[i], y[i], direction[i], speed[i], speed[i] != 0.0f};
    }
};

// Every slot's particles.
struct Explosions {
    std::array<ParticleTable, kSlots> tables{};
};
