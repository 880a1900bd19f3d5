// The game's one source of random whole numbers: a linear congruential generator with
// 15-bit results (state * 214013 + 2531011), seeded once at start-up.
#pragma once

#include <cstdint>

struct Random {
    uint32_t state = 1;

    void seed(uint32_t value) { state = value; }
    // A number from lo to hi, both included (lo <= hi). Ranges wider than 32768 values
    // never reach their top part.
    int32_t randomRange(int32_t lo, int32_t hi) {
        state = state * 214013u + 2531011u;
        const int32_t r = static_cast<int32_t>((state >> 16) & 0x7FFF);
        return lo + r % (hi - lo + 1);
    }
};
