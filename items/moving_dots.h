// What explosion particles and meteorites share: both are thousands of single-pixel dots
// moved every frame in column passes, then written into the field in a fixed order.
#pragma once

#include <cstdint>

#include "display/screen.h"

// Where the compiler can, a column pass also gets a version for wider vector units, picked
// at start-up by the processor found (unless the build says DIRAVIRU_NO_CPU_CLONES). The passes
// use single rounded float operations only, so both versions give the same floats bit for bit.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(__clang__) && \
    !defined(DIRAVIRU_NO_CPU_CLONES)
#define WIDE_LANES __attribute__((target_clones("avx2", "default")))
#else
#define WIDE_LANES
#endif

// A table is repacked once at least this share (1 / n) of its entries in use are gone;
// until then the gone ones cost one cheap pass each frame, less than repacking every frame.
inline constexpr int32_t kRepackShare = 4;

// The field writes of one frame, strictly in table order: each dot clears the pixel it
// stood on, then draws itself where it landed (-1: nowhere). Where dots share a pixel, this
// order decides what the field holds. Writes meant for nowhere go to a scratch byte, which
// keeps the loop free of unpredictable branches.
inline void plotMovingDots(int32_t count, const int32_t* standing, const int32_t* landing,
                           uint8_t* field, uint8_t colour) {
    uint8_t sink = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t from = standing[i];
        const int32_t to = landing[i];
        *(from >= 0 ? field + from : &sink) = ColourEmpty;
        *(to >= 0 ? field + to : &sink) = colour;
    }
}

// Squeezes out the entries of [0, count) for which stays(i) is false, keeping the order of the
// rest, in every column given: each entry is copied to the next free place, and only the
// ones that stay advance it. Returns how many stay.
template <typename Stays, typename... Columns>
int32_t repackColumns(int32_t count, Stays stays, Columns*... columns) {
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        const bool keep = stays(i);
        ((columns[kept] = columns[i]), ...);
        kept += keep ? 1 : 0;
    }
    return kept;
}
