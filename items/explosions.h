// The explosions started by crashes: BOMB rings, or COSMO / COSMO2 particles that fly.
#pragma once

#include <cstdint>

#include "play/explosion_tables.h"
#include "play/player.h"

// COSMO2 particles turn one degree per tick while the explosion is younger than this.
inline constexpr int32_t kSpiralTicks = 90;

struct Play;

// Pays the crash award, blanks the slot's panel line and starts its explosion of the kind the
// settings choose (BOMB rings at once, COSMO and COSMO2 particles in the slot's table).
void crashPlayer(Play& play, int slot);
// While the slot's explosion is active: moves its particles one tick (COSMO and COSMO2; BOMB
// has none) and writes them into the field; clears explosionActive when none is left flying.
void tickExplosion(Play& play, int slot);
