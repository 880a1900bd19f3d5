// The counters and clock of a match, from "START" on the title to Esc on the score table.
#pragma once

#include <array>
#include <cstdint>

#include "play/player.h"

struct MatchCounters {
    int32_t round = 0;  // 0-based; shown as round + 1
    // Counter k runs 0..k, one step a frame; never reset between rounds.
    std::array<int32_t, kFrameCounterCount> frameCounters{};
    int32_t time = 0;        // whole seconds of the round
    float scoreRate = 1.0f;  // points per second of time
};
