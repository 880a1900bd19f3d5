// A match: from "START" on the title to Esc on the score table.
#pragma once

#include <array>
#include <cstdint>

struct Game;

struct Match {
    int32_t round = 0;                      // 0-based; shown as round + 1
    std::array<int32_t, 5> frameCounters{}; // counter k runs 0..k; never reset between rounds
    uint32_t secondStamp = 0;               // tick count when time last advanced
    int32_t time = 0;                       // whole seconds of the round
    float scoreRate = 1.0f;                 // points per second of time
};

void runMatch(Game& game);
