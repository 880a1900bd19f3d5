// The explosions started by crashes: BOMB rings, or COSMO / COSMO2 particles that fly.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kParticlesPerSlot = 10000;

struct Particle {
    float x = 0;
    float y = 0;
    int32_t direction = 0;
    float speed = 0;
    uint8_t active = 0;
};

struct Explosions {
    std::array<std::array<Particle, kParticlesPerSlot>, 4> particles{};
};

struct Game;

// Pays the crash award, blanks the slot's panel line and starts its explosion.
void crashPlayer(Game& game, int slot);
// Moves the slot's particles one tick; clears explosionActive when none is left flying.
void tickExplosion(Game& game, int slot);
